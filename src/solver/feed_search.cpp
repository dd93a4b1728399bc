// The feed-train search of the workers: the worker lists, the division of the work, the
// plain search of one C constant, the blocks of the fast form, and the trimming.
#include <algorithm>
#include <cmath>
#include <optional>
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
  if (ceiling && !(find.feedError < *ceiling)) return false;
  return order.size() < kWorkerListLimit || resultBefore(find, slots[order.back()]);
}

void WorkerList::insert(const FoundResult& find) {
  if (admits(find)) insert(find, find.feedError.convert_to<double>());
}

void WorkerList::insert(const FoundResult& find, double approx) {
  if (!admits(find)) return;
  const auto pos = std::lower_bound(order.begin(), order.end(), find, [&](std::uint16_t k, const FoundResult& f) {
    return resultBefore(slots[k], f);
  });
  if (pos != order.end() && sameGears(slots[*pos], find)) return;  // the other copy of the same pair
  const auto index = pos - order.begin();
  std::uint16_t slot = 0;
  if (order.size() < kWorkerListLimit) {
    slot = static_cast<std::uint16_t>(slots.size());
    slots.push_back(find);
  } else {  // the last entry leaves (the find comes before it) and gives up its slot
    slot = order.back();
    order.pop_back();
    approxError.pop_back();
    slots[slot] = find;
  }
  order.insert(order.begin() + index, slot);
  approxError.insert(approxError.begin() + index, approx);
}

std::vector<FoundResult> WorkerList::entries() const {
  std::vector<FoundResult> sorted;
  sorted.reserve(order.size());
  for (std::uint16_t k : order) sorted.push_back(slots[k]);
  return sorted;
}

FeedSearch::FeedSearch(const JobParameters& job_, const std::vector<GearPair>& pairs_, const StockSnapshot& stock_)
    : job(job_), pairs(pairs_), stock(stock_) {
  static const DecFloat kWindow = DecFloat(0.005);
  feedLow = job.feedRate - kWindow;
  feedHigh = job.feedRate + kWindow;

  const std::size_t n = pairs.size();
  for (std::size_t k = 0; k < n;) {
    std::size_t end = k + 1;
    while (end < n && pairs[end].product == pairs[k].product) ++end;
    groups.push_back({static_cast<std::uint32_t>(k), static_cast<std::uint32_t>(end),
                      static_cast<std::uint32_t>(pairs[k].product), 0});
    k = end;
  }
  otherCopy.resize(n);
  {
    std::vector<std::uint32_t> firstOf(256 * 256, UINT32_MAX);
    for (std::size_t k = 0; k < n; ++k) {
      std::uint32_t& first = firstOf[pairs[k].larger * 256u + pairs[k].smaller];
      if (first == UINT32_MAX) {
        first = static_cast<std::uint32_t>(k);
        otherCopy[k] = first;
      } else {
        otherCopy[k] = first;
        otherCopy[first] = static_cast<std::uint32_t>(k);
      }
    }
  }
  for (Group& g : groups) {
    g.distinct = 0;
    for (std::size_t j = g.first; j < g.end; ++j)
      if (otherCopy[j] >= j) ++g.distinct;
  }
  outcomeAt.reserve(n + 1);
  for (std::size_t p = 0; p <= n && n > 0; ++p)
    outcomeAt.push_back(bisectPairs(
        n, [p](std::size_t mid) { return mid < p ? Order::Less : Order::Greater; },
        [](std::size_t, std::size_t, std::size_t) {}));
  if (n > 0 && pairs.back().product < 65535) {
    for (std::size_t q = 0; q <= groups.size(); ++q) {
      const std::size_t p = rangeStart(q);
      const Range r = outcomeAt[p];
      Place place{};
      place.below = p > 0 ? static_cast<std::uint16_t>(pairs[p - 1].product) : 0;
      place.above = p < n ? static_cast<std::uint16_t>(pairs[p].product) : 65535;
      for (std::size_t m = r.lo; m <= r.hi && place.size != kLongRange; ++m) {
        if (!countedIn(m, r.lo)) continue;
        const auto product = static_cast<std::uint16_t>(pairs[m].product);
        std::uint8_t k = 0;
        while (k < place.size && place.product[k] != product) ++k;
        if (k == 3) {
          place.size = kLongRange;
        } else {
          if (k == place.size) place.product[place.size++] = product;
          ++place.weight[k];
        }
      }
      places.push_back(place);
    }
    const std::size_t top = pairs.back().product;
    placeOf.reserve(top + 2);
    std::size_t q = 0;
    for (std::size_t v = 0; v <= top + 1; ++v) {
      while (q < groups.size() && groups[q].product <= v) ++q;  // first product above v
      placeOf.push_back(static_cast<std::uint16_t>(q));
    }
  }
  if (n > 0) {
    lowestRatio = static_cast<double>(pairs.front().product) / static_cast<double>(pairs.back().product);
    highestRatio = static_cast<double>(pairs.back().product) / static_cast<double>(pairs.front().product);
  }
  if (!hobwise::isNaN(job.feedFactor) && !hobwise::isNaN(feedLow) && !hobwise::isNaN(feedHigh)) {
    feedFactorApprox = job.feedFactor.convert_to<double>();
    feedLowApprox = feedLow.convert_to<double>();
    feedHighApprox = feedHigh.convert_to<double>();
    feedWindowApprox =
        std::isfinite(feedFactorApprox) && std::isfinite(feedLowApprox) && std::isfinite(feedHighApprox);
  }
  if (!hobwise::isNaN(job.normalPitch) && !hobwise::isNaN(job.sinHelix) && !hobwise::isNaN(job.feedFactor)) {
    normalPitchApprox = job.normalPitch.convert_to<double>();
    sinHelixApprox = job.sinHelix.convert_to<double>();
    feedFactorApprox = job.feedFactor.convert_to<double>();
    ratioApprox = std::isnormal(normalPitchApprox) && std::isnormal(sinHelixApprox) && std::isnormal(feedFactorApprox);
  }
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

}  // namespace

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

bool FeedSearch::searchPlain(const CConstantRecord& record, WorkerList& list, FeedCounts* counts,
                             const std::atomic<bool>* stop) const {
  static const DecFloat kMaxError = DecFloat(0.001);
  const std::size_t n = pairs.size();
  if (n == 0) return true;
  const DecFloat target = feedRatioFor(job, record.cConstant);
  for (std::size_t j = 0; j < n; ++j) {
    // A full stock takes a few tenths of a second per C constant here.
    if (stop && j % kStopCheckEvery == kStopCheckEvery - 1 && stop->load(std::memory_order_relaxed)) return false;
    const Range r = bisectPairs(
        n, [&](std::size_t mid) { return compare(quotient(pairs[mid].product, pairs[j].product), target); },
        [](std::size_t, std::size_t, std::size_t) {});
    for (std::size_t m = r.lo; m <= r.hi; ++m) {
      const DecFloat q = quotient(pairs[m].product, pairs[j].product);
      DecFloat error = boost::multiprecision::abs(q - target);
      if (!(error < kMaxError)) continue;
      if (counts && otherCopy[j] >= j && countedIn(m, r.lo)) {
        ++counts->feedTrains;
        if (feedInWindow(q)) ++counts->feedTest;
      }
      const std::uint16_t gears[8] = {record.g3,       record.g2,      record.g1,       record.g0,
                                      pairs[m].smaller, pairs[m].larger, pairs[j].smaller, pairs[j].larger};
      if (!checkStockPlain(stock, gears)) continue;
      if (!feedInWindow(q)) continue;
      FoundResult find = makeFind(record, pairs[m], pairs[j]);
      find.feedError = std::move(error);
      list.insert(find);
    }
  }
  return true;
}

// The fast form's driver: T of each C constant, its blocks, and the sweep over them
// (the sweep itself is in feed_sweep.cpp).
std::vector<double> FeedSearch::targetsOf(std::span<const CConstantRecord> records) const {
  const auto targetOf = [&](const CConstantRecord& record) -> double {
    const double c = roughDouble(record.cConstant);
    double t = ratioApprox ? normalPitchApprox / (c * feedFactorApprox) / sinHelixApprox : 0.0;
    if (!(std::isnormal(c) && std::isnormal(t))) {
      // A NaN target makes every error NaN; the others are judged from the DecFloat target.
      const Threshold exact(feedRatioFor(job, record.cConstant));
      if (exact.isNaN()) return NAN;
      t = exact.approx();
    }
    // One beyond the ratios of the table by more than 0.001 (with room to spare) leaves
    // every error above 0.001.
    if (!(t > 0 && t > lowestRatio - 0.002 && t < highestRatio + 0.002)) return NAN;
    return placeOf.empty() ? HUGE_VAL : t;
  };
  std::vector<double> ts;
  ts.reserve(records.size());
  for (const CConstantRecord& record : records) ts.push_back(targetOf(record));
  return ts;
}

// A block starts afresh, so that the progress and a stop are seen every few
// milliseconds, and so that the workers can share the C constants out in turns, a few
// blocks each at least.
std::vector<WorkRange> FeedSearch::blocksOf(const std::vector<double>& ts, unsigned workers) {
  const std::size_t share = (ts.size() + 4 * std::size_t{std::max(1u, workers)} - 1) / (4 * std::max(1u, workers));
  const std::size_t kBlock = std::clamp<std::size_t>(share, 1, 1024);
  std::vector<WorkRange> blocks;
  for (std::size_t k = 0; k < ts.size();) {
    std::size_t end = k + 1;
    if (std::isfinite(ts[k]))  // the falling run from k, up to a block
      while (end < ts.size() && end - k < kBlock && std::isfinite(ts[end]) && ts[end] <= ts[end - 1]) ++end;
    blocks.push_back({static_cast<std::uint32_t>(k), static_cast<std::uint32_t>(end)});
    k = end;
  }
  return blocks;
}

void FeedSearch::sweep(std::span<const CConstantRecord> records, WorkerList& list, FeedCounts* counts,
                       const std::function<bool(std::size_t)>& proceed) const {
  const std::vector<double> ts = targetsOf(records);
  for (WorkRange block : blocksOf(ts, 1)) {
    bool stopped = false;
    for (std::size_t k = block.first; k < block.end && !stopped; ++k)
      if (proceed && !proceed(k)) {
        block.end = static_cast<std::uint32_t>(k);
        stopped = true;
      }
    searchBlock(records, ts, block, list, counts);
    if (stopped) return;
  }
}

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
