// The feed-train search of the workers, the worker lists and the division of the work.
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

  const std::size_t n = pairs.size();
  for (std::size_t k = 0; k < n;) {
    std::size_t end = k + 1;
    while (end < n && pairs[end].product == pairs[k].product) ++end;
    groups.push_back({k, end, pairs[k].product});
    k = end;
  }
  outcomeAt.reserve(n + 1);
  for (std::size_t p = 0; p <= n && n > 0; ++p)
    outcomeAt.push_back(bisectPairs(
        n, [p](std::size_t mid) { return mid < p ? Order::Less : Order::Greater; },
        [](std::size_t, std::size_t, std::size_t) {}));
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

// The fast form. The bisection for a driven pair depends only on where the target
// ratio T falls among the sorted products, scaled by the driven pair's product; pairs
// of equal product share it, and as the driven product grows that place only moves
// up, so one sweep over the table finds it for all of them. Each train in the
// narrowed range is judged in double first; the DecFloat error is formed only for a
// train that may enter the list.
void FeedSearch::search(const CConstantRecord& record, WorkerList& list) const {
  static const DecFloat kMaxError = DecFloat(0.001);
  const std::size_t n = pairs.size();
  if (n == 0) return;
  const Threshold target(feedRatioFor(job, record.cConstant));
  // A NaN target makes every error NaN; one beyond the ratios of the table by more
  // than 0.001 (with room to spare) leaves every error above 0.001.
  if (target.isNaN()) return;
  const double t = target.approx();
  if (!(t > lowestRatio - 0.002 && t < highestRatio + 0.002)) return;

  std::size_t a = 0;  // products before a are certainly below t x driven product
  std::size_t b = 0;  // products from b on are certainly above it
  for (const Group& g : groups) {
    const double driven = static_cast<double>(g.product);
    const double x = t * driven;
    const double room = kSafety * x;
    while (a < n && static_cast<double>(pairs[a].product) < x - room) ++a;
    if (b < a) b = a;
    while (b < n && static_cast<double>(pairs[b].product) <= x + room) ++b;
    // Products in [a, b) are too close to call in double: compare them in DecFloat.
    std::size_t lower = a, upper = a;  // first not below, first above
    if (a < b) {
      lower = b;
      upper = b;
      for (std::size_t m = a; m < b;) {
        std::size_t same = m + 1;
        while (same < b && pairs[same].product == pairs[m].product) ++same;
        const DecFloat q = quotient(pairs[m].product, g.product);
        const bool below = q < target.exact();
        const bool above = q > target.exact();
        if (!below && lower == b) lower = m;
        if (above) {
          upper = m;
          break;
        }
        m = same;
      }
    }
    const Range r = lower == upper
                        ? outcomeAt[lower]
                        : bisectPairs(
                              n,
                              [&](std::size_t mid) {
                                return mid < lower ? Order::Less : mid >= upper ? Order::Greater : Order::Equal;
                              },
                              [](std::size_t, std::size_t, std::size_t) {});

    for (std::size_t m = r.lo; m <= r.hi; ++m) {
      const double q = static_cast<double>(pairs[m].product) / driven;
      const double error = std::fabs(q - t);
      const double errorRoom = 1e-12 * (q + std::fabs(t));
      if (error >= 0.001 + errorRoom) continue;
      // Certainly worse than the last entry of a full list: it cannot enter.
      if (list.entries.size() >= kWorkerListLimit) {
        const double last = list.approxError.back();
        if (error > last + 1e-12 * (q + std::fabs(t) + last)) continue;
      }
      std::optional<DecFloat> exactQ;
      std::optional<DecFloat> exactError;
      auto ratio = [&]() -> const DecFloat& {
        if (!exactQ) exactQ = quotient(pairs[m].product, g.product);
        return *exactQ;
      };
      auto exactErrorOf = [&]() -> const DecFloat& {
        if (!exactError) exactError = boost::multiprecision::abs(ratio() - target.exact());
        return *exactError;
      };
      if (error > 0.001 - errorRoom && !(exactErrorOf() < kMaxError)) continue;
      // The feed window.
      bool inWindow;
      if (feedWindowApprox) {
        const double feed = q * feedFactorApprox;
        const double feedRoom = 1e-12 * (std::fabs(feed) + std::fabs(feedLowApprox) + std::fabs(feedHighApprox));
        if (feed > feedHighApprox + feedRoom || feed < feedLowApprox - feedRoom)
          inWindow = false;
        else if (feed < feedHighApprox - feedRoom && feed > feedLowApprox + feedRoom)
          inWindow = true;
        else
          inWindow = feedInWindow(ratio());
      } else {
        inWindow = feedInWindow(ratio());
      }
      if (!inWindow) continue;

      for (std::size_t j = g.first; j < g.end; ++j) {
        const std::uint16_t gears[8] = {record.g3,       record.g2,      record.g1,       record.g0,
                                        pairs[m].smaller, pairs[m].larger, pairs[j].smaller, pairs[j].larger};
        if (!checkStock(stock, gears)) continue;
        if (list.entries.size() >= kWorkerListLimit) {
          const double last = list.approxError.back();
          if (error > last + 1e-12 * (q + std::fabs(t) + last)) continue;
        }
        FoundResult find = makeFind(record, pairs[m], pairs[j]);
        find.feedError = exactErrorOf();
        list.insert(find);
      }
    }
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
