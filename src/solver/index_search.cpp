// Step A of the C-constant search: the index trains whose ratio lies in the feed band,
// in its plain and its fast form.
#include <algorithm>
#include <atomic>
#include <numeric>
#include <unordered_set>

#include "solver/internal/c_constant_search.h"
#include "solver/internal/pair_table.h"
#include "solver/internal/threshold.h"

namespace hobwise::solver {

namespace {

// The counts of the index-train search: a ratio is counted in indexTrains when first
// met (recorded or not), in inStock when recorded.
struct IndexTally {
  RunControl* control;
  std::unordered_set<std::uint64_t> failed;  // ratios met only with trains passed over

  static std::uint64_t key(std::uint64_t a, std::uint64_t b) {
    const std::uint64_t g = std::gcd(a, b);
    return (a / g) << 32 | (b / g);
  }
  void passedOver(std::uint64_t a, std::uint64_t b) {
    if (control && failed.insert(key(a, b)).second) ++control->counts.indexTrains;
  }
  void recorded(std::uint64_t a, std::uint64_t b) {
    if (!control) return;
    ++control->counts.inStock;
    if (failed.empty() || !failed.contains(key(a, b))) ++control->counts.indexTrains;
  }
};

// How often the index-train search looks at the stop flag, in driven pairs.
constexpr std::size_t kStopCheckEvery = 64;

// Where the trains go: the records, the set of ratio errors met, the stock and the
// tally; the stock check in its plain form for the plain search; the mounting check
// beside it with "Mountable Trains Only".
struct Recorder {
  const std::vector<GearPair>& pairs;
  const StockSnapshot& stock;
  const MountRule* mounts;
  bool exact;
  RatioErrorSet& ratioErrors;
  std::vector<CConstantRecord> records;
  IndexTally tally;

  // Records the train (driving pair `m`, driven pair `i`) when its signed ratio error
  // is new, the stock holds its four gears and (with the option) it mounts; a train
  // passed over leaves its ratio error free for a later train of the same ratio.
  void record(std::size_t m, std::size_t i, const DecFloat& signedError) {
    if (ratioErrors.contains(signedError)) return;
    const std::uint16_t gears[4] = {pairs[m].larger, pairs[m].smaller, pairs[i].larger, pairs[i].smaller};
    if (!checkStock(stock, gears, exact) ||
        (mounts && !mounts->indexMounts(pairs[m].larger, pairs[m].smaller, pairs[i].larger, pairs[i].smaller))) {
      tally.passedOver(pairs[m].product, pairs[i].product);
      return;
    }
    tally.recorded(pairs[m].product, pairs[i].product);
    CConstantRecord r;
    r.g0 = pairs[i].larger;
    r.g1 = pairs[i].smaller;
    r.g2 = pairs[m].larger;
    r.g3 = pairs[m].smaller;
    r.ratioError = boost::multiprecision::abs(signedError);
    r.cConstant = 0;
    ratioErrors.insert(signedError);
    records.push_back(std::move(r));
  }
};

bool stopSeenAt(std::size_t i, RunControl* control) {
  return i % kStopCheckEvery == kStopCheckEvery - 1 && control && control->stopRequested();
}

}  // namespace

std::vector<CConstantRecord> searchIndexTrainsPlain(const JobParameters& job, const std::vector<GearPair>& pairs,
                                                    const StockSnapshot& stock, RatioErrorSet& ratioErrors,
                                                    RunControl* control, const MountRule* mounts) {
  Recorder out{pairs, stock, mounts, true, ratioErrors, {}, {control, {}}};
  const std::size_t n = pairs.size();
  if (n == 0) return {};
  const FeedBand band = FeedBand::of(job);
  for (std::size_t i = 0; i < n; ++i) {
    if (stopSeenAt(i, control)) {
      control->noteStop(SolveStage::IndexTrains);
      break;
    }
    bisectPairs(
        n, [&](std::size_t mid) { return compare(trainRatio(pairs[mid].product, pairs[i].product), band.target); },
        [&](std::size_t, std::size_t, std::size_t mid) {
          const DecFloat q = trainRatio(pairs[mid].product, pairs[i].product);
          if (band.contains(q)) out.record(mid, i, q - band.target);
        });
  }
  return std::move(out.records);
}

// The fast form. The bisection for a driven pair depends only on its product, so the
// driven pairs of one product (neighbours in the table) share one bisection and the
// DecFloat ratios of the trains it meets in the band. Those bisections run on the
// threads, a few products at a time in table order, comparing with the band's ends
// through Threshold (in double where that is certain); the trains are then recorded in
// the plain order on the calling thread, which only looks up and inserts their ratio
// errors and checks the stock.
std::vector<CConstantRecord> searchIndexTrainsFast(const JobParameters& job, const std::vector<GearPair>& pairs,
                                                   const StockSnapshot& stock, RatioErrorSet& ratioErrors,
                                                   RunControl* control, unsigned threads, const MountRule* mounts) {
  Recorder out{pairs, stock, mounts, false, ratioErrors, {}, {control, {}}};
  const std::size_t n = pairs.size();
  if (n == 0) return {};
  const FeedBand band = FeedBand::of(job);
  const Threshold target(band.target), lowEnd(band.lowEnd), highEnd(band.highEnd);

  // The runs of equal driven product, and for each the trains its bisection meets in
  // the band: the driving pair and the signed ratio error, in the order met.
  std::vector<std::size_t> runStart;
  for (std::size_t i = 0; i < n; ++i)
    if (i == 0 || pairs[i].product != pairs[i - 1].product) runStart.push_back(i);
  runStart.push_back(n);
  const std::size_t runs = runStart.size() - 1;
  struct Met {
    std::size_t mid;
    DecFloat signedError;
  };
  std::vector<std::vector<Met>> met(runs);
  std::vector<char> done(runs, 0);  // each written by one thread, read after all have ended
  const auto bisectRun = [&](std::size_t run) {
    const std::uint64_t driven = pairs[runStart[run]].product;
    std::vector<Met>& trains = met[run];
    bisectPairs(
        n, [&](std::size_t mid) { return target.orderOf(pairs[mid].product, driven); },
        [&](std::size_t, std::size_t, std::size_t mid) {
          const Order low = lowEnd.orderOf(pairs[mid].product, driven);
          if (low == Order::Equal) return;
          if (!strictlyBetween(low, highEnd.orderOf(pairs[mid].product, driven))) return;
          for (const Met& seen : trains)  // the same ratio met again: the same error
            if (pairs[seen.mid].product == pairs[mid].product) return trains.push_back({mid, seen.signedError});
          trains.push_back({mid, trainRatio(pairs[mid].product, driven) - target.exact()});
        });
    done[run] = 1;
  };
  constexpr std::size_t kTurn = 16;  // driven products per turn
  std::atomic<std::size_t> nextTurn{0};
  const auto work = [&] {
    while (!(control && control->stopRequested())) {
      const std::size_t from = nextTurn.fetch_add(kTurn);
      if (from >= runs) return;
      for (std::size_t run = from; run < std::min(runs, from + kTurn); ++run) bisectRun(run);
    }
  };
  runOnThreads(std::min<std::size_t>(std::max(1u, threads), (runs + kTurn - 1) / kTurn), work);

  std::size_t run = 0;
  for (std::size_t i = 0; i < n; ++i) {
    if (i == runStart[run + 1]) ++run;
    if (stopSeenAt(i, control) || !done[run]) {
      if (control) control->noteStop(SolveStage::IndexTrains);
      break;
    }
    for (const Met& train : met[run]) out.record(train.mid, i, train.signedError);
  }
  return std::move(out.records);
}

std::vector<CConstantRecord> searchIndexTrains(const JobParameters& job, const std::vector<GearPair>& pairs,
                                               const StockSnapshot& stock, RatioErrorSet& ratioErrors, bool exact,
                                               RunControl* control, unsigned threads, const MountRule* mounts) {
  if (exact) return searchIndexTrainsPlain(job, pairs, stock, ratioErrors, control, mounts);
  return searchIndexTrainsFast(job, pairs, stock, ratioErrors, control, threads, mounts);
}

}  // namespace hobwise::solver
