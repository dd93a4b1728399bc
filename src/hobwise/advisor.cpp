#include "hobwise/advisor.h"

#include "hobwise/results.h"

namespace hobwise {

AdvisorReport suggestGears(const JobInputs& inputs, const GearStock& stock, const SolveOptions& options,
                           const AdvisorCallbacks& callbacks) {
  return advise(inputs, stock, options, callbacks);
}

std::vector<int> toothCountsToTry(const GearStock& stock) { return additionsTo(stock); }

SuggestionFigures figuresOf(const JobInputs& inputs, const AdvisorReport& report, const Suggestion& suggestion,
                            bool exact) {
  const ResultRow row = resultRowOf(1, resultTextsOf(inputs, suggestion.best, exact));
  SuggestionFigures f;
  if (report.nowBest) f.nowFeedError = resultRowOf(1, resultTextsOf(inputs, *report.nowBest, exact))[kFeedErrorColumn];
  f.feedError = row[kFeedErrorColumn];
  f.leadError = row[kLeadErrorColumn];
  return f;
}

AdvisorStart startSuggestions(const JobInputs& inputs, const GearStock& stock, const SolveOptions& options,
                              const std::atomic<bool>* stop) {
  try {
    return startAdvice(inputs, stock, options, stop);
  } catch (...) {
    AdvisorStart failed;  // memory ran out: nothing is tried
    failed.additions = additionsTo(stock);
    failed.failed = true;
    return failed;
  }
}

AdvisorReport suggestionsFrom(const AdvisorStart& start, std::span<const AdditionOutcome> outcomes) {
  return combineAdvice(start, outcomes);
}

}  // namespace hobwise
