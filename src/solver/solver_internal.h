#pragma once
// The pieces of a solve run, open to the tests: the gear set and the pair table,
// the stock check, the index-train search with its C constants, the feed-train
// search of one worker, the division of the work and the trimming of the results.
//
// Every piece has the plain form, which does the arithmetic step by step in
// DecFloat, and most have a fast form, which decides what it safely can in machine
// arithmetic and falls back to DecFloat where the answer is close. Both forms give
// the same results, to the last digit; SolveOptions::exact picks the plain form.
#include <array>
#include <atomic>
#include <functional>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <span>
#include <vector>

#include "model/decfloat.h"
#include "model/gear_stock.h"
#include "model/job.h"
#include "solver/solver.h"
#include "solver/wide.h"

namespace hobwise::solver {

inline constexpr std::size_t kWorkerListLimit = 400;
inline constexpr std::size_t kResultLimit = 200;

// The tooth counts of which the stock holds at least one, ascending.
std::vector<std::uint32_t> gearSetFrom(const GearStock& stock);

// Every pair (GearSet[max(i, j)], GearSet[min(i, j)]) for i and j over the gear set,
// i outer, j inner, sorted by product with a stable sort.
std::vector<GearPair> buildPairTable(const std::vector<std::uint32_t>& gearSet);

// The stock as a run sees it: the count of every tooth count, read once, and the
// "Bypass Duplicates Check" option.
struct StockSnapshot {
  std::array<std::uint8_t, 256> counts{};  // by tooth count
  bool bypassDuplicates = false;

  static StockSnapshot of(const GearStock& stock, bool bypassDuplicates);
};

// True when the stock holds enough gears of every tooth count that occurs more than
// once among the gears. checkStockPlain merges sorted entries one by one;
// checkStock counts in a small table. Both give the same answer.
bool checkStockPlain(const StockSnapshot& stock, std::span<const std::uint16_t> gears);
bool checkStock(const StockSnapshot& stock, std::span<const std::uint16_t> gears);

// How a ratio of the table compares with the ratio searched for. NaN on either side
// compares as neither greater nor less, which leaves the bisection where it is.
enum class Order { Less, Equal, Greater };

// The bisection over the pair table for one driven pair: `order(mid)` compares the
// train with driving pair mid against the target, `afterStep(lo, hi, mid)` sees the
// state after every step. Returns the final lo and hi.
struct Range {
  std::size_t lo = 0;
  std::size_t hi = 0;
};
template <class OrderFn, class StepFn>
Range bisectPairs(std::size_t n, OrderFn&& order, StepFn&& afterStep) {
  std::size_t lo = 0, hi = n - 1, mid = (n - 1) / 2;
  while (true) {
    const std::size_t width = hi - lo;
    const Order o = order(mid);
    if (o == Order::Greater) {
      hi = (mid % 2 == 1 && mid < n - 1 && mid > 2) ? mid + 1 : mid;
      mid = (lo + hi) / 2;
    } else if (o == Order::Less) {
      lo = (mid % 2 == 1) ? mid - 1 : mid;
      mid = (lo + hi) / 2;
    }
    afterStep(lo, hi, mid);
    if (!(hi - lo < width)) break;
  }
  return {lo, hi};
}

// DecFloat(a) / DecFloat(b).
DecFloat quotient(std::uint64_t a, std::uint64_t b);

// A DecFloat value that ratios of tooth-count products are compared with, with its
// nearest double. orderOf(a, b) tells how DecFloat(a) / DecFloat(b) compares with the
// value: in double arithmetic where a safety margin far above every rounding error
// decides it, by the DecFloat division where the two are too close to tell.
class Threshold {
 public:
  explicit Threshold(const DecFloat& value);

  const DecFloat& exact() const { return exact_; }
  double approx() const { return approx_; }
  bool isNaN() const { return nan_; }

  // Order::Less when a/b < value, Greater when a/b > value, Equal otherwise (also NaN).
  Order orderOf(std::uint64_t a, std::uint64_t b) const;
  // The same from machine arithmetic alone; nothing when it cannot tell.
  std::optional<Order> certainOrderOf(std::uint64_t a, std::uint64_t b) const;

 private:
  DecFloat exact_;
  double approx_ = 0;
  bool nan_ = false;
};

// Relative safety margin of the machine-arithmetic decisions: a double carries 16
// digits, so a decision that holds with this much room cannot be upset by rounding.
inline constexpr double kSafety = 1e-9;

// The stop flag and the stage counts of one run, handed through its stages.
struct RunControl {
  const std::atomic<bool>* stop = nullptr;
  StageCounts counts;
  SolveStage stoppedIn = SolveStage::None;

  bool stopRequested() const { return stop && stop->load(std::memory_order_relaxed); }
  void noteStop(SolveStage stage) {
    if (stoppedIn == SolveStage::None) stoppedIn = stage;
  }
};

// Runs `work` on `count` threads (the calling thread one of them) and hands on the
// first exception any of them threw; `failed` is called on the thread that saw it.
void runOnThreads(std::size_t count, const std::function<void()>& work, const std::function<void()>& failed = {});

// ---- C-constant search ----

// The set of signed ratio errors (ratio - target) of the recorded index trains.
using RatioErrorSet = std::set<DecFloat>;

// Step A: the index trains whose ratio lies strictly inside the feed band, in the
// order they are found; a train is recorded when its signed ratio error is new and
// the stock holds its gears. cConstant is left 0.
// `control` (if given) gains indexTrains and inStock and may end the search early.
// The fast form runs its bisections on `threads` threads; the order stays the same.
std::vector<CConstantRecord> searchIndexTrainsPlain(const JobParameters& job, const std::vector<GearPair>& pairs,
                                                    const StockSnapshot& stock, RatioErrorSet& ratioErrors,
                                                    RunControl* control = nullptr);
std::vector<CConstantRecord> searchIndexTrains(const JobParameters& job, const std::vector<GearPair>& pairs,
                                               const StockSnapshot& stock, RatioErrorSet& ratioErrors,
                                               RunControl* control = nullptr, unsigned threads = 1);

// The whole and the finite test on a C constant.
bool passesWholeTest(const DecFloat& c);
bool passesFiniteTest(const DecFloat& c);

// Step B: gives each record its C constant and drops those that fail the chosen
// test. `threads` > 1 spreads the C constants over that many threads.
// The threads take the records in turns of a few; a stop ends each thread after its
// current record, and the records not reached are dropped.
void assignCConstants(const JobParameters& job, std::vector<CConstantRecord>& records, bool wholeOnly,
                      bool finiteOnly, bool fast, unsigned threads, RunControl* control = nullptr,
                      CConstantMemo* memo = nullptr);

// Step C: drops the C constants above 9999.9999.
void dropOutOfRange(std::vector<CConstantRecord>& records);

// Step D: orders by the C constant to 80 decimals (smaller spread first among
// equals) and keeps the first record of each run of equal keys.
void orderDistinct(std::vector<CConstantRecord>& records);

// Steps A to D.
std::vector<CConstantRecord> findCConstants(const JobParameters& job, const std::vector<GearPair>& pairs,
                                            const StockSnapshot& stock, const SolveOptions& options,
                                            RunControl* control = nullptr,
                                            const std::function<void(SolveStage)>& stageStarted = {});

// solveCConstant of the model, with the early halvings decided in cheaper
// arithmetic where the decision is certain. The same value to the last digit.
DecFloat solveCConstantFast(const JobParameters& job, const DecFloat& ratio);

// The values of one C-constant bisection as whole numbers of units 10^-g (g = 120 for
// a root of at least 1, 128 below), with the sum and the halving as DecFloat forms
// them. add and halve give false where the result would need digits finer than the
// unit (the caller then leaves the train to the DecFloat bisection).
class Midpoints {
 public:
  explicit Midpoints(int g);
  int g() const { return g_; }
  // DecFloat's limb position: 0 for [1, 1e8), -1 for [1e-8, 1), -2 below.
  int order(const Wide& v) const;
  bool add(const Wide& a, const Wide& b, Wide& sum) const;
  bool halve(const Wide& s, Wide& half) const;
  DecFloat toDecFloat(const Wide& v) const;
  // The same from the DecFloat of a value `near` to v.
  DecFloat toDecFloat(const Wide& v, const Wide& near, const DecFloat& nearValue) const;
  Wide fromDecFloat(const DecFloat& v) const;  // whole units, cut below

 private:
  Wide cut(const Wide& v, int e) const;
  int g_;
  Wide one_, limb_;  // 1 and 1e-8 in units
};

// solveCConstant for the index train whose driving product is a and driven product
// b, to the last digit, with the midpoints of the bisection followed by Midpoints
// and the way of each halving taken from the exact root where it is certain.
class CConstantSolver {
 public:
  explicit CConstantSolver(const JobParameters& job);
  DecFloat solve(std::uint64_t a, std::uint64_t b) const;

 private:
  const JobParameters& job_;
  bool usable_ = false;
  std::uint64_t ktNum_ = 0;  // K T = ktNum / 10^ktDecimals
  int ktDecimals_ = 0;
  std::uint64_t k120_ = 0;  // the step 1e-110 in units of 1e-120 and of 1e-128, cut
  std::uint64_t k128_ = 0;
  DecFloat kStep_;
  DecFloat capped_;  // the C constant of a bisection that climbs to its cap
};

// ---- Feed-train search ----

struct WorkRange {
  std::uint32_t first = 0;
  std::uint32_t end = 0;
  bool operator==(const WorkRange&) const = default;
};

// The ranges of C constants of the workers: k C constants on p processors.
std::vector<WorkRange> divideWork(std::size_t k, unsigned processors);

// Result order: feed error ascending, then the eight tooth counts ascending.
bool resultBefore(const FoundResult& a, const FoundResult& b);
bool sameGears(const FoundResult& a, const FoundResult& b);

// A worker's list of its best finds, at most 400, in result order, no two with the
// same eight gears. The finds stay where they were put (`slots`); `order` holds their
// places in result order, so that a find that enters moves two bytes of each entry
// behind it rather than the entry, and `approxError` keeps the feed error of each
// entry, in result order, as a double.
struct WorkerList {
  std::vector<FoundResult> slots;
  std::vector<std::uint16_t> order;
  std::vector<double> approxError;
  // Set (SolveOptions::feedErrorBelow): only finds with a smaller feed error enter;
  // ceilingApprox is its value in double.
  std::optional<DecFloat> ceiling;
  double ceilingApprox = 0;

  std::size_t size() const { return order.size(); }
  const FoundResult& at(std::size_t k) const { return slots[order[k]]; }
  std::vector<FoundResult> entries() const;  // in result order

  // True when a find of this error (and these gears) would enter the list.
  bool admits(const FoundResult& find) const;
  // Puts the find in its place and cuts the list to 400; a find already in the list,
  // or one that does not beat the last entry of a full list, is left out. `approx`:
  // its feed error in double, if the caller has it to a few units in the last place
  // of the ratios (cheaper than converting the DecFloat error).
  void insert(const FoundResult& find);
  void insert(const FoundResult& find, double approx);
};

// What the feed-train search of one C constant adds to the stage counts (see
// StageCounts): the trains of distinct gears within 0.001 of the ratio asked for, and
// of those the ones whose feed lies within 0.005 of the wanted feed.
struct FeedCounts {
  std::size_t feedTrains = 0;
  std::size_t feedTest = 0;
};

// The feed-train search for one C constant (one step of a worker).
struct FeedSearch {
  const JobParameters& job;
  const std::vector<GearPair>& pairs;
  const StockSnapshot& stock;
  DecFloat feedLow;   // wanted feed - 0.005
  DecFloat feedHigh;  // wanted feed + 0.005

  // Made once per run for the fast form: the runs of equal product in the pair table,
  // where the bisection ends for every place the target can take among the products,
  // and the feed window in double.
  struct Group {
    std::uint32_t first;
    std::uint32_t end;
    std::uint32_t product;
    std::uint32_t distinct;  // pairs of distinct gears in the group
  };
  std::vector<Group> groups;
  std::vector<Range> outcomeAt;  // [p]: products before p lie below the target, the rest above
  std::vector<std::uint32_t> otherCopy;  // [k]: the other entry with the same two gears (or k)
  // A place the target can take among the products: the products next below and above
  // it (0 and 65535 where there is none), and the products of the entries that count
  // in the range the bisection ends with (each pair of two gears once), with how many
  // entries have each; size kLongRange where there are more than three products.
  struct Place {
    std::uint16_t below, above;
    std::uint16_t product[3];
    std::uint8_t weight[3];
    std::uint8_t size;
  };
  static constexpr std::uint8_t kLongRange = 255;
  std::vector<Place> places;             // [q]: the place before group q (q = groups.size(): above all)
  std::vector<std::uint16_t> placeOf;    // [v]: the place of a target between the products v and v + 1
  std::size_t rangeStart(std::size_t place) const { return place < groups.size() ? groups[place].first : pairs.size(); }
  double feedFactorApprox = 0;
  double feedLowApprox = 0;
  double feedHighApprox = 0;
  bool feedWindowApprox = false;  // the three above are finite numbers
  double normalPitchApprox = 0;   // for T in double
  double sinHelixApprox = 0;
  bool ratioApprox = false;       // the two above and feedFactorApprox are normal numbers
  double lowestRatio = 0;         // smallest and largest ratio of two pairs
  double highestRatio = 0;

  FeedSearch(const JobParameters& job, const std::vector<GearPair>& pairs, const StockSnapshot& stock);

  // True when the actual feed of the feed ratio lies inside the wanted feed +-0.005
  // (or either side is NaN).
  bool feedInWindow(const DecFloat& feedRatio) const;

  // The feed trains of one C constant into the list; `counts` (if given) gains the
  // stage counts of this C constant, the same from both forms.
  // The plain form; `stop` (if given) is looked at every few hundred driven pairs, and
  // false is returned when it cut the search short.
  static constexpr std::size_t kStopCheckEvery = 256;
  bool searchPlain(const CConstantRecord& record, WorkerList& list, FeedCounts* counts = nullptr,
                   const std::atomic<bool>* stop = nullptr) const;
  void search(const CConstantRecord& record, WorkerList& list, FeedCounts* counts = nullptr) const;
  // The fast form over a worker's C constants, in their order (ascending, so that the
  // ratio asked for falls): a driven product is looked at again only when the ratio
  // comes near a place where its trains change. The same finds and counts as
  // `searchPlain` on each C constant. The C constants go in blocks (see blocksOf);
  // `proceed(k)` (if given) is asked for each C constant of a block before the block
  // is searched; false ends the search before C constant k.
  void sweep(std::span<const CConstantRecord> records, WorkerList& list, FeedCounts* counts = nullptr,
             const std::function<bool(std::size_t)>& proceed = {}) const;
  // The pieces of `sweep`, for workers that take the blocks in turns: T of each C
  // constant in double (NaN: no train within 0.001; infinite: the plain form searches
  // it), the blocks (up to 1024 C constants of a run in which T falls, at least four
  // blocks per worker where there are enough, or one C constant), and the search of
  // one block.
  std::vector<double> targetsOf(std::span<const CConstantRecord> records) const;
  static std::vector<WorkRange> blocksOf(const std::vector<double>& ts, unsigned workers);
  void searchBlock(std::span<const CConstantRecord> records, const std::vector<double>& ts, WorkRange block,
                   WorkerList& list, FeedCounts* counts) const;

  // True when entry m of the bisection's range [lo, ..] is the first one there with its
  // two gears.
  bool countedIn(std::size_t m, std::size_t lo) const { return otherCopy[m] >= m || otherCopy[m] < lo; }

 private:
  struct Target;
  struct Visit;
  struct Pass;
  // Whether a feed in double (a few units in its last place off) lies inside the
  // window, where that is certain; nothing where it is too close to an end to tell.
  std::optional<bool> certainlyInWindow(double feed) const;
  template <class RatioFn>
  bool inWindow(double q, RatioFn&& ratio) const;
  void processRange(const CConstantRecord& record, const Group& g, Range r, Target& target, WorkerList& list) const;
  Visit visit(const CConstantRecord& record, const Group& g, Target& target, WorkerList& list,
              Pass& state) const;
  Visit visitExactly(const CConstantRecord& record, const Group& g, Target& target, WorkerList& list,
                     Pass& state) const;
  void sweepBlock(std::span<const CConstantRecord> records, const std::vector<double>& ts, std::size_t first,
                  std::size_t end, WorkerList& list, FeedCounts* counts) const;
};

// The find of a feed train (driving over driven pair) with the index train of a record.
FoundResult makeFind(const CConstantRecord& record, const GearPair& driving, const GearPair& driven);

// Sorting, removal of repeats, the feed window, and the cut to 200.
std::vector<FoundResult> trimResults(std::vector<FoundResult> found, const JobParameters& job);

}  // namespace hobwise::solver
