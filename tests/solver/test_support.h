#pragma once
// Shared helpers of the solver tests.
#include <initializer_list>
#include <string>

#include "model/gear_stock.h"
#include "model/job.h"

namespace hobwise::testing {

inline JobInputs exampleInputs() {
  JobInputs in;
  in.indexConstant = "30";
  in.feedConstant = "0.0625";
  in.feedRate = ".025";
  in.helixAngle = "23.5";
  in.normalPitch = "8";
  in.teeth = "30";
  in.hobThreads = "1";
  in.setupIndex = 0;
  return in;
}

inline GearStock stockOf(std::initializer_list<std::pair<int, int>> counts) {
  GearStock stock;
  for (auto [teeth, count] : counts) stock.setCount(teeth, count);
  return stock;
}

}  // namespace hobwise::testing
