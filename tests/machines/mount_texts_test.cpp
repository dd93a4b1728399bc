// What the face says of a result's trains on a machine: the lengths as JSON numbers
// (exact for a module, to 0.001 mm for a diametral pitch), the lines and the JSON of a
// train that mounts and of one that does not.
#include <gtest/gtest.h>

#include "hobwise/machines.h"

namespace hobwise {
namespace {

Quadrant exampleIndexQuadrant(PitchUnit unit, const char* pitch) {
  Quadrant q;
  q.pitchUnit = unit;
  q.pitch = *Decimal4::fromText(pitch);
  q.centreDistance = Decimal4::whole(180);
  q.studRange = std::array{Decimal4::whole(70), Decimal4::whole(165)};
  q.drivingShaftDiameter = q.drivenShaftDiameter = Decimal4::whole(32);
  q.maxDrivingOutsideDiameter = q.maxStudOutsideDiameter = q.maxDrivenOutsideDiameter = Decimal4::whole(210);
  return q;
}

// (51 x 52)/(53 x 50) as listed: L1 = m (51 + 53) / 2, L2 = m (52 + 50) / 2.
TEST(MountTexts, CentresAsTheJsonWritesThem) {
  const struct {
    PitchUnit unit;
    const char* pitch;
    const char* centres;  // L1, L2 by hand
    bool mounts;
  } cases[] = {
      {PitchUnit::kModule, "2.5", "[130, 127.5]", true},
      {PitchUnit::kModule, "1.2345", "[64.194, 62.9595]", false},  // 127.1535 mm cannot reach 180
      {PitchUnit::kDiametralPitch, "7", "[188.686, 185.057]", false},  // 25.4/7 x 52 = 188.6857..., beyond the slot
  };
  for (const auto& c : cases) {
    MachineProfile machine;
    machine.index = machine.feed = exampleIndexQuadrant(c.unit, c.pitch);
    FoundResult r;  // index (51 x 52)/(53 x 50): driving 52, 51; driven 53, 50
    std::tie(r.i2, r.i3, r.i0, r.i1) = std::tuple(52, 51, 53, 50);
    std::tie(r.f2, r.f3, r.f0, r.f1) = std::tuple(52, 51, 53, 50);
    const TrainsMount mount = mountOf(machine, 0, r);
    EXPECT_EQ(mount.index.mounts, c.mounts) << c.pitch;
    const std::string json = mountJson(mount, machine);
    EXPECT_NE(json.find(std::string("\"arrangement\": [51, 53, 52, 50], \"centres\": ") + c.centres), std::string::npos)
        << json;
    EXPECT_EQ(mountCell(mount), c.mounts ? "Yes" : "No: both");
  }
}

TEST(MountTexts, LinesOfATrainThatMountsAndOfOneThatDoesNot) {
  MachineProfile machine;
  machine.index = exampleIndexQuadrant(PitchUnit::kModule, "2.5");
  machine.feed = exampleIndexQuadrant(PitchUnit::kModule, "1.2345");
  FoundResult r;
  std::tie(r.i2, r.i3, r.i0, r.i1) = std::tuple(52, 51, 53, 50);
  std::tie(r.f2, r.f3, r.f0, r.f1) = std::tuple(52, 51, 53, 50);
  const TrainsMount mount = mountOf(machine, 0, r);
  EXPECT_EQ(mountLines(mount, machine),
            (std::vector<std::string>{"Index mounts: driving shaft 51, stud 53 and 52, driven shaft 50; L1 130 mm, L2 "
                                      "127.5 mm; stud at 91.79, 92.06 mm",
                                      "Feed does not mount: the stud cannot reach: L1 + L2 is 52.9 mm short of the "
                                      "centre distance"}));
  EXPECT_EQ(mountCell(mount), "No: feed");
  EXPECT_NE(mountJson(mount, machine).find("\"feed\": {\"mounts\": false, \"arrangement\": [51, 53, 52, 50], \"centres\": "
                                          "[64.194, 62.9595], \"note\": \"feed: the stud cannot reach: L1 + L2 is "
                                          "52.9 mm short of the centre distance\"}"),
            std::string::npos);
  EXPECT_EQ(sheetMountText(mount.feed, machine.feed),
            "Does not mount: the stud cannot reach: L1 + L2 is 52.9 mm short of the centre distance");
}

}  // namespace
}  // namespace hobwise
