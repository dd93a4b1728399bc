#pragma once
// Shared helpers of the solver tests.
#include <initializer_list>
#include <string>

#include "model/gear_stock.h"
#include "model/job.h"

namespace hobwise::testing {

inline JobInputs exampleInputs() {
  return exampleJobInputs();
}

inline GearStock stockOf(std::initializer_list<std::pair<int, int>> counts) {
  GearStock stock;
  for (auto [teeth, count] : counts) stock.setCount(teeth, count);
  return stock;
}

}  // namespace hobwise::testing
