#include "model/mounting.h"

#include <boost/multiprecision/cpp_int.hpp>
#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

#include "model/internal/profile_rules.h"

namespace hobwise {

int intermediateStuds(int setupIndex, TrainKind train) {
  if (setupIndex < 0 || setupIndex > 7) return 1;
  if (train == TrainKind::kIndex) return setupIndex < 4 ? 1 : 2;
  return (setupIndex == 1 || setupIndex == 3 || setupIndex == 4 || setupIndex == 6) ? 2 : 1;
}

std::array<Arrangement, 4> arrangementsOf(const GearTrain& t) {
  return {Arrangement{t.a, t.c, t.b, t.d}, Arrangement{t.b, t.c, t.a, t.d}, Arrangement{t.a, t.d, t.b, t.c},
          Arrangement{t.b, t.d, t.a, t.c}};
}

// Lengths of one way, in ticks. With the idler, l2 is the stud's distance from the
// driven shaft as the idler sets it, and `straight` says whether the idler lies on the
// line from the stud to the driven shaft (otherwise the stud is swung round to the
// far side of the driving shaft: l2 = l1 + D).
struct MountCheck::Geometry {
  std::int64_t l1 = 0, l2 = 0;
  bool straight = true;
};

struct MountCheck::Failure {
  MountFailure what = MountFailure::kNone;
  std::int64_t by = 0;  // ticks by which the condition is missed (not for the idler's clearance)
};

MountCheck::MountCheck(const Quadrant& quadrant, TrainKind train, int intermediateStuds)
    : quadrant_(quadrant), train_(train) {
  problem_ = profile::quadrantProblem(train == TrainKind::kIndex ? "index" : "feed", quadrant);
  if (!problem_.empty()) return;
  // With a module of M ten-thousandths of a mm, a tick is 1/20000 mm and m/2 is M ticks.
  // With a diametral pitch of P ten-thousandths, m/2 = 12.7/DP = 127000/P mm; a tick of
  // g/(20000 P) mm, g = gcd(P, 2540000000), makes m/2 = 2540000000/g ticks while every
  // length of L ten-thousandths of a mm is 2 L P/g ticks, a half length L P/g.
  std::int64_t scale = 1;  // P/g
  if (quadrant.pitchUnit == PitchUnit::kModule) {
    half_ = quadrant.pitch.units();
  } else {
    const std::int64_t p = quadrant.pitch.units();
    const std::int64_t g = std::gcd(p, std::int64_t{2'540'000'000});
    scale = p / g;
    half_ = 2'540'000'000 / g;
  }
  ticksPerMm_ = 2 * Decimal4::kScale * scale;
  const auto length = [scale](Decimal4 x) { return 2 * x.units() * scale; };
  const auto halfOf = [scale](Decimal4 x) { return x.units() * scale; };
  distance_ = length(quadrant.centreDistance);
  drivingHalf_ = halfOf(quadrant.drivingShaftDiameter);
  drivenHalf_ = halfOf(quadrant.drivenShaftDiameter);
  gap_ = length(quadrant.gap);
  if (quadrant.studRange) {
    slot_ = true;
    slotLeast_ = length((*quadrant.studRange)[0]);
    slotGreatest_ = length((*quadrant.studRange)[1]);
  }
  maxDriving_ = length(quadrant.maxDrivingOutsideDiameter);
  maxStud_ = length(quadrant.maxStudOutsideDiameter);
  maxDriven_ = length(quadrant.maxDrivenOutsideDiameter);
  if (intermediateStuds == 2 && quadrant.idler) idler_ = *quadrant.idler;
}

MountCheck::Geometry MountCheck::geometry(const Arrangement& g) const {
  Geometry geo{half_ * (g.p + g.q), half_ * (g.r + g.s), true};
  if (idler_ > 0) {
    const std::int64_t bridge = half_ * (g.r + g.s + 2 * idler_);
    geo.straight = bridge <= geo.l1 + distance_;
    geo.l2 = geo.straight ? bridge : geo.l1 + distance_;
  }
  return geo;
}

// Whether the idler's tip clears the driving shaft's collar: |OI| >= R, with O the
// driving shaft and I the idler's centre. |OI| >= D - B always (B = |IP|), which
// settles most cases; otherwise Stewart's theorem gives |OI|^2 as a ratio of whole
// numbers: straight idler on CP (|CI| = A, |IP| = B): |OI|^2 (A + B) = B L1^2 + A D^2
// - A B (A + B); bent idler over O on CP (|CO| = L1, |OP| = D, |CP| = L2):
// |OI|^2 L2 = A^2 D + B^2 L1 - L1 D L2. Products of three lengths need 256 bits.
bool MountCheck::idlerClearsDriving(const Arrangement& g, const Geometry& geo) const {
  using Wide = boost::multiprecision::int256_t;
  const std::int64_t needed = half_ * (idler_ + 2) + drivingHalf_ + gap_;
  const std::int64_t a = half_ * (g.r + idler_);
  const std::int64_t b = half_ * (idler_ + g.s);
  if (distance_ - b >= needed) return true;
  const Wide A = a, B = b, L1 = geo.l1, D = distance_, L2 = geo.l2, R = needed;
  if (geo.straight) return B * L1 * L1 + A * D * D - A * B * (A + B) >= R * R * (A + B);
  return A * A * D + B * B * L1 - L1 * D * L2 >= R * R * L2;
}

MountCheck::Failure MountCheck::firstFailure(const Arrangement& g, const Geometry& geo) const {
  using F = MountFailure;
  const auto tip = [this](int teeth) { return half_ * (teeth + 2); };
  const std::int64_t apart = geo.l1 > geo.l2 ? geo.l1 - geo.l2 : geo.l2 - geo.l1;
  if (apart > distance_) return {F::kStudApart, apart - distance_};
  if (geo.l1 + geo.l2 < distance_) return {F::kStudShort, distance_ - geo.l1 - geo.l2};
  if (slot_ && geo.l1 < slotLeast_) return {F::kOutsideSlot, slotLeast_ - geo.l1};
  if (slot_ && geo.l1 > slotGreatest_) return {F::kOutsideSlot, geo.l1 - slotGreatest_};
  // have >= need, in the order of the conditions.
  const struct {
    F what;
    bool applies;
    std::int64_t have, need;
  } clearances[] = {
      {F::kRHitsDriving, true, geo.l1, tip(g.r) + drivingHalf_ + gap_},
      {F::kQHitsDriven, true, geo.l2, tip(g.q) + drivenHalf_ + gap_},
      {F::kRHitsS, idler_ > 0, geo.l2, tip(g.r) + tip(g.s) + gap_},
      {F::kPHitsDriven, true, distance_, tip(g.p) + drivenHalf_ + gap_},
      {F::kSHitsDriving, true, distance_, tip(g.s) + drivingHalf_ + gap_},
  };
  for (const auto& c : clearances)
    if (c.applies && c.have < c.need) return {c.what, c.need - c.have};
  if (idler_ > 0 && !idlerClearsDriving(g, geo)) return {F::kIdlerHitsDriving, 0};
  const struct {
    F what;
    bool applies;
    std::int64_t diameter, room;
  } guards[] = {
      {F::kPTooLarge, true, 2 * tip(g.p), maxDriving_}, {F::kQTooLarge, true, 2 * tip(g.q), maxStud_},
      {F::kRTooLarge, true, 2 * tip(g.r), maxStud_},    {F::kSTooLarge, true, 2 * tip(g.s), maxDriven_},
      {F::kIdlerTooLarge, idler_ > 0, 2 * tip(idler_), maxStud_},
  };
  for (const auto& c : guards)
    if (c.applies && c.diameter > c.room) return {c.what, c.diameter - c.room};
  return {};
}

namespace {

// Tooth counts the arithmetic is sized for (the stock's 16 to 169 and then some).
bool checkable(const GearTrain& t) {
  for (int teeth : {t.a, t.b, t.c, t.d})
    if (teeth < 1 || teeth > 999) return false;
  return true;
}

}  // namespace

bool MountCheck::mounts(const GearTrain& train) const {
  if (!problem_.empty() || !checkable(train)) return false;
  for (const Arrangement& g : arrangementsOf(train))
    if (firstFailure(g, geometry(g)).what == MountFailure::kNone) return true;
  return false;
}

MountResult MountCheck::check(const GearTrain& train) const {
  MountResult result;
  const auto ways = arrangementsOf(train);
  result.arrangement = ways[0];
  if (!problem_.empty()) {
    result.note = trainName() + ": the machine profile cannot be used: " + problem_;
    return result;
  }
  if (!checkable(train)) {
    result.note = trainName() + ": tooth counts from 1 to 999 only";
    return result;
  }
  for (int way = 0; way < 4; ++way) {
    const Geometry geo = geometry(ways[way]);
    if (firstFailure(ways[way], geo).what == MountFailure::kNone) {
      result.mounts = true;
      result.way = way;
      result.arrangement = ways[way];
      describe(ways[way], geo, result);
      return result;
    }
  }
  const Geometry geo = geometry(ways[0]);
  const Failure failure = firstFailure(ways[0], geo);
  result.failure = failure.what;
  describe(ways[0], geo, result);
  result.note = note(ways[0], geo, failure, result);
  return result;
}

// ---------------------------------------------------------------------------------
// Places, clearances and words, for the drawing, the sheet and the notes.

namespace {

// The meeting point of two circles on the left of the way from c0 to c1 (above the
// axis when c0 is the driving shaft and c1 the driven shaft).
Point leftMeeting(Point c0, double r0, Point c1, double r1) {
  const double dx = c1.x - c0.x, dy = c1.y - c0.y;
  const double d = std::hypot(dx, dy);
  if (d <= 0) return c0;
  const double a = (r0 * r0 - r1 * r1 + d * d) / (2 * d);
  const double h = std::sqrt(std::max(0.0, r0 * r0 - a * a));
  const double ux = dx / d, uy = dy / d;
  return {c0.x + a * ux - h * uy, c0.y + a * uy + h * ux};
}

std::string tenthsText(std::int64_t tenths) {
  return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

}  // namespace

std::string MountCheck::trainName() const { return train_ == TrainKind::kIndex ? "index" : "feed"; }

std::string MountCheck::tenthsUp(std::int64_t ticks) const {
  return tenthsText((ticks * 10 + ticksPerMm_ - 1) / ticksPerMm_);
}

double MountCheck::idlerGap(const MountResult& result) const {
  if (!result.idler) return 0;
  return std::hypot(result.idler->x, result.idler->y) - mm(half_ * (idler_ + 2) + drivingHalf_);
}

void MountCheck::describe(const Arrangement& g, const Geometry& geo, MountResult& result) const {
  using P = MountPart;
  result.l1 = mm(geo.l1);
  result.l2 = mm(geo.l2);
  const double d = mm(distance_);
  const std::int64_t apart = geo.l1 > geo.l2 ? geo.l1 - geo.l2 : geo.l2 - geo.l1;
  if (apart <= distance_ && distance_ <= geo.l1 + geo.l2) {
    result.stud = leftMeeting({0, 0}, result.l1, {d, 0}, result.l2);
    if (idler_ > 0)
      result.idler = leftMeeting(*result.stud, mm(half_ * (g.r + idler_)), {d, 0}, mm(half_ * (idler_ + g.s)));
  }
  const auto tip = [this](int teeth) { return half_ * (teeth + 2); };
  std::vector<Clearance> gaps = {
      {P::kR, P::kDrivingShaft, mm(geo.l1 - tip(g.r) - drivingHalf_)},
      {P::kQ, P::kDrivenShaft, mm(geo.l2 - tip(g.q) - drivenHalf_)},
      {P::kP, P::kDrivenShaft, mm(distance_ - tip(g.p) - drivenHalf_)},
      {P::kS, P::kDrivingShaft, mm(distance_ - tip(g.s) - drivingHalf_)},
  };
  if (idler_ > 0) {
    gaps.insert(gaps.begin() + 2, {P::kR, P::kS, mm(geo.l2 - tip(g.r) - tip(g.s))});
    if (result.idler) gaps.push_back({P::kIdler, P::kDrivingShaft, idlerGap(result)});
  }
  result.tightest = gaps[0];
  for (const Clearance& c : gaps)
    if (c.mm < result.tightest->mm) result.tightest = c;
}

std::string MountCheck::note(const Arrangement& g, const Geometry& geo, const Failure& f,
                             const MountResult& result) const {
  using F = MountFailure;
  const std::string by = " by " + tenthsUp(f.by) + " mm";
  const auto on = [](int teeth, const char* where) { return std::to_string(teeth) + " on the " + where; };
  const std::string idler = "the idler " + std::to_string(idler_);
  std::string words;
  switch (f.what) {
    case F::kNone: return {};
    case F::kStudApart:
      words = "the stud cannot be set: L1 and L2 differ by " + tenthsUp(f.by) + " mm more than the centre distance";
      break;
    case F::kStudShort:
      words = "the stud cannot reach: L1 + L2 is " + tenthsUp(f.by) + " mm short of the centre distance";
      break;
    case F::kOutsideSlot:
      words = "the stud at L1 = " + tenthsText((geo.l1 * 10 + ticksPerMm_ / 2) / ticksPerMm_) + " mm lies " +
              tenthsUp(f.by) + " mm outside its slot (" + (*quadrant_.studRange)[0].text() + " to " +
              (*quadrant_.studRange)[1].text() + " mm)";
      break;
    case F::kRHitsDriving: words = on(g.r, "stud") + " hits the driving shaft" + by; break;
    case F::kQHitsDriven: words = on(g.q, "stud") + " hits the driven shaft" + by; break;
    case F::kRHitsS: words = on(g.r, "stud") + " hits " + on(g.s, "driven shaft") + by; break;
    case F::kPHitsDriven: words = on(g.p, "driving shaft") + " hits the driven shaft" + by; break;
    case F::kSHitsDriving: words = on(g.s, "driven shaft") + " hits the driving shaft" + by; break;
    case F::kIdlerHitsDriving: {
      // Short by the gap asked for, less what the idler's tip keeps from the collar.
      const double shortBy = mm(gap_) - idlerGap(result);
      const auto tenths = static_cast<std::int64_t>(std::ceil(shortBy * 10 - 1e-9));
      words = idler + " hits the driving shaft by " + tenthsText(std::max<std::int64_t>(1, tenths)) + " mm";
      break;
    }
    case F::kPTooLarge: words = on(g.p, "driving shaft") + " is too large for its guard" + by; break;
    case F::kQTooLarge: words = on(g.q, "stud") + " is too large for its guard" + by; break;
    case F::kRTooLarge: words = on(g.r, "stud") + " is too large for its guard" + by; break;
    case F::kSTooLarge: words = on(g.s, "driven shaft") + " is too large for its guard" + by; break;
    case F::kIdlerTooLarge: words = idler + " is too large for the stud's guard" + by; break;
  }
  return trainName() + ": " + words;
}

}  // namespace hobwise
