#include "results/train_check.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <locale>
#include <sstream>

#include "model/plain_text.h"
#include "model/text_value.h"
#include "solver/run_rules.h"

namespace hobwise {

namespace {

constexpr const char* kTrainForm =
    "A,B,C,D:E,F,G,H (the index gears, then the feed gears, each upper left, upper right, lower left, "
    "lower right)";

std::string_view trimmed(std::string_view text) {
  const auto blank = [](char ch) { return ch == ' ' || ch == '\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

std::vector<std::string_view> split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    if (end == std::string_view::npos) return parts;
    start = end + 1;
  }
}

std::string plainNumber(double value) {
  std::ostringstream out;
  out.imbue(std::locale::classic());
  out << value;
  return out.str();
}

// A limit of the run's rules as its literal: the shortest text that reads back to it.
std::string limitText(double value) {
  char text[32];
  return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

// The tooth counts the stock does not hold often enough: each gear needs one of its
// own unless duplicates go unchecked, and then one of its tooth count is enough.
std::vector<StockShortfall> shortfallsOf(const MountedTeeth& teeth, const GearStock& stock, bool bypassDuplicates) {
  std::map<std::uint16_t, int> uses;
  for (std::uint16_t t : teeth) ++uses[t];
  std::vector<StockShortfall> out;
  for (const auto& [toothCount, count] : uses) {
    const int needed = bypassDuplicates ? 1 : count;
    const int held = stock.count(toothCount);
    if (held < needed) out.push_back({toothCount, needed, held});
  }
  return out;
}

std::string stockNote(const std::vector<StockShortfall>& shortfalls) {
  std::string note = "Not in stock:";
  for (std::size_t k = 0; k < shortfalls.size(); ++k) {
    const StockShortfall& s = shortfalls[k];
    note += (k == 0 ? " " : ", ") + std::to_string(s.toothCount) + " teeth (" + std::to_string(s.needed) +
            " needed, " + (s.held == 0 ? std::string("none") : std::to_string(s.held)) + " held)";
  }
  return note + ".";
}

// The notes on the index train's C constant, as the C-constant search filters it.
void cConstantNotes(const DecFloat& c, const SolveOptions& options, std::vector<std::string>& notes) {
  if (!(c > 0)) {
    notes.push_back("The C constant is not a positive number: a run accepts no such index train.");
    return;
  }
  if (!withinCap(c))
    notes.push_back("The C constant is above " + limitText(kCConstantCap) + ", the largest a run accepts.");
  if (passesCConstantOption(c, options.wholeOnly, options.finiteOnly)) return;
  const std::string decimals = std::to_string(std::to_string(kFiniteScale).size() - 1);
  notes.push_back(options.wholeOnly ? "The C constant is not whole, and whole C constants only are asked for."
                                    : "The C constant has more than " + decimals +
                                          " decimals, and finite C constants only are asked for.");
}

// The notes that need the wanted feed rate: the band of the index trains a run
// searches, and the window around the wanted feed in which it keeps results.
void feedNotes(const JobInputs& inputs, const FoundResult& result, const ResultEvaluation& ev,
               std::vector<std::string>& notes) {
  const std::optional<JobParameters> job = readJob(inputs);
  if (!job) {
    notes.push_back("The feed rate is not a number, so the feed is not judged against it.");
    return;
  }
  const std::string wanted = cutText(inputs.feedRate, kFeedRateLimit);
  if (!job->hasTolerance) {
    notes.push_back("The feed rate \"" + wanted + "\" is too short to give a tolerance: a run accepts no index train.");
  } else {
    const DecFloat ratio = trainRatio(std::uint64_t{result.i2} * result.i3, std::uint64_t{result.i0} * result.i1);
    if (!FeedBand::of(*job).contains(ratio)) {
      const DecFloat asked = job->normalPitch / (ev.c * job->sinHelix);
      notes.push_back("The C constant asks for a feed rate of " + formatFixed(asked, 6) + ", outside " + wanted +
                      " \xC2\xB1 " + plainNumber(feedToleranceFor(job->feedRateTextLength)) +
                      ": a run does not consider this index train.");
    }
  }
  if (!FeedWindow::of(*job).contains(ev.actualFeed))
    notes.push_back("The actual feed rate " + formatFixed(ev.actualFeed, 6) + " lies more than " +
                    limitText(kFeedWindow) + " from the wanted " + wanted + ".");
}

}  // namespace

std::optional<std::uint16_t> parseToothCount(std::string_view text, std::size_t place, std::string& error) {
  const std::string name = place < kGearPlaceNames.size() ? kGearPlaceNames[place] : "gear";
  const std::string_view digits = trimmed(text);
  if (digits.empty()) {
    error = name + ": no tooth count (16 to 169)";
    return std::nullopt;
  }
  if (!std::all_of(digits.begin(), digits.end(), [](char ch) { return ch >= '0' && ch <= '9'; })) {
    error = name + ": " + quoteText(text) + " is not a whole number of teeth (16 to 169)";
    return std::nullopt;
  }
  const std::string_view significant = digits.substr(std::min(digits.find_first_not_of('0'), digits.size()));
  const int value = significant.size() > 3 ? 1000 : textToInt(significant);
  if (value < kFirstToothCount || value > kLastToothCount) {
    error = name + ": " + bareOrQuoted(digits) + " teeth is outside 16 to 169";
    return std::nullopt;
  }
  return static_cast<std::uint16_t>(value);
}

std::optional<MountedTeeth> parseMountedTrain(std::string_view text, std::string& error) {
  const std::vector<std::string_view> trains = split(text, ':');
  std::vector<std::string_view> places;
  if (trains.size() == 2) {
    for (std::string_view train : trains) {
      const std::vector<std::string_view> gears = split(train, ',');
      if (gears.size() == 4) places.insert(places.end(), gears.begin(), gears.end());
    }
  }
  if (places.size() != 8) {
    error = "expects " + std::string(kTrainForm) + ", got " + quoteText(text);
    return std::nullopt;
  }
  MountedTeeth teeth{};
  for (std::size_t k = 0; k < places.size(); ++k) {
    const std::optional<std::uint16_t> t = parseToothCount(places[k], k, error);
    if (!t) return std::nullopt;
    teeth[k] = *t;
  }
  return teeth;
}

FoundResult resultOfPlaces(const MountedTeeth& t) {
  FoundResult r;
  r.i3 = t[0], r.i2 = t[1], r.i0 = t[2], r.i1 = t[3];
  r.f3 = t[4], r.f2 = t[5], r.f0 = t[6], r.f1 = t[7];
  return r;
}

std::optional<TrainCheck> checkTrain(const JobInputs& job, const GearStock& stock, const SolveOptions& options,
                                     const MountedTeeth& teeth) {
  TrainCheck check;
  check.result = resultOfPlaces(teeth);
  const std::optional<ResultEvaluation> ev = EvaluateResult(job, check.result, options.exact);
  if (!ev) return std::nullopt;
  check.evaluation = *ev;
  check.result.cConstant = ev->c;
  check.result.feedError = boost::multiprecision::abs(ev->feedError);
  check.texts = resultTexts(check.result, *ev);
  for (std::size_t k = 0; k < teeth.size(); ++k) check.texts.gears[k] = std::to_string(teeth[k]);

  // The stock as a run sees it: only tooth counts it holds at all, and a tooth count
  // used more than once as many times unless duplicates go unchecked.
  const StockSnapshot snapshot = StockSnapshot::of(stock, options.bypassDuplicates);
  const bool everyToothCountHeld =
      std::all_of(teeth.begin(), teeth.end(), [&](std::uint16_t t) { return stock.count(t) > 0; });
  check.inStock = everyToothCountHeld && checkStock(snapshot, teeth, options.exact);
  check.shortfalls = shortfallsOf(teeth, stock, options.bypassDuplicates);
  if (!check.shortfalls.empty()) check.notes.push_back(stockNote(check.shortfalls));

  cConstantNotes(ev->c, options, check.notes);
  feedNotes(job, check.result, *ev, check.notes);
  if (!withinFeedErrorLimit(boost::multiprecision::abs(ev->feedError)))
    check.notes.push_back("The feed error is " + limitText(kFeedErrorLimit) +
                          " or more: a run keeps only feed trains closer than that to the ratio the C constant asks "
                          "for.");
  return check;
}

}  // namespace hobwise
