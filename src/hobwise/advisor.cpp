#include "hobwise/advisor.h"

namespace hobwise {

AdvisorReport suggestGears(const JobInputs& inputs, const GearStock& stock, const SolveOptions& options,
                           const AdvisorCallbacks& callbacks) {
  return advise(inputs, stock, options, callbacks);
}

std::vector<int> toothCountsToTry(const GearStock& stock) { return additionsTo(stock); }

}  // namespace hobwise
