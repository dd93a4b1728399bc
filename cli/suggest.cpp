// hobwise-solve --suggest: the advisor's report as a listing or as JSON.
#include "suggest.h"

#include <algorithm>

#include "hobwise/json.h"
#include "hobwise/results.h"
#include "hobwise/run.h"
#include "machine.h"
#include "options.h"
#include "output.h"

namespace hobwise::cli {

std::optional<int> suggestionCount(const std::string& text) {
  if (text.empty() || text.size() > 3 || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  const int n = std::stoi(text);
  if (n < 1 || n > kToothCountKinds) return std::nullopt;
  return n;
}

namespace {

std::size_t shownCount(const AdvisorReport& report, int shown) {
  return std::min(report.suggestions.size(), static_cast<std::size_t>(std::max(0, shown)));
}

std::string resultJsonOf(const JobInputs& in, const FoundResult& result, const MachineProfile* machine) {
  const std::string object = resultJson(resultTextsOf(in, result));
  return machine ? withMount(object, *machine, in.setupIndex, result) : object;
}

std::string plural(std::size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string quoted(const std::string& text) { return jsonString(text); }

}  // namespace

std::string suggestionsJson(const JobInputs& in, const AdvisorReport& report, int shownLimit,
                            const MachineProfile* machine) {
  std::string out = "{\"now\": {\"count\": " + std::to_string(report.nowCount) + ", \"best\": ";
  out += report.nowBest ? resultJsonOf(in, *report.nowBest, machine) : "null";
  out += "}, \"tried\": " + std::to_string(report.tried) + ", \"suggestions\": [";
  const std::size_t shown = shownCount(report, shownLimit);
  for (std::size_t k = 0; k < shown; ++k) {
    const Suggestion& s = report.suggestions[k];
    const SuggestionFigures f = figuresOf(in, report, s);
    out += k == 0 ? "\n  " : ",\n  ";
    out += "{\"add\": " + std::to_string(s.add) + ", \"count\": " + std::to_string(s.count) +
           ", \"best\": " + resultJsonOf(in, s.best, machine) +
           ", \"nowFeedError\": " + (report.nowBest ? quoted(f.nowFeedError) : "null") +
           ", \"feedError\": " + quoted(f.feedError) + ", \"leadError\": " + quoted(f.leadError) + "}";
  }
  out += shown == 0 ? "]" : "\n]";
  out += ", \"candidates\": " + std::to_string(report.candidates) +
         ", \"stopped\": " + (report.stopped ? "true" : "false") + "}\n";
  return out;
}

std::string stoppedText(const AdvisorReport& report) {
  return "Stopped after " + std::to_string(report.tried) + " of " + plural(report.candidates, "tooth count", "tooth counts");
}

std::string suggestionsListing(const JobInputs& in, const AdvisorReport& report, int shownLimit,
                               const MachineProfile* machine) {
  if (report.full) return std::string(kEveryCountFull) + "\n";
  std::string out = report.stopped ? stoppedText(report) + "; the suggestions found so far:\n" : "";
  const bool nothingKnown = report.stopped && report.tried == 0 && !report.nowBest;  // stopped during the run now
  if (!nothingKnown) {
    out += "Now " + plural(report.nowCount, "result", "results");
    if (report.nowBest) out += ", result 1 with " + resultTextsOf(in, *report.nowBest).feedError;
    out += "\n";
  }
  const std::size_t shown = shownCount(report, shownLimit);
  if (report.suggestions.empty()) {
    if (!report.stopped)
      out += report.nowBest ? "Nothing improves: no one gear more gives a smaller feed error.\n"
                            : "Nothing improves: no one gear more finds a result.\n";
    else if (report.tried > 0)
      out += "No suggestion among the tooth counts tried.\n";
  } else {
    out += plural(report.suggestions.size(), "tooth count improves", "tooth counts improve");
    if (shown < report.suggestions.size()) out += ", the first " + std::to_string(shown) + " shown";
    out += "\n";
  }
  for (std::size_t k = 0; k < shown; ++k) {
    const Suggestion& s = report.suggestions[k];
    const SuggestionFigures f = figuresOf(in, report, s);
    out += "\nSuggestion " + std::to_string(k + 1) + ": add one gear of " + std::to_string(s.add) + " teeth, " +
           plural(s.count, "result", "results") + "\n  Feed error " +
           (report.nowBest ? f.nowFeedError + " now, " : "") + f.feedError + " with it (lead error " + f.leadError +
           "); result 1:\n";
    out += resultBlock(resultTextsOf(in, s.best));
    if (machine) out += mountListing(*machine, in.setupIndex, s.best);
  }
  out += "\n" + std::to_string(report.tried) + " of " + std::to_string(report.candidates) + " tooth counts tried\n";
  return out;
}

int printSuggestions(const JobInputs& in, const GearStock& stock, const SolveOptions& options, int shown, bool json,
                     Io& io, const MachineProfile* machine) {
  const bool progress = io.showsProgress();
  AdvisorCallbacks callbacks;
  callbacks.stop = io.stopFlag();
  callbacks.progress = [progress, &io](int tried, int candidates) {  // one call at a time
    if (!progress) return;
    io.err("\r\033[K" + std::to_string(tried) + " of " + std::to_string(candidates) + " tooth counts tried");
  };
  const AdvisorReport report = suggestGears(in, stock, options, callbacks);
  io.runEnded();
  if (progress) io.err("\r\033[K");
  if (report.stopped) io.err("hobwise-solve: " + stoppedText(report) + "\n");
  if (report.failed) {
    io.err("hobwise-solve: the job could not be solved (" + whyTheRunFailed(in) + ")\n");
    return kBadInput;
  }
  io.out(json ? suggestionsJson(in, report, shown, machine) : suggestionsListing(in, report, shown, machine));
  return report.stopped ? kStopped : 0;
}

}  // namespace hobwise::cli
