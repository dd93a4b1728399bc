#pragma once
// Jobs that the benchmarks and the tests share beside the example job: the fine-pitch
// and steep-helix jobs of the example machine, J7, a job with a very long list of C
// constants near the pole of the falling index formula, and J8, whose C constants all
// lie between 0.5 and 1.
#include <string>

#include "model/gear_stock.h"
#include "model/job.h"
#include "solver/solver.h"

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

// A quadrant in whole mm: module (mm), centre distance, stud range (least 0 and
// greatest 0: none), both shafts' diameter, the guards' largest outside diameter, the
// idler (0: none); gap 1 mm.
inline Quadrant quadrantOf(double module, int distance, int slotLeast, int slotGreatest, int shafts, int guard,
                           int idler) {
  Quadrant q;
  q.pitch = *Decimal4::fromDouble(module);
  q.centreDistance = Decimal4::whole(distance);
  if (slotGreatest > 0) q.studRange = std::array{Decimal4::whole(slotLeast), Decimal4::whole(slotGreatest)};
  q.drivingShaftDiameter = q.drivenShaftDiameter = Decimal4::whole(shafts);
  q.maxDrivingOutsideDiameter = q.maxStudOutsideDiameter = q.maxDrivenOutsideDiameter = Decimal4::whole(guard);
  if (idler > 0) q.idler = idler;
  return q;
}

// The quadrants of data/example-machine.json.
inline MountQuadrants exampleMachineQuadrants() {
  return {quadrantOf(2.5, 180, 70, 165, 32, 210, 40), quadrantOf(2, 125, 55, 120, 25, 170, 36)};
}

}  // namespace hobwise
