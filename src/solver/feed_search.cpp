// The feed-train search of the workers, the worker lists and the division of the work.
#include <algorithm>
#include <tuple>

#include "solver/solver_internal.h"

namespace hobwise::solver {

std::vector<WorkRange> divideWork(std::size_t k, unsigned processors) {
  const std::size_t p = std::max(1u, processors);
  std::vector<WorkRange> ranges;
  if (k == 0) return ranges;
  if (k > p) {
    const std::size_t chunk = (k + p - 1) / p;
    std::size_t start = 0;
    for (std::size_t w = 0; w < p; ++w) {
      const std::size_t end = w + 1 == p ? k : std::min(k, start + chunk);
      ranges.push_back({static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(end)});
      start = end;
    }
  } else {
    for (std::size_t w = 0; w < k; ++w)
      ranges.push_back({static_cast<std::uint32_t>(w), static_cast<std::uint32_t>(w + 1)});
  }
  return ranges;
}

namespace {
auto gearsOf(const FoundResult& r) { return std::tie(r.f0, r.f1, r.f2, r.f3, r.i0, r.i1, r.i2, r.i3); }
}  // namespace

bool resultBefore(const FoundResult& a, const FoundResult& b) {
  if (a.feedError < b.feedError) return true;
  if (b.feedError < a.feedError) return false;
  return gearsOf(a) < gearsOf(b);
}

bool sameGears(const FoundResult& a, const FoundResult& b) { return gearsOf(a) == gearsOf(b); }

bool WorkerList::admits(const FoundResult& find) const {
  return entries.size() < kWorkerListLimit || resultBefore(find, entries.back());
}

void WorkerList::insert(const FoundResult& find) {
  if (!admits(find)) return;
  const auto pos = std::lower_bound(entries.begin(), entries.end(), find, resultBefore);
  if (pos != entries.end() && sameGears(*pos, find)) return;  // the other copy of the same pair
  const auto index = static_cast<std::size_t>(pos - entries.begin());
  entries.insert(pos, find);
  approxError.insert(approxError.begin() + static_cast<std::ptrdiff_t>(index),
                     find.feedError.convert_to<double>());
  if (entries.size() > kWorkerListLimit) {
    entries.resize(kWorkerListLimit);
    approxError.resize(kWorkerListLimit);
  }
}

FeedSearch::FeedSearch(const JobParameters& job_, const std::vector<GearPair>& pairs_, const StockSnapshot& stock_)
    : job(job_), pairs(pairs_), stock(stock_) {
  static const DecFloat kWindow = DecFloat(0.005);
  feedLow = job.feedRate - kWindow;
  feedHigh = job.feedRate + kWindow;
}

bool FeedSearch::feedInWindow(const DecFloat& feedRatio) const {
  const DecFloat feed = actualFeed(job, feedRatio);
  return !(feed > feedHigh || feed < feedLow);
}

namespace {
Order compare(const DecFloat& q, const DecFloat& target) {
  if (q > target) return Order::Greater;
  if (q < target) return Order::Less;
  return Order::Equal;
}

FoundResult makeFind(const CConstantRecord& record, const GearPair& driving, const GearPair& driven) {
  FoundResult f;
  f.f0 = driven.larger;
  f.f1 = driven.smaller;
  f.f2 = driving.larger;
  f.f3 = driving.smaller;
  f.i0 = record.g0;
  f.i1 = record.g1;
  f.i2 = record.g2;
  f.i3 = record.g3;
  f.cConstant = record.cConstant;
  return f;
}
}  // namespace

void FeedSearch::searchPlain(const CConstantRecord& record, WorkerList& list) const {
  static const DecFloat kMaxError = DecFloat(0.001);
  const std::size_t n = pairs.size();
  if (n == 0) return;
  const DecFloat target = feedRatioFor(job, record.cConstant);
  for (std::size_t j = 0; j < n; ++j) {
    const Range r = bisectPairs(
        n, [&](std::size_t mid) { return compare(quotient(pairs[mid].product, pairs[j].product), target); },
        [](std::size_t, std::size_t, std::size_t) {});
    for (std::size_t m = r.lo; m <= r.hi; ++m) {
      const DecFloat q = quotient(pairs[m].product, pairs[j].product);
      DecFloat error = boost::multiprecision::abs(q - target);
      if (!(error < kMaxError)) continue;
      const std::uint16_t gears[8] = {record.g3,       record.g2,      record.g1,       record.g0,
                                      pairs[m].smaller, pairs[m].larger, pairs[j].smaller, pairs[j].larger};
      if (!checkStockPlain(stock, gears)) continue;
      if (!feedInWindow(q)) continue;
      FoundResult find = makeFind(record, pairs[m], pairs[j]);
      find.feedError = std::move(error);
      list.insert(find);
    }
  }
}

// Fast form: to come; for now the plain form.
void FeedSearch::search(const CConstantRecord& record, WorkerList& list) const { searchPlain(record, list); }

std::vector<FoundResult> trimResults(std::vector<FoundResult> found, const JobParameters& job) {
  static const DecFloat kWindow = DecFloat(0.005);
  std::stable_sort(found.begin(), found.end(), resultBefore);
  // Equal gears sort next to each other (they have equal errors too).
  found.erase(std::unique(found.begin(), found.end(), sameGears), found.end());
  const DecFloat feedLow = job.feedRate - kWindow;
  const DecFloat feedHigh = job.feedRate + kWindow;
  std::erase_if(found, [&](const FoundResult& r) {
    const DecFloat feed =
        actualFeed(job, quotient(std::uint64_t{r.f2} * r.f3, std::uint64_t{r.f0} * r.f1));
    return feed > feedHigh || feed < feedLow;
  });
  std::stable_sort(found.begin(), found.end(), resultBefore);
  if (found.size() > kResultLimit) found.resize(kResultLimit);
  found.shrink_to_fit();
  return found;
}

}  // namespace hobwise::solver
