#pragma once
// Jobs that the benchmarks and the tests share beside the example job: the fine-pitch
// and steep-helix jobs of the example machine, and J7, a job with a very long list of
// C constants near the pole of the falling index formula.
#include <string>

#include "model/gear_stock.h"
#include "model/job.h"

namespace hobwise {

// The example job with another pitch and helix angle.
inline JobInputs exampleJobWith(const std::string& pitch, const std::string& helixAngle) {
  JobInputs in = exampleJobInputs();
  in.normalPitch = pitch;
  in.helixAngle = helixAngle;
  return in;
}

// J7: index constant .5, feed constant 30.430, feed rate .1, helix angle 8.105,
// pitch 167.1672800, 2 teeth, set-up 0.
inline JobInputs j7JobInputs() {
  JobInputs in = exampleJobInputs();
  in.indexConstant = ".5";
  in.feedConstant = "30.430";
  in.feedRate = ".1";
  in.helixAngle = "8.105";
  in.normalPitch = "167.1672800";
  in.teeth = "2";
  return in;
}

// A full stock: `count` gears of every tooth count from 16 to 169.
inline GearStock fullGearStock(int count) {
  GearStock stock;
  for (int t = kFirstToothCount; t <= kLastToothCount; ++t) stock.setCount(t, count);
  return stock;
}

}  // namespace hobwise
