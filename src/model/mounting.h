#pragma once
// Will a change-gear train go on the machine? The check of one train of four gears
// against its quadrant (model/machine_profile.h).
//
// A train (a x b)/(c x d) has drivers a, b and driven gears c, d. Exchanging the two
// drivers or the two driven gears keeps the ratio, so it can be put up four ways,
// tried in this order: as listed (p, q, r, s = a, c, b, d), drivers exchanged, driven
// exchanged, both. p sits on the driving shaft and meshes q on the compound stud in
// the rear plane; r, on the stud with q, meshes s on the driven shaft in the front
// plane. With OD(z) = m (z + 2), L1 = m (p + q) / 2 and L2 = m (r + s) / 2, a way fits
// when, tested in this order,
//   1. the stud can be set: |L1 - L2| <= D <= L1 + L2, and L1 lies in the stud range;
//   2. r clears the driving shaft: L1 >= OD(r)/2 + driving/2 + g;
//   3. q clears the driven shaft:  L2 >= OD(q)/2 + driven/2 + g;
//   4. p clears the driven shaft and s the driving shaft:
//      D >= OD(p)/2 + driven/2 + g and D >= OD(s)/2 + driving/2 + g;
//   5. every gear is within the largest outside diameter of its shaft's guard.
// With the quadrant's idler in the train (a set-up with two intermediate studs), the
// idler i sits between r and s in the front plane and L2 becomes the stud's distance
// from the driven shaft as far as the idler allows: m (r + s + 2i) / 2 (idler straight)
// or L1 + D (stud swung round opposite the driven shaft, idler bent), whichever is
// less; step 3 also asks r and s to clear each other, step 4 the idler to clear the
// driving shaft, step 5 the idler to fit the stud's guard.
//
// Every decision is exact: the lengths and the pitch are exact decimals, and the check
// counts in ticks, a length unit chosen per quadrant in which the half module and every
// length and half diameter of the quadrant are whole numbers; a limit met exactly fits.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "model/machine_profile.h"

namespace hobwise {

enum class TrainKind { kIndex, kFeed };

// Intermediate studs a set-up item asks for in a train: index 1 with a right-hand hob
// (items 0 to 3) and 2 with a left-hand hob; feed 1 for items 0, 2, 5, 7 and 2 for
// items 1, 3, 4, 6. 1 for an item outside 0 to 7.
int intermediateStuds(int setupIndex, TrainKind train);

// (a x b)/(c x d) as the Main page shows it: a, b the upper gears, c, d the lower.
struct GearTrain {
  int a = 0, b = 0, c = 0, d = 0;
};

// A train from its driving pair and its driven pair (larger, smaller), placed as the
// Main page places them: upper left the smaller driver, lower left the larger driven.
inline GearTrain shownTrain(int drivingLarger, int drivingSmaller, int drivenLarger, int drivenSmaller) {
  return {drivingSmaller, drivingLarger, drivenLarger, drivenSmaller};
}

struct Arrangement {
  int p = 0, q = 0, r = 0, s = 0;
  bool operator==(const Arrangement&) const = default;
};

// The four ways in the order tried: as listed, drivers exchanged, driven exchanged, both.
std::array<Arrangement, 4> arrangementsOf(const GearTrain& train);

// The first condition a way fails, in the order they are tested.
enum class MountFailure {
  kNone,
  kStudApart,         // |L1 - L2| > D
  kStudShort,         // L1 + L2 < D
  kOutsideSlot,       // L1 outside the stud range
  kRHitsDriving,
  kQHitsDriven,
  kRHitsS,            // with the idler
  kPHitsDriven,
  kSHitsDriving,
  kIdlerHitsDriving,  // with the idler
  kPTooLarge,
  kQTooLarge,
  kRTooLarge,
  kSTooLarge,
  kIdlerTooLarge,
};

enum class MountPart { kP, kQ, kR, kS, kIdler, kDrivingShaft, kDrivenShaft };

// A place on the quadrant in mm: the driving shaft at (0, 0), the driven shaft at
// (D, 0), y upwards.
struct Point {
  double x = 0, y = 0;
};

// The gap between a gear's tip and a shaft's collar (or, for r and s with the idler,
// the other gear's tip), in mm.
struct Clearance {
  MountPart gear = MountPart::kP;
  MountPart from = MountPart::kDrivenShaft;
  double mm = 0;
};

struct MountResult {
  bool mounts = false;
  int way = 0;  // 0 as listed, 1 drivers exchanged, 2 driven exchanged, 3 both
  Arrangement arrangement;  // the way shown: the first that fits, else as listed
  double l1 = 0;            // mm, stud to driving shaft
  double l2 = 0;            // mm, stud to driven shaft
  // The stud's centre, the upper of the two places at L1 from the driving shaft and L2
  // from the driven shaft; none when there is no such place.
  std::optional<Point> stud;
  // The idler's centre when the idler is in the train (on the side of r and s away
  // from the driving shaft).
  std::optional<Point> idler;
  // The least of the clearances the conditions ask for, of the way shown.
  std::optional<Clearance> tightest;
  MountFailure failure = MountFailure::kNone;  // of the way as listed, when none fits
  // Empty when the train mounts; otherwise the first failing condition of the way as
  // listed in words, e.g. "index: 65 on the stud hits the driven shaft by 3.2 mm"
  // (amounts in mm, one decimal, rounded up).
  std::string note;
};

// The check for one train of one machine, prepared once: the quadrant's sizes turned
// into whole numbers of ticks. Cheap to copy; `mounts` uses no memory and no
// floating point.
class MountCheck {
 public:
  // A quadrant that machineProfileProblem refuses mounts nothing, with a note saying
  // why; so does a train with a tooth count outside 1 to 999. The idler is in the train when the set-up asks for two intermediate studs and
  // the quadrant has one.
  MountCheck(const Quadrant& quadrant, TrainKind train, int intermediateStuds);

  bool mounts(const GearTrain& train) const;
  MountResult check(const GearTrain& train) const;

  bool usesIdler() const { return idler_ > 0; }
  TrainKind train() const { return train_; }

 private:
  struct Geometry;
  struct Failure;
  Geometry geometry(const Arrangement& g) const;
  Failure firstFailure(const Arrangement& g, const Geometry& geo) const;
  bool idlerClearsDriving(const Arrangement& g, const Geometry& geo) const;
  void describe(const Arrangement& g, const Geometry& geo, MountResult& result) const;
  std::string note(const Arrangement& g, const Geometry& geo, const Failure& f, const MountResult& r) const;
  double mm(std::int64_t ticks) const { return static_cast<double>(ticks) / static_cast<double>(ticksPerMm_); }
  std::string tenthsUp(std::int64_t ticks) const;  // one decimal, rounded up
  std::string trainName() const;
  double idlerGap(const MountResult& result) const;  // idler's tip to the driving shaft's collar, mm

  Quadrant quadrant_;
  TrainKind train_;
  std::string problem_;  // of the quadrant; when set, nothing mounts
  std::int64_t ticksPerMm_ = 1;
  std::int64_t half_ = 0;        // ticks per tooth of a pitch radius: m / 2
  std::int64_t distance_ = 0;    // D
  std::int64_t drivingHalf_ = 0; // half the driving shaft's diameter
  std::int64_t drivenHalf_ = 0;
  std::int64_t gap_ = 0;
  bool slot_ = false;
  std::int64_t slotLeast_ = 0, slotGreatest_ = 0;
  std::int64_t maxDriving_ = 0, maxStud_ = 0, maxDriven_ = 0;  // diameters
  int idler_ = 0;                // tooth count; 0 when not in the train
};

}  // namespace hobwise
