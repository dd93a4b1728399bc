#pragma once
// The rules by which a solve run accepts or drops what it meets, each in one place:
// the band of index trains, the whole and finite tests and the cap on C constants,
// the 0.001 limit on a feed train's error, the window around the wanted feed, and the
// stock check of a train. The run (both its plain and its fast form, wherever the fast
// form decides in DecFloat) and the check of a mounted train call these; the fast
// forms take their double-precision limits from the constants here. With "Mountable
// Trains Only" the mounting check of a train stands beside the stock check.
#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "model/decfloat.h"
#include "model/gear_stock.h"
#include "model/job.h"
#include "model/mounting.h"

namespace hobwise {

// The limits of a run as the literals they are written as; each enters DecFloat as the
// double value of its literal.
inline constexpr double kCConstantCap = 9999.9999;      // the largest C constant kept
inline constexpr double kCConstantTolerance = 1e-90;    // of the whole and the finite test
inline constexpr long long kFiniteScale = 100000000000LL;  // 11 decimals
inline constexpr double kFeedErrorLimit = 0.001;        // a feed train's error must be below it
inline constexpr double kFeedWindow = 0.005;            // the actual feed must lie this near the wanted one

// How a value compares with another: NaN on either side compares as neither greater
// nor less (Equal).
enum class Order { Less, Equal, Greater };
Order compare(const DecFloat& value, const DecFloat& other);

// The ratio of a train: the driving product over the driven product, in DecFloat.
inline DecFloat trainRatio(std::uint64_t driving, std::uint64_t driven) { return DecFloat(driving) / DecFloat(driven); }

// A value lies in the feed band when it lies strictly between the two ends, in
// whichever order the ends fall (the low end is the larger one for the falling index
// formula); `vsLowEnd` and `vsHighEnd` are its order against each end.
constexpr bool strictlyBetween(Order vsLowEnd, Order vsHighEnd) {
  return (vsLowEnd == Order::Greater && vsHighEnd == Order::Less) ||
         (vsLowEnd == Order::Less && vsHighEnd == Order::Greater);
}

// The band of index ratios a run searches: indexRatioFor of cLow and of cHigh, with the
// ratio of the wanted feed (the target of the bisections) between them.
struct FeedBand {
  DecFloat target;   // indexRatioFor(requiredC)
  DecFloat lowEnd;   // indexRatioFor(cLow)
  DecFloat highEnd;  // indexRatioFor(cHigh)

  static FeedBand of(const JobParameters& job);
  bool contains(const DecFloat& indexRatio) const;
};

// The C constant's tests: whole (c - floor(c) below the tolerance), finite (at most 11
// decimals), the option the user chose (whole wins when both are set), and the cap.
bool passesWholeTest(const DecFloat& c);
bool passesFiniteTest(const DecFloat& c);
bool passesCConstantOption(const DecFloat& c, bool wholeOnly, bool finiteOnly);
bool withinCap(const DecFloat& c);  // not above 9999.9999 (NaN is not above)

// A feed train is kept for a C constant when its error (the absolute difference of its
// ratio from the ratio the C constant asks for) is below 0.001; NaN is not.
bool withinFeedErrorLimit(const DecFloat& error);

// The actual feeds a run keeps: within 0.005 of the wanted feed; a NaN feed or bound
// stays.
struct FeedWindow {
  DecFloat low;   // wanted feed - 0.005
  DecFloat high;  // wanted feed + 0.005

  static FeedWindow of(const JobParameters& job);
  bool contains(const DecFloat& feed) const { return !(feed > high || feed < low); }
};

// The stock as a run sees it: the count of every tooth count, read once, and the
// "Bypass Duplicates Check" option.
struct StockSnapshot {
  std::array<std::uint8_t, 256> counts{};  // by tooth count
  bool bypassDuplicates = false;

  static StockSnapshot of(const GearStock& stock, bool bypassDuplicates);
  int count(std::uint16_t toothCount) const { return toothCount < counts.size() ? counts[toothCount] : 0; }
};

// The stock check of a train: true when the stock holds enough gears of every tooth
// count that occurs more than once among the gears (always, when duplicates go
// unchecked). The plain form merges sorted entries one by one; the fast form counts
// each tooth count against the earlier gears. The same answer; `exact` picks the plain.
bool checkStockPlain(const StockSnapshot& stock, std::span<const std::uint16_t> gears);
bool checkStockFast(const StockSnapshot& stock, std::span<const std::uint16_t> gears);
inline bool checkStock(const StockSnapshot& stock, std::span<const std::uint16_t> gears, bool exact) {
  return exact ? checkStockPlain(stock, gears) : checkStockFast(stock, gears);
}

// "Mountable Trains Only": the mounting check of a run's index and feed trains on one
// machine, prepared once per run for its set-up (the intermediate studs decide whether
// a quadrant's idler is in a train). A train is given by its driving pair and its
// driven pair, each (larger, smaller), and checked as the Main page shows it.
// Immutable; safe on any thread.
class MountRule {
 public:
  MountRule(const Quadrant& index, const Quadrant& feed, int setupIndex);

  bool indexMounts(std::uint16_t drivingLarger, std::uint16_t drivingSmaller, std::uint16_t drivenLarger,
                   std::uint16_t drivenSmaller) const {
    return index_.mounts(shownTrain(drivingLarger, drivingSmaller, drivenLarger, drivenSmaller));
  }
  bool feedMounts(std::uint16_t drivingLarger, std::uint16_t drivingSmaller, std::uint16_t drivenLarger,
                  std::uint16_t drivenSmaller) const {
    return feed_.mounts(shownTrain(drivingLarger, drivingSmaller, drivenLarger, drivenSmaller));
  }

 private:
  MountCheck index_;
  MountCheck feed_;
};

}  // namespace hobwise
