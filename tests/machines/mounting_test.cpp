// The mounting check on trains worked out by hand. The plain quadrant: module 2 (so a
// tooth adds 1 mm to a pitch radius and OD(z)/2 = z + 2), D = 100, both shafts 20 with
// the gap 1, guards 200. Its conditions for p, q, r, s read: L1 = p + q, L2 = r + s,
// |L1 - L2| <= 100 <= L1 + L2; L1 >= r + 13; L2 >= q + 13; p <= 87 and s <= 87;
// every gear at most 98.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "model/mounting.h"

namespace hobwise {
namespace {

Decimal4 mm(const char* text) { return *Decimal4::fromText(text); }

Quadrant plainQuadrant() {
  Quadrant q;
  q.pitch = mm("2");
  q.centreDistance = mm("100");
  q.drivingShaftDiameter = q.drivenShaftDiameter = mm("20");
  q.maxDrivingOutsideDiameter = q.maxStudOutsideDiameter = q.maxDrivenOutsideDiameter = mm("200");
  return q;
}

MountResult checked(const Quadrant& q, GearTrain t, int studs = 1) {
  return MountCheck(q, TrainKind::kIndex, studs).check(t);
}

// A train whose every way fails, the way as listed first at `failure`, `by` mm short.
// Moving the limit by `by` (`relax`) makes it mount as listed, exactly on the limit;
// by 0.0001 mm less it still fails: the limit is met exactly, and the condition named
// was the only one the way as listed missed.
struct FailingAlone {
  const char* what;
  std::function<void(Quadrant&)> setUp;
  GearTrain train;
  MountFailure failure;
  const char* note;
  std::function<void(Quadrant&, std::int64_t units)> relax;  // units: ten-thousandths of a mm
  std::int64_t by;
};

void shorterDistance(Quadrant& q, std::int64_t u) { q.centreDistance = Decimal4::fromUnits(q.centreDistance.units() - u); }
void thinnerDriving(Quadrant& q, std::int64_t u) {
  q.drivingShaftDiameter = Decimal4::fromUnits(q.drivingShaftDiameter.units() - 2 * u);
}
void thinnerDriven(Quadrant& q, std::int64_t u) {
  q.drivenShaftDiameter = Decimal4::fromUnits(q.drivenShaftDiameter.units() - 2 * u);
}

TEST(Mounting, EachConditionFailingAloneAndExactlyOnItsLimit) {
  const auto none = [](Quadrant&) {};
  const FailingAlone cases[] = {
      // 20 + 25 + 20 + 25 = 90 < 100 whichever way.
      {"short", none, {20, 20, 25, 25}, MountFailure::kStudShort,
       "index: the stud cannot reach: L1 + L2 is 10.0 mm short of the centre distance", shorterDistance, 100000},
      // L1 = 60 with the slot at 65 to 80, and at 40 to 55.
      {"slot, below", [](Quadrant& q) { q.studRange = {{mm("65"), mm("80")}}; }, {30, 30, 30, 30},
       MountFailure::kOutsideSlot, "index: the stud at L1 = 60.0 mm lies 5.0 mm outside its slot (65 to 80 mm)",
       [](Quadrant& q, std::int64_t u) { (*q.studRange)[0] = Decimal4::fromUnits((*q.studRange)[0].units() - u); },
       50000},
      {"slot, above", [](Quadrant& q) { q.studRange = {{mm("40"), mm("55")}}; }, {30, 30, 30, 30},
       MountFailure::kOutsideSlot, "index: the stud at L1 = 60.0 mm lies 5.0 mm outside its slot (40 to 55 mm)",
       [](Quadrant& q, std::int64_t u) { (*q.studRange)[1] = Decimal4::fromUnits((*q.studRange)[1].units() + u); },
       50000},
      // Driving shaft 60: L1 = 20 + 30 = 50 against 20 + 2 + 30 + 1 = 53.
      {"r, driving shaft", [](Quadrant& q) { q.drivingShaftDiameter = mm("60"); }, {20, 20, 30, 30},
       MountFailure::kRHitsDriving, "index: 20 on the stud hits the driving shaft by 3.0 mm", thinnerDriving, 30000},
      // Driven shaft 60: L2 = 30 + 20 = 50 against 20 + 2 + 30 + 1 = 53.
      {"q, driven shaft", [](Quadrant& q) { q.drivenShaftDiameter = mm("60"); }, {30, 30, 20, 20},
       MountFailure::kQHitsDriven, "index: 20 on the stud hits the driven shaft by 3.0 mm", thinnerDriven, 30000},
      // D = 100 against 90 + 2 + 10 + 1 = 103, L1 = L2 = 110.
      {"p, driven shaft", none, {90, 90, 20, 20}, MountFailure::kPHitsDriven,
       "index: 90 on the driving shaft hits the driven shaft by 3.0 mm", thinnerDriven, 30000},
      {"s, driving shaft", none, {20, 20, 90, 90}, MountFailure::kSHitsDriving,
       "index: 90 on the driven shaft hits the driving shaft by 3.0 mm", thinnerDriving, 30000},
      // OD(80) = 164 against a guard of 160.
      {"p, guard", [](Quadrant& q) { q.maxDrivingOutsideDiameter = mm("160"); }, {80, 80, 30, 30},
       MountFailure::kPTooLarge, "index: 80 on the driving shaft is too large for its guard by 4.0 mm",
       [](Quadrant& q, std::int64_t u) { q.maxDrivingOutsideDiameter = Decimal4::fromUnits(1600000 + u); }, 40000},
      {"q, guard", [](Quadrant& q) { q.maxStudOutsideDiameter = mm("160"); }, {30, 30, 80, 80},
       MountFailure::kQTooLarge, "index: 80 on the stud is too large for its guard by 4.0 mm",
       [](Quadrant& q, std::int64_t u) { q.maxStudOutsideDiameter = Decimal4::fromUnits(1600000 + u); }, 40000},
      {"r, guard", [](Quadrant& q) { q.maxStudOutsideDiameter = mm("160"); }, {80, 80, 30, 30},
       MountFailure::kRTooLarge, "index: 80 on the stud is too large for its guard by 4.0 mm",
       [](Quadrant& q, std::int64_t u) { q.maxStudOutsideDiameter = Decimal4::fromUnits(1600000 + u); }, 40000},
      {"s, guard", [](Quadrant& q) { q.maxDrivenOutsideDiameter = mm("160"); }, {30, 30, 80, 80},
       MountFailure::kSTooLarge, "index: 80 on the driven shaft is too large for its guard by 4.0 mm",
       [](Quadrant& q, std::int64_t u) { q.maxDrivenOutsideDiameter = Decimal4::fromUnits(1600000 + u); }, 40000},
  };
  for (const auto& c : cases) {
    Quadrant q = plainQuadrant();
    c.setUp(q);
    const MountResult result = checked(q, c.train);
    EXPECT_FALSE(result.mounts) << c.what;
    EXPECT_EQ(result.failure, c.failure) << c.what;
    EXPECT_EQ(result.note, c.note) << c.what;
    Quadrant onLimit = q, beyond = q;
    c.relax(onLimit, c.by);
    c.relax(beyond, c.by - 1);
    const MountResult fits = checked(onLimit, c.train);
    EXPECT_TRUE(fits.mounts && fits.way == 0) << c.what;
    EXPECT_TRUE(fits.note.empty()) << c.what;
    const MountResult justBeyond = checked(beyond, c.train);
    EXPECT_FALSE(justBeyond.mounts) << c.what;
    EXPECT_NE(justBeyond.note.find(" 0.1 mm"), std::string::npos) << c.what << ": 0.0001 mm shown rounded up";
  }
  // The stud's two distances differing by more than D is tested first.
  const MountResult apart = checked(plainQuadrant(), {20, 20, 130, 20});
  EXPECT_EQ(apart.failure, MountFailure::kStudApart);
  EXPECT_EQ(apart.note, "index: the stud cannot be set: L1 and L2 differ by 10.0 mm more than the centre distance");
  EXPECT_FALSE(apart.stud);
}

TEST(Mounting, FourWaysInOrderAndTheFirstThatFitsShown) {
  const struct {
    GearTrain train;
    int way;
    Arrangement shown;
    double l1, l2;
  } cases[] = {
      // As listed (30, 30, 30, 30): every way alike.
      {{30, 30, 30, 30}, 0, {30, 30, 30, 30}, 60, 60},
      // Listed (20, 20, 30, 40): L1 = 40 < 30 + 13. Drivers exchanged (30, 20, 20, 40)
      // fits: 50 >= 33, 60 >= 33, p, s <= 87.
      {{20, 30, 20, 40}, 1, {30, 20, 20, 40}, 50, 60},
      // Listed (20, 80, 30, 90) and drivers exchanged: s = 90 > 87. Driven exchanged
      // (20, 90, 30, 80) fits: 110 >= 43, 110 >= 103, s = 80.
      {{20, 30, 80, 90}, 2, {20, 90, 30, 80}, 110, 110},
      // Listed (20, 40, 30, 20): L2 = 50 < 40 + 13; drivers exchanged likewise (40 < 53);
      // driven exchanged (20, 20, 30, 40): L1 = 40 < 43. Both (30, 20, 20, 40) fits.
      {{20, 30, 40, 20}, 3, {30, 20, 20, 40}, 50, 60},
  };
  const MountCheck check(plainQuadrant(), TrainKind::kFeed, 1);
  for (const auto& c : cases) {
    const MountResult r = check.check(c.train);
    EXPECT_TRUE(r.mounts && check.mounts(c.train)) << c.way;
    EXPECT_EQ(r.way, c.way);
    EXPECT_EQ(r.arrangement, c.shown) << c.way;
    EXPECT_EQ(std::tuple(r.l1, r.l2), std::tuple(c.l1, c.l2)) << c.way;
    ASSERT_TRUE(r.stud) << c.way;
    // The stud lies L1 from the driving shaft and L2 from the driven shaft, above them.
    EXPECT_NEAR(std::hypot(r.stud->x, r.stud->y), c.l1, 1e-9);
    EXPECT_NEAR(std::hypot(r.stud->x - 100, r.stud->y), c.l2, 1e-9);
    EXPECT_GT(r.stud->y, 0);
  }
  // The note speaks of the train it is on; nonsense is refused, not computed.
  EXPECT_EQ(check.check({20, 20, 25, 25}).note.substr(0, 6), "feed: ");
  EXPECT_EQ(check.check({30, 30, 30, 2'000'000'000}).note, "feed: tooth counts from 1 to 999 only");
  Quadrant broken = plainQuadrant();
  broken.centreDistance = Decimal4();
  EXPECT_FALSE(MountCheck(broken, TrainKind::kIndex, 1).mounts({30, 30, 30, 30}));
  EXPECT_EQ(checked(broken, {30, 30, 30, 30}).note,
            "index: the machine profile cannot be used: index.centreDistance: expects a length in mm above 0 and at "
            "most 5000, got 0");
}

TEST(Mounting, DiametralPitchIsTheModule25Point4OverIt) {
  Quadrant dp = plainQuadrant();
  dp.pitchUnit = PitchUnit::kDiametralPitch;
  dp.pitch = mm("10");
  Quadrant module = plainQuadrant();
  module.pitch = mm("2.54");
  EXPECT_DOUBLE_EQ(dp.moduleMm(), 2.54);
  const MountCheck byDp(dp, TrainKind::kIndex, 1), byModule(module, TrainKind::kIndex, 1);
  int mounting = 0;
  for (int a = 16; a <= 96; a += 8)
    for (int c = 20; c <= 90; c += 14)
      for (int d : {18, 37, 61}) {
        const GearTrain t{a, 40, c, d};
        const MountResult x = byDp.check(t), y = byModule.check(t);
        EXPECT_EQ(std::tuple(x.mounts, x.way, x.l1, x.l2, x.note), std::tuple(y.mounts, y.way, y.l1, y.l2, y.note));
        mounting += x.mounts;
      }
  EXPECT_GT(mounting, 20);
  // DP 12: m = 2.1166..., yet L1 = L2 = 25.4 x 96 / 24 = 101.6 exactly, and the stud
  // reaches a D of exactly 203.2, not one of 203.2001.
  dp.pitch = mm("12");
  dp.centreDistance = mm("203.2");
  EXPECT_TRUE(checked(dp, {48, 48, 48, 48}).mounts);
  dp.centreDistance = mm("203.2001");
  EXPECT_EQ(checked(dp, {48, 48, 48, 48}).note,
            "index: the stud cannot reach: L1 + L2 is 0.1 mm short of the centre distance");
}

// The idler exactly on its limit, straight and bent. Straight: 48 teeth between
// r = 16 and s = 22 (A = 64, B = 70), driving shaft 48, p = 60, q = 41: L1 = 101,
// L2 = A + B = 134 <= L1 + D, and by Stewart's theorem |OI|^2 = (70 x 101^2 + 64 x
// 100^2) / 134 - 64 x 70 = 5625: the idler's centre lies 75 mm from the driving shaft,
// exactly its 50 + 24 + 1 needed. Bent: 72 teeth between r = 38 and s = 28 (A = 110,
// B = 100), driving shaft 10, p = q = 25: L1 = 50, A + B > L1 + D, so L2 = 150 with the
// stud at (-50, 0), and |OI|^2 = (110^2 x 100 + 100^2 x 50 - 50 x 100 x 150) / 150 =
// 6400: 80 mm, exactly 74 + 5 + 1.
TEST(Mounting, IdlerBetweenRAndS) {
  const struct {
    const char* what;
    const char* driving;
    int idler;
    GearTrain train;
    double l1, l2;
  } onLimit[] = {
      {"straight", "48", 48, {60, 16, 41, 22}, 101, 134},
      {"bent", "10", 72, {25, 38, 25, 28}, 50, 150},
  };
  Quadrant q = plainQuadrant();
  for (const auto& c : onLimit) {
    q.drivingShaftDiameter = mm(c.driving);
    q.idler = c.idler;
    EXPECT_FALSE(MountCheck(q, TrainKind::kIndex, 1).usesIdler()) << "with one stud the idler is not used";
    const MountResult r = checked(q, c.train, 2);
    ASSERT_TRUE(r.mounts && r.idler && r.tightest) << c.what;
    EXPECT_EQ(std::tuple(r.way, r.l1, r.l2), std::tuple(0, c.l1, c.l2)) << c.what;
    const double a = c.train.b + c.idler, b = c.idler + c.train.d;
    EXPECT_NEAR(std::hypot(r.idler->x - r.stud->x, r.idler->y - r.stud->y), a, 1e-9) << c.what;
    EXPECT_NEAR(std::hypot(r.idler->x - 100, r.idler->y), b, 1e-9) << c.what;
    EXPECT_EQ(std::tuple(r.tightest->gear, r.tightest->from), std::tuple(MountPart::kIdler, MountPart::kDrivingShaft));
    EXPECT_NEAR(r.tightest->mm, 1, 1e-9) << c.what;
    q.drivingShaftDiameter = Decimal4::fromUnits(q.drivingShaftDiameter.units() + 1);
    EXPECT_EQ(checked(q, c.train, 2).note, "index: the idler " + std::to_string(c.idler) + " hits the driving shaft by 0.1 mm");
  }

  // Idler 35, shafts 20. As listed (16, 16, 16, 23) it lies sqrt((58 x 32^2 + 51 x
  // 100^2) / 109 - 51 x 58) = 47.6 mm from the driving shaft, short of 37 + 10 + 1 =
  // 48; with the driven gears exchanged (16 and 16 either side, L1 = 39) 56.2 mm.
  q = plainQuadrant();
  q.idler = 35;
  EXPECT_EQ(checked(q, {16, 16, 16, 23}, 2).way, 2);

  const struct {
    const char* what;
    const char* driving;
    const char* studGuard;
    int idler;
    GearTrain train;
    const char* note;
  } failing[] = {
      // Straight: L1 = 80, A = B = 50: |OI|^2 = (6400 + 10000) / 2 - 2500 = 5700 < 83^2.
      {"straight", "100", "200", 30, {40, 20, 40, 20}, "index: the idler 30 hits the driving shaft by 7.6 mm"},
      // Bent: L1 = 40, A + B = 160 > L1 + D, so L2 = 140 with the stud at (-40, 0):
      // |OI|^2 = (80^2 x 100 + 80^2 x 40) / 140 - 40 x 100 = 2400 < 73^2.
      {"bent", "20", "200", 60, {20, 20, 20, 20}, "index: the idler 60 hits the driving shaft by 24.1 mm"},
      // L1 = 32, L2 = 72, the idler 64 from the driven shaft's 100: clear. Its OD 44 is
      // beyond a stud guard of 40 that the 16s (OD 36) fit.
      {"guard", "20", "40", 20, {16, 16, 16, 16}, "index: the idler 20 is too large for the stud's guard by 4.0 mm"},
  };
  for (const auto& f : failing) {
    q.drivingShaftDiameter = mm(f.driving);
    q.maxStudOutsideDiameter = mm(f.studGuard);
    q.idler = f.idler;
    EXPECT_EQ(checked(q, f.train, 2).note, f.note) << f.what;
  }
  // r and s must clear each other, which counts with a small module and a wide gap:
  // module 0.5, gap 10, shafts 2, idler 16, D = 40. As listed (80, 16, 40, 40): L1 = 24,
  // the idler straight makes L2 = 0.25 x (40 + 40 + 32) = 28 >= 0.25 x 18 + 1 + 10 for
  // q, but r and s need 0.25 x 84 + 10 = 31. The other ways fail at r or at r and s.
  q = plainQuadrant();
  q.pitch = mm("0.5");
  q.centreDistance = mm("40");
  q.drivingShaftDiameter = q.drivenShaftDiameter = mm("2");
  q.gap = mm("10");
  q.idler = 16;
  EXPECT_EQ(checked(q, {80, 40, 16, 40}, 2).note, "index: 40 on the stud hits 40 on the driven shaft by 3.0 mm");
}

}  // namespace
}  // namespace hobwise
