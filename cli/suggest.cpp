// hobwise-solve --suggest: the advisor's report as a listing or as JSON.
#include "cli/suggest.h"

#include <algorithm>

#include "model/decfloat.h"

namespace hobwise::cli {

std::optional<int> suggestionCount(const std::string& text) {
  if (text.empty() || text.size() > 3 || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  const int n = std::stoi(text);
  if (n < 1 || n > kToothCountKinds) return std::nullopt;
  return n;
}

namespace {

std::size_t shownCount(const AdvisorReport& report, const SuggestFormat& format) {
  return std::min(report.suggestions.size(), static_cast<std::size_t>(std::max(0, format.shown)));
}

std::string plural(std::size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

std::string suggestionsJson(const AdvisorReport& report, const SuggestFormat& format) {
  std::string out = "{\"now\": {\"count\": " + std::to_string(report.nowCount) + ", \"best\": ";
  out += report.nowBest ? format.resultJson(*report.nowBest) : "null";
  out += "}, \"tried\": " + std::to_string(report.tried) + ", \"suggestions\": [";
  const std::size_t shown = shownCount(report, format);
  for (std::size_t k = 0; k < shown; ++k) {
    const Suggestion& s = report.suggestions[k];
    out += k == 0 ? "\n  " : ",\n  ";
    out += "{\"add\": " + std::to_string(s.add) + ", \"count\": " + std::to_string(s.count) +
           ", \"best\": " + format.resultJson(s.best) + "}";
  }
  out += shown == 0 ? "]}\n" : "\n]}\n";
  return out;
}

std::string suggestionsListing(const AdvisorReport& report, const SuggestFormat& format) {
  std::string out = report.stopped ? "Stopped early: " : "";
  out += "now " + plural(report.nowCount, "result", "results");
  if (report.nowBest) out += ", the best with a feed error of " + formatFixed(report.nowBest->feedError, 15);
  out += "\n";
  const std::size_t shown = shownCount(report, format);
  if (report.suggestions.empty()) {
    out += report.nowBest ? "Nothing improves: no one gear more gives a smaller feed error.\n"
                          : "Nothing improves: no one gear more finds a result.\n";
  } else {
    out += plural(report.suggestions.size(), "tooth count improves", "tooth counts improve");
    if (shown < report.suggestions.size()) out += ", the first " + std::to_string(shown) + " shown";
    out += "\n";
  }
  for (std::size_t k = 0; k < shown; ++k) {
    const Suggestion& s = report.suggestions[k];
    out += "\nSuggestion " + std::to_string(k + 1) + ": add one gear of " + std::to_string(s.add) + " teeth, " +
           plural(s.count, "result", "results") + "; result 1:\n";
    out += format.resultLines(s.best);
  }
  out += "\n" + std::to_string(report.tried) + " of " + std::to_string(report.candidates) + " tooth counts tried\n";
  return out;
}

}  // namespace hobwise::cli
