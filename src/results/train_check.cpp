#include "results/train_check.h"

#include <algorithm>
#include <map>
#include <locale>
#include <sstream>

#include "model/text_value.h"
#include "solver/solver_internal.h"

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

bool aboveCap(const DecFloat& c) {
  std::vector<CConstantRecord> one(1);
  one[0].cConstant = c;
  solver::dropOutOfRange(one);
  return one.empty();
}

// The notes on the index train's C constant, as the C-constant search filters it.
void cConstantNotes(const DecFloat& c, const SolveOptions& options, std::vector<std::string>& notes) {
  if (!(c > 0)) {
    notes.push_back("The C constant is not a positive number: a run accepts no such index train.");
    return;
  }
  if (aboveCap(c)) notes.push_back("The C constant is above 9999.9999, the largest a run accepts.");
  if (options.wholeOnly) {
    if (!solver::passesWholeTest(c))
      notes.push_back("The C constant is not whole, and whole C constants only are asked for.");
  } else if (options.finiteOnly) {
    if (!solver::passesFiniteTest(c))
      notes.push_back("The C constant has more than 11 decimals, and finite C constants only are asked for.");
  }
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
    const DecFloat ratio = solver::quotient(std::uint64_t{result.i2} * result.i3, std::uint64_t{result.i0} * result.i1);
    const DecFloat lowEnd = indexRatioFor(*job, job->cLow);
    const DecFloat highEnd = indexRatioFor(*job, job->cHigh);
    const bool inBand = (ratio > lowEnd && ratio < highEnd) || (ratio > highEnd && ratio < lowEnd);
    if (!inBand) {
      const DecFloat asked = job->normalPitch / (ev.c * job->sinHelix);
      notes.push_back("The C constant asks for a feed rate of " + formatFixed(asked, 6) + ", outside " + wanted +
                      " \xC2\xB1 " + plainNumber(feedToleranceFor(job->feedRateTextLength)) +
                      ": a run does not consider this index train.");
    }
  }
  static const DecFloat kWindow = DecFloat(0.005);
  if (ev.actualFeed > job->feedRate + kWindow || ev.actualFeed < job->feedRate - kWindow)
    notes.push_back("The actual feed rate " + formatFixed(ev.actualFeed, 6) + " lies more than 0.005 from the wanted " +
                    wanted + ".");
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
    error = name + ": \"" + std::string(text) + "\" is not a whole number of teeth (16 to 169)";
    return std::nullopt;
  }
  const std::string_view significant = digits.substr(std::min(digits.find_first_not_of('0'), digits.size()));
  const int value = significant.size() > 3 ? 1000 : textToInt(significant);
  if (value < kFirstToothCount || value > kLastToothCount) {
    error = name + ": " + std::string(digits) + " teeth is outside 16 to 169";
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
    error = "expects " + std::string(kTrainForm) + ", got \"" + std::string(text) + "\"";
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
  const std::optional<ResultEvaluation> ev = EvaluateResult(job, check.result);
  if (!ev) return std::nullopt;
  check.evaluation = *ev;
  check.result.cConstant = ev->c;
  check.result.feedError = boost::multiprecision::abs(ev->feedError);
  check.texts = resultTexts(check.result, *ev);
  for (std::size_t k = 0; k < teeth.size(); ++k) check.texts.gears[k] = std::to_string(teeth[k]);

  // The stock as a run sees it: only tooth counts it holds at all, and a tooth count
  // used more than once as many times unless duplicates go unchecked.
  const solver::StockSnapshot snapshot = solver::StockSnapshot::of(stock, options.bypassDuplicates);
  const bool everyToothCountHeld =
      std::all_of(teeth.begin(), teeth.end(), [&](std::uint16_t t) { return stock.count(t) > 0; });
  check.inStock = everyToothCountHeld && solver::checkStock(snapshot, teeth);
  check.shortfalls = shortfallsOf(teeth, stock, options.bypassDuplicates);
  if (!check.shortfalls.empty()) check.notes.push_back(stockNote(check.shortfalls));

  cConstantNotes(ev->c, options, check.notes);
  feedNotes(job, check.result, *ev, check.notes);
  static const DecFloat kRatioTolerance = DecFloat(0.001);
  if (!(boost::multiprecision::abs(ev->feedError) < kRatioTolerance))
    check.notes.push_back(
        "The feed error is 0.001 or more: a run keeps only feed trains closer than that to the ratio the C "
        "constant asks for.");
  return check;
}

SheetInputs sheetInputsFor(const JobInputs& job, const ResultTexts& texts) {
  SheetInputs s;
  s.indexConstant = job.indexConstant;
  s.feedConstant = job.feedConstant;
  s.helixAngle = job.helixAngle;
  s.normalPitch = job.normalPitch;
  s.teeth = job.teeth;
  s.setupIndex = job.setupIndex;
  s.hobThreads = job.hobThreads;
  const GeometryReadouts readouts = geometryReadouts(job.teeth, job.normalPitch, job.helixAngle);
  s.pitchDiameter = readouts.pitchDiameter;
  s.outsideDiameter = readouts.outsideDiameter;
  s.leadLine = texts.leadLine;
  s.feedLine = texts.feedLine;
  s.status = texts.status;
  s.feedErrorLine = texts.feedError;
  s.gears = texts.gears;
  return s;
}

}  // namespace hobwise
