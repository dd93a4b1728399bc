// The search for index trains whose ratio lies in the feed band, and their C constants.
#include <algorithm>
#include <exception>
#include <mutex>
#include <thread>

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

// Records the train (driving pair `m`, driven pair `i`) when its signed ratio error
// is new and the stock holds its four gears.
void recordTrain(const std::vector<GearPair>& pairs, std::size_t m, std::size_t i, const DecFloat& q,
                 const DecFloat& target, const StockSnapshot& stock, RatioErrorSet& ratioErrors,
                 std::vector<CConstantRecord>& records) {
  DecFloat signedError = q - target;
  if (ratioErrors.contains(signedError)) return;
  const std::uint16_t gears[4] = {pairs[m].larger, pairs[m].smaller, pairs[i].larger, pairs[i].smaller};
  if (!checkStock(stock, gears)) return;
  CConstantRecord r;
  r.g0 = pairs[i].larger;
  r.g1 = pairs[i].smaller;
  r.g2 = pairs[m].larger;
  r.g3 = pairs[m].smaller;
  r.ratioError = boost::multiprecision::abs(signedError);
  r.cConstant = 0;
  ratioErrors.insert(std::move(signedError));
  records.push_back(std::move(r));
}

}  // namespace

std::vector<CConstantRecord> searchIndexTrainsPlain(const JobParameters& job, const std::vector<GearPair>& pairs,
                                                    const StockSnapshot& stock, RatioErrorSet& ratioErrors) {
  std::vector<CConstantRecord> records;
  const std::size_t n = pairs.size();
  if (n == 0) return records;
  const DecFloat target = indexRatioFor(job, job.requiredC);
  const DecFloat lowEnd = indexRatioFor(job, job.cLow);
  const DecFloat highEnd = indexRatioFor(job, job.cHigh);
  for (std::size_t i = 0; i < n; ++i) {
    bisectPairs(
        n, [&](std::size_t mid) { return compare(quotient(pairs[mid].product, pairs[i].product), target); },
        [&](std::size_t, std::size_t, std::size_t mid) {
          const DecFloat q = quotient(pairs[mid].product, pairs[i].product);
          if (inBand(q, lowEnd, highEnd)) recordTrain(pairs, mid, i, q, target, stock, ratioErrors, records);
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
                      bool finiteOnly, bool fast, unsigned threads) {
  std::vector<char> keep(records.size(), 0);
  auto work = [&](std::size_t from, std::size_t to) {
    for (std::size_t k = from; k < to; ++k) {
      CConstantRecord& r = records[k];
      const DecFloat ratio = quotient(std::uint64_t{r.g3} * r.g2, std::uint64_t{r.g1} * r.g0);
      DecFloat c = fast ? solveCConstantFast(job, ratio) : solveCConstant(job, ratio);
      bool kept = true;
      if (wholeOnly)
        kept = passesWholeTest(c);
      else if (finiteOnly)
        kept = passesFiniteTest(c);
      if (kept) {
        r.cConstant = std::move(c);
        keep[k] = 1;
      }
    }
  };
  if (threads <= 1 || records.size() < 2) {
    work(0, records.size());
  } else {
    // Each thread takes a contiguous share; every record is written by one thread only.
    const std::size_t count = std::min<std::size_t>(threads, records.size());
    const std::size_t chunk = (records.size() + count - 1) / count;
    std::vector<std::thread> pool;
    std::exception_ptr failure;
    std::mutex failureLock;
    for (std::size_t t = 1; t < count; ++t) {
      const std::size_t from = std::min(records.size(), t * chunk);
      const std::size_t to = std::min(records.size(), from + chunk);
      pool.emplace_back([&, from, to] {
        try {
          work(from, to);
        } catch (...) {
          std::lock_guard lock(failureLock);
          failure = std::current_exception();
        }
      });
    }
    try {
      work(0, std::min(records.size(), chunk));
    } catch (...) {
      std::lock_guard lock(failureLock);
      failure = std::current_exception();
    }
    for (auto& t : pool) t.join();
    if (failure) std::rethrow_exception(failure);
  }
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
                                            const StockSnapshot& stock, const SolveOptions& options) {
  RatioErrorSet ratioErrors;
  std::vector<CConstantRecord> records = options.exact ? searchIndexTrainsPlain(job, pairs, stock, ratioErrors)
                                                       : searchIndexTrains(job, pairs, stock, ratioErrors);
  const unsigned threads = options.exact ? 1u : std::max(1u, options.processors);
  assignCConstants(job, records, options.wholeOnly, options.finiteOnly, !options.exact, threads);
  dropOutOfRange(records);
  orderDistinct(records);
  return records;
}

// ---- fast forms (to come: for now the plain forms) ----

std::vector<CConstantRecord> searchIndexTrains(const JobParameters& job, const std::vector<GearPair>& pairs,
                                               const StockSnapshot& stock, RatioErrorSet& ratioErrors) {
  return searchIndexTrainsPlain(job, pairs, stock, ratioErrors);
}

DecFloat solveCConstantFast(const JobParameters& job, const DecFloat& ratio) { return solveCConstant(job, ratio); }

}  // namespace hobwise::solver
