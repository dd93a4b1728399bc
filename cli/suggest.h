#pragma once
// hobwise-solve --suggest [N]: the gears worth buying for the job, as a listing or
// as JSON. The texts of one result come from the callers' formatters, so that a
// suggestion's best result reads exactly as the plain listing and --json show a result.
#include <functional>
#include <optional>
#include <string>

#include "solver/advisor.h"

namespace hobwise::cli {

inline constexpr int kDefaultSuggestions = 10;

// The N of --suggest N: a whole number 1 to 154, or nothing (the caller reports bad input).
std::optional<int> suggestionCount(const std::string& text);

struct SuggestFormat {
  int shown = kDefaultSuggestions;                              // the first N suggestions
  std::function<std::string(const FoundResult&)> resultLines;   // listing lines, each ending in "\n"
  std::function<std::string(const FoundResult&)> resultJson;    // one JSON object
};

// {"now": {"count": n, "best": RESULT or null}, "tried": n, "suggestions": [...]}
std::string suggestionsJson(const AdvisorReport& report, const SuggestFormat& format);

// The first N suggestions: tooth count to add, results kept, the best result; then the
// number of tooth counts tried.
std::string suggestionsListing(const AdvisorReport& report, const SuggestFormat& format);

}  // namespace hobwise::cli
