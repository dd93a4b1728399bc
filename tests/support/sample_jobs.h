#pragma once
// Jobs that the benchmarks and the tests share beside the example job: the fine-pitch
// and steep-helix jobs of the example machine, J7, a job with a very long list of C
// constants near the pole of the falling index formula, and J8, whose C constants all
// lie between 0.5 and 1.
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

// J8: index constant 71, feed constant 17.3, feed rate 0.02, helix angle 60.9646, pitch
// 257.2159233, 63 teeth, 2 hob threads, set-up 0: every C constant between 0.5 and 1.
inline JobInputs j8JobInputs() {
  JobInputs in = exampleJobInputs();
  in.indexConstant = "71";
  in.feedConstant = "17.3";
  in.feedRate = "0.02";
  in.helixAngle = "60.9646";
  in.normalPitch = "257.2159233";
  in.teeth = "63";
  in.hobThreads = "2";
  in.setupIndex = 0;
  return in;
}

// A full stock: `count` gears of every tooth count from 16 to 169.
inline GearStock fullGearStock(int count) {
  GearStock stock;
  for (int t = kFirstToothCount; t <= kLastToothCount; ++t) stock.setCount(t, count);
  return stock;
}

}  // namespace hobwise
