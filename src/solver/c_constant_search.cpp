// The search for index trains whose ratio lies in the feed band, and their C constants.
#include <algorithm>
#include <atomic>
#include <numeric>
#include <unordered_set>
#include <exception>
#include <mutex>
#include <thread>

#include "solver/c_constant_memo.h"
#include "solver/solver_internal.h"

namespace hobwise::solver {

namespace {

// The band test: strictly between the two ends, in whichever order they fall.
bool inBand(const DecFloat& q, const DecFloat& lowEnd, const DecFloat& highEnd) {
  return (q > lowEnd && q < highEnd) || (q > highEnd && q < lowEnd);
}

Order compare(const DecFloat& q, const DecFloat& target) {
  if (q > target) return Order::Greater;
  if (q < target) return Order::Less;
  return Order::Equal;
}

// The counts of the index-train search: a ratio is counted in indexTrains when first
// met (recorded or not), in inStock when recorded.
struct IndexTally {
  RunControl* control;
  std::unordered_set<std::uint64_t> failed;  // ratios met only with trains the stock lacks

  static std::uint64_t key(std::uint64_t a, std::uint64_t b) {
    const std::uint64_t g = std::gcd(a, b);
    return (a / g) << 32 | (b / g);
  }
  void stockFailed(std::uint64_t a, std::uint64_t b) {
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

// Records the train (driving pair `m`, driven pair `i`) when its signed ratio error
// is new and the stock holds its four gears.
void recordTrain(const std::vector<GearPair>& pairs, std::size_t m, std::size_t i, const DecFloat& signedError,
                 const StockSnapshot& stock, RatioErrorSet& ratioErrors, std::vector<CConstantRecord>& records,
                 IndexTally& tally) {
  if (ratioErrors.contains(signedError)) return;
  const std::uint16_t gears[4] = {pairs[m].larger, pairs[m].smaller, pairs[i].larger, pairs[i].smaller};
  if (!checkStock(stock, gears)) {
    tally.stockFailed(pairs[m].product, pairs[i].product);
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

}  // namespace

// Runs `work` on `count` threads (the calling thread one of them) and hands on the
// first exception any of them threw; `failed` is called on the thread that saw it.
void runOnThreads(std::size_t count, const std::function<void()>& work, const std::function<void()>& failed) {
  std::exception_ptr failure;
  std::mutex failureLock;
  auto guarded = [&] {
    try {
      work();
    } catch (...) {
      std::lock_guard lock(failureLock);
      if (!failure) failure = std::current_exception();
      if (failed) failed();
    }
  };
  std::vector<std::thread> pool;
  try {
    for (std::size_t t = 1; t < count; ++t) pool.emplace_back(guarded);
  } catch (...) {
    std::lock_guard lock(failureLock);
    if (!failure) failure = std::current_exception();
  }
  guarded();
  for (auto& t : pool) t.join();
  if (failure) std::rethrow_exception(failure);
}

std::vector<CConstantRecord> searchIndexTrainsPlain(const JobParameters& job, const std::vector<GearPair>& pairs,
                                                    const StockSnapshot& stock, RatioErrorSet& ratioErrors,
                                                    RunControl* control) {
  std::vector<CConstantRecord> records;
  const std::size_t n = pairs.size();
  if (n == 0) return records;
  IndexTally tally{control, {}};
  const DecFloat target = indexRatioFor(job, job.requiredC);
  const DecFloat lowEnd = indexRatioFor(job, job.cLow);
  const DecFloat highEnd = indexRatioFor(job, job.cHigh);
  for (std::size_t i = 0; i < n; ++i) {
    if (i % kStopCheckEvery == kStopCheckEvery - 1 && control && control->stopRequested()) {
      control->noteStop(SolveStage::IndexTrains);
      break;
    }
    bisectPairs(
        n, [&](std::size_t mid) { return compare(quotient(pairs[mid].product, pairs[i].product), target); },
        [&](std::size_t, std::size_t, std::size_t mid) {
          const DecFloat q = quotient(pairs[mid].product, pairs[i].product);
          if (inBand(q, lowEnd, highEnd)) recordTrain(pairs, mid, i, q - target, stock, ratioErrors, records, tally);
        });
  }
  return records;
}

bool passesWholeTest(const DecFloat& c) {
  static const DecFloat kTolerance = DecFloat(1e-90);
  return c - boost::multiprecision::floor(c) < kTolerance;
}

bool passesFiniteTest(const DecFloat& c) {
  static const DecFloat kTolerance = DecFloat(1e-90);
  const DecFloat scaled = c * 100000000000LL;
  return boost::multiprecision::abs(scaled - boost::multiprecision::floor(scaled)) < kTolerance;
}

void assignCConstants(const JobParameters& job, std::vector<CConstantRecord>& records, bool wholeOnly,
                      bool finiteOnly, bool fast, unsigned threads, RunControl* control, CConstantMemo* memo) {
  std::vector<char> keep(records.size(), 0);
  const CConstantSolver solver(job);
  // Records in turns of kTurn, so that the threads share the work evenly whatever the
  // cost of each C constant; each record is written by one thread only.
  constexpr std::size_t kTurn = 16;
  std::atomic<std::size_t> nextTurn{0};
  std::atomic<bool> stopped{false};
  auto work = [&] {
    while (true) {
      const std::size_t from = nextTurn.fetch_add(kTurn);
      if (from >= records.size()) return;
      for (std::size_t k = from; k < std::min(records.size(), from + kTurn); ++k) {
        CConstantRecord& r = records[k];
        const std::uint64_t a = std::uint64_t{r.g3} * r.g2, b = std::uint64_t{r.g1} * r.g0;
        DecFloat c = !fast ? solveCConstant(job, quotient(a, b))
                     : memo   ? memo->get(a, b, [&] { return solver.solve(a, b); })
                              : solver.solve(a, b);
        bool kept = true;
        if (wholeOnly)
          kept = passesWholeTest(c);
        else if (finiteOnly)
          kept = passesFiniteTest(c);
        if (kept) {
          r.cConstant = std::move(c);
          keep[k] = 1;
        }
        if (control && control->stopRequested()) {
          stopped = true;
          return;
        }
      }
    }
  };
  const std::size_t count = std::min<std::size_t>(std::max(1u, threads), (records.size() + kTurn - 1) / kTurn);
  runOnThreads(count, work, [&] {
    stopped = true;
    nextTurn = records.size();
  });
  if (stopped && control) control->noteStop(SolveStage::CConstants);
  std::size_t out = 0;
  for (std::size_t k = 0; k < records.size(); ++k)
    if (keep[k]) records[out++] = std::move(records[k]);
  records.resize(out);
}

void dropOutOfRange(std::vector<CConstantRecord>& records) {
  static const DecFloat kLimit = DecFloat(9999.9999);
  std::erase_if(records, [](const CConstantRecord& r) { return r.cConstant > kLimit; });
}

void orderDistinct(std::vector<CConstantRecord>& records) {
  static const DecFloat kScale = DecFloat(1e80);
  struct Keyed {
    DecFloat key;
    int spread;
    std::size_t index;
  };
  std::vector<Keyed> keyed;
  keyed.reserve(records.size());
  for (std::size_t k = 0; k < records.size(); ++k) {
    const CConstantRecord& r = records[k];
    keyed.push_back({boost::multiprecision::round(r.cConstant * kScale),
                     (int{r.g0} - int{r.g1}) + (int{r.g2} - int{r.g3}), k});
  }
  std::stable_sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
    if (a.key < b.key) return true;
    if (b.key < a.key) return false;
    return a.spread < b.spread;
  });
  std::vector<CConstantRecord> ordered;
  ordered.reserve(keyed.size());
  for (std::size_t k = 0; k < keyed.size(); ++k) {
    if (k > 0 && keyed[k].key == keyed[k - 1].key) continue;
    ordered.push_back(std::move(records[keyed[k].index]));
  }
  ordered.shrink_to_fit();
  records = std::move(ordered);
}

std::vector<CConstantRecord> findCConstants(const JobParameters& job, const std::vector<GearPair>& pairs,
                                            const StockSnapshot& stock, const SolveOptions& options,
                                            RunControl* control, const std::function<void(SolveStage)>& stageStarted) {
  RatioErrorSet ratioErrors;
  const unsigned threads = options.exact ? 1u : std::max(1u, options.processors);
  if (stageStarted) stageStarted(SolveStage::IndexTrains);
  std::vector<CConstantRecord> records = options.exact
                                             ? searchIndexTrainsPlain(job, pairs, stock, ratioErrors, control)
                                             : searchIndexTrains(job, pairs, stock, ratioErrors, control, threads);
  ratioErrors.clear();
  if (stageStarted) stageStarted(SolveStage::CConstants);
  assignCConstants(job, records, options.wholeOnly, options.finiteOnly, !options.exact, threads, control,
                   options.cConstantMemo);
  dropOutOfRange(records);
  orderDistinct(records);
  if (control) control->counts.cConstants = records.size();
  return records;
}

// The fast form. The bisection for a driven pair depends only on its product, so the
// driven pairs of one product (neighbours in the table) share one bisection and the
// DecFloat ratios of the trains it meets in the band. Those bisections run on the
// threads, a few products at a time in table order; the trains are then recorded in
// the plain order on the calling thread, which only looks up and inserts their ratio
// errors and checks the stock.
std::vector<CConstantRecord> searchIndexTrains(const JobParameters& job, const std::vector<GearPair>& pairs,
                                               const StockSnapshot& stock, RatioErrorSet& ratioErrors,
                                               RunControl* control, unsigned threads) {
  std::vector<CConstantRecord> records;
  const std::size_t n = pairs.size();
  if (n == 0) return records;
  IndexTally tally{control, {}};
  const Threshold target(indexRatioFor(job, job.requiredC));
  const Threshold lowEnd(indexRatioFor(job, job.cLow));
  const Threshold highEnd(indexRatioFor(job, job.cHigh));

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
          const Order high = highEnd.orderOf(pairs[mid].product, driven);
          if (!((low == Order::Greater && high == Order::Less) || (low == Order::Less && high == Order::Greater)))
            return;
          for (const Met& seen : trains)  // the same ratio met again: the same error
            if (pairs[seen.mid].product == pairs[mid].product) return trains.push_back({mid, seen.signedError});
          trains.push_back({mid, quotient(pairs[mid].product, driven) - target.exact()});
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
    if ((i % kStopCheckEvery == kStopCheckEvery - 1 && control && control->stopRequested()) || !done[run]) {
      if (control) control->noteStop(SolveStage::IndexTrains);
      break;
    }
    for (const Met& train : met[run])
      recordTrain(pairs, train.mid, i, train.signedError, stock, ratioErrors, records, tally);
  }
  return records;
}

// The bisection of solveCConstant halves [lo, hi] about 380 times, and every halving
// evaluates the index formula with a DecFloat division. Solved for c, the formula
// gives the root c* = s ratio / (K T - ratio N) directly; every halving whose x lies
// clearly on one side of c* (and, when the formula falls, of its pole at 1/N) goes
// the way that side asks for. Only the halvings close to c* evaluate the formula, as
// the plain bisection does. x, lo and hi are formed exactly as there.
//
// "Clearly": the evaluated formula differs from the ratio by |x - c*| / c* / (x N + s)
// relative. DecFloat's division (Newton steps) is good to about 1e-113 relative, and
// an error e of the formula or of c* moves the decision by about e (c* N + s); the
// room 1e-110 (c* N + 2) leaves a factor of a thousand (the tests compare every
// train with the plain bisection).
DecFloat solveCConstantFast(const JobParameters& job, const DecFloat& ratio) {
  static const DecFloat kStep = DecFloat(1e-110);
  const int n = job.teeth;
  const int s = job.sign;
  if (hobwise::isNaN(ratio) || !boost::multiprecision::isfinite(ratio) || !(ratio > 0) || n < 1 ||
      (s != 1 && s != -1))
    return solveCConstant(job, ratio);
  const DecFloat kt = job.indexConstant * job.hobThreads;
  if (!boost::multiprecision::isfinite(kt) || !(kt > 0)) return solveCConstant(job, ratio);
  const DecFloat denominator = kt - ratio * n;
  // No root below the cap (the bisection runs into it in a few halvings), or a root
  // near the pole: the plain bisection.
  if (s > 0 ? !(denominator > 0) : !(denominator < 0)) return solveCConstant(job, ratio);
  const DecFloat root = s > 0 ? ratio / denominator : ratio / -denominator;
  const double rootApprox = root.convert_to<double>();
  if (!(rootApprox > 0) || !(rootApprox < 99990.0)) return solveCConstant(job, ratio);
  // Near the pole of the falling formula (c N = 1) the formula evaluates x; beside it,
  // even a root just above the pole needs no more than that.
  if (s < 0 && !(rootApprox * n > 1.0 + 1e-9)) return solveCConstant(job, ratio);
  const DecFloat room =
      root * DecFloat(1e-110 * (rootApprox * n + 2) * (s < 0 ? 1.0 + 1.0 / (rootApprox * n - 1.0) : 1.0));
  const DecFloat rootLow = root - room;
  const DecFloat rootHigh = root + room;
  DecFloat poleLow, poleHigh;  // the formula falls: x N - 1 < -1/2 below, > 2^-20 above
  if (s < 0) {
    poleLow = DecFloat(1) / (2 * n);
    poleHigh = (DecFloat(1) + DecFloat(1) / (1 << 20)) / n;
  }

  DecFloat lo = 0, hi = 100000, x = 50000;
  while (true) {
    int way = 0;  // +1: lo = x and up; -1: hi = x and down; 0: stop
    if (s > 0 && x < rootLow) {
      way = 1;
    } else if (s > 0 && x > rootHigh) {
      way = -1;
    } else if (s < 0 && x < poleLow) {
      way = -1;
    } else if (s < 0 && x > poleHigh && x < rootLow) {
      way = 1;
    } else if (s < 0 && x > rootHigh) {
      way = -1;
    } else {
      const DecFloat e = indexRatioFor(job, x);
      if (hobwise::isNaN(e)) break;
      if (s > 0)
        way = ratio > e ? 1 : ratio < e ? -1 : 0;
      else
        way = ratio < e ? 1 : ratio > e ? -1 : 0;
    }
    if (way == 0) break;
    if (way > 0) {
      lo = x;
      x += hi;
      x /= 2;
    } else {
      hi = x;
      x += lo;
      x /= 2;
    }
    if (x > 99999 || x < 0) break;
    if (!(hi > lo + kStep)) break;
    if (way > 0 ? x == lo : x == hi) break;  // halving no longer moves x
  }
  return x + kStep;
}

}  // namespace hobwise::solver
