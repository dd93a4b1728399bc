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
    groups.push_back({k, end, pairs[k].product, 0});
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
    const std::size_t top = pairs.back().product;
    placeAt.reserve(top + 2);
    placeIndex.reserve(top + 2);
    std::size_t p = 0;
    for (std::size_t v = 0; v <= top + 1; ++v) {
      while (p < n && pairs[p].product <= v) ++p;  // first product above v
      const Range r = outcomeAt[p];
      Place place{};
      unsigned count = 0;
      for (std::size_t m = r.lo; m <= r.hi; ++m)
        if (countedIn(m, r.lo)) ++count;
      place.count = static_cast<std::uint8_t>(std::min(count, 255u));
      place.below = p > 0 ? static_cast<std::uint16_t>(pairs[p - 1].product) : 0;
      place.above = p < n ? static_cast<std::uint16_t>(pairs[p].product) : 65535;
      const auto reach = [](std::int64_t d) { return static_cast<std::uint8_t>(std::clamp<std::int64_t>(d, 0, 255)); };
      place.toFirst = count > 254 || p == 0 ? 255 : reach(static_cast<std::int64_t>(place.below) - pairs[r.lo].product);
      place.toLast = count > 254 || p == n ? 255 : reach(static_cast<std::int64_t>(pairs[r.hi].product) - place.above);
      placeAt.push_back(place);
      placeIndex.push_back(static_cast<std::uint32_t>(p));
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

void FeedSearch::searchPlain(const CConstantRecord& record, WorkerList& list, FeedCounts* counts) const {
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
}

// The fast form. The bisection for a driven pair depends only on where the target
// ratio T falls among the sorted products, scaled by the driven pair's product: pairs
// of equal product share it, and a table indexed by the whole part of T x product
// gives that place, the products around it and the range the bisection ends with, so
// that each driven product costs a multiplication and a look-up. Only a target too
// close to a product to call in double is placed by DecFloat. The stage counts come
// from the same look-up; the trains of a range are judged one by one only when one
// of them may enter the list (or the range straddles the 0.001 limit), in double
// first, the DecFloat error formed only for a train that enters.
struct FeedSearch::Target {
  const JobParameters& job;
  const DecFloat& c;
  double t = 0;  // T in double, off by a few units in the last place
  std::optional<Threshold> exact;
  const Threshold& get() {
    if (!exact) exact.emplace(feedRatioFor(job, c));
    return *exact;
  }
};

template <class RatioFn>
bool FeedSearch::inWindow(double q, RatioFn&& ratio) const {
  if (!feedWindowApprox) return feedInWindow(ratio());
  const double feed = q * feedFactorApprox;
  const double feedRoom = 1e-12 * (std::fabs(feed) + std::fabs(feedLowApprox) + std::fabs(feedHighApprox));
  if (feed > feedHighApprox + feedRoom || feed < feedLowApprox - feedRoom) return false;
  if (feed < feedHighApprox - feedRoom && feed > feedLowApprox + feedRoom) return true;
  return feedInWindow(ratio());
}

void FeedSearch::processRange(const CConstantRecord& record, const Group& g, Range r, Target& target,
                              WorkerList& list) const {
  static const DecFloat kMaxError = DecFloat(0.001);
  const double t = target.t;
  const double driven = static_cast<double>(g.product);
  for (std::size_t m = r.lo; m <= r.hi; ++m) {
    const double q = static_cast<double>(pairs[m].product) / driven;
    const double error = std::fabs(q - t);
    const double errorRoom = 1e-12 * (q + std::fabs(t));
    if (error >= 0.001 + errorRoom) continue;
    // Certainly worse than the last entry of a full list, or than the ceiling: it cannot enter.
    if (list.size() >= kWorkerListLimit) {
      const double last = list.approxError.back();
      if (error > last + 1e-12 * (q + std::fabs(t) + last)) continue;
    }
    if (list.ceiling && error > list.ceilingApprox + 1e-12 * (q + std::fabs(t) + list.ceilingApprox)) continue;
    std::optional<DecFloat> exactQ;
    std::optional<DecFloat> exactError;
    auto ratio = [&]() -> const DecFloat& {
      if (!exactQ) exactQ = quotient(pairs[m].product, g.product);
      return *exactQ;
    };
    auto exactErrorOf = [&]() -> const DecFloat& {
      if (!exactError) exactError = boost::multiprecision::abs(ratio() - target.get().exact());
      return *exactError;
    };
    if (error > 0.001 - errorRoom && !(exactErrorOf() < kMaxError)) continue;
    if (!inWindow(q, ratio)) continue;
    for (std::size_t j = g.first; j < g.end; ++j) {
      const std::uint16_t gears[8] = {record.g3,       record.g2,      record.g1,       record.g0,
                                      pairs[m].smaller, pairs[m].larger, pairs[j].smaller, pairs[j].larger};
      if (!checkStock(stock, gears)) continue;
      if (list.size() >= kWorkerListLimit) {
        const double last = list.approxError.back();
        if (error > last + 1e-12 * (q + std::fabs(t) + last)) continue;
      }
      FoundResult find = makeFind(record, pairs[m], pairs[j]);
      find.feedError = exactErrorOf();
      list.insert(find, error);
    }
  }
}

void FeedSearch::search(const CConstantRecord& record, WorkerList& list, FeedCounts* counts) const {
  static const DecFloat kMaxError = DecFloat(0.001);
  const std::size_t n = pairs.size();
  if (n == 0) return;
  Target target{job, record.cConstant, 0.0, std::nullopt};
  const double c = record.cConstant.convert_to<double>();
  target.t = ratioApprox ? normalPitchApprox / (c * feedFactorApprox) / sinHelixApprox : 0.0;
  if (!(std::isnormal(c) && std::isnormal(target.t))) {
    // A NaN target makes every error NaN; the others are judged from the DecFloat target.
    if (target.get().isNaN()) return;
    target.t = target.get().approx();
  }
  const double t = target.t;
  // One beyond the ratios of the table by more than 0.001 (with room to spare) leaves
  // every error above 0.001.
  if (!(t > 0 && t > lowestRatio - 0.002 && t < highestRatio + 0.002)) return;
  if (placeAt.empty()) return searchPlain(record, list, counts);

  // Whether every feed of a ratio within 0.001 of T is certainly inside the window.
  bool windowAll = false;
  if (feedWindowApprox) {
    const double a = (t - 0.001) * feedFactorApprox, b = (t + 0.001) * feedFactorApprox;
    const double room = 1e-12 * (std::fabs(a) + std::fabs(b) + std::fabs(feedLowApprox) + std::fabs(feedHighApprox));
    windowAll = std::min(a, b) > feedLowApprox + room && std::max(a, b) < feedHighApprox - room;
  }
  const double top = static_cast<double>(placeAt.size() - 1);
  const double largestProduct = static_cast<double>(pairs.back().product);
  std::size_t trains = 0, outside = 0;
  // The list's state, read again after every range that may have changed it.
  bool listFull = false;
  double lastReach = 0;  // the last entry's error with room to spare
  const auto refreshList = [&] {
    listFull = list.size() >= kWorkerListLimit;
    if (listFull) {
      const double last = list.approxError.back();
      lastReach = last + 1e-12 * (t + last + 1);
    }
    if (list.ceiling) {  // a ceiling is a last entry that never moves
      const double reach = list.ceilingApprox + 1e-12 * (t + list.ceilingApprox + 1);
      lastReach = listFull ? std::min(lastReach, reach) : reach;
      listFull = true;
    }
  };
  refreshList();

  for (const Group& g : groups) {
    const double driven = static_cast<double>(g.product);
    const double x = t * driven;
    const double room = kSafety * x;
    const double whole = x < top ? static_cast<double>(static_cast<std::int64_t>(x)) : top;  // x > 0
    const double fraction = x - whole;
    bool nearProduct = false;
    if (std::min(fraction, 1 - fraction) <= room) {  // rare: x next to a whole number
      const double nearest = fraction < 0.5 ? whole : whole + 1;
      nearProduct = nearest >= 1 && nearest <= top - 1 && placeAt[static_cast<std::size_t>(nearest) - 1].above == nearest;
    }
    Range r{0, 0};
    const Place* place = nullptr;
    if (!nearProduct) {
      place = &placeAt[static_cast<std::size_t>(whole)];
    } else {
      // Too close to call in double: compare the product with T in DecFloat.
      const std::size_t v = static_cast<std::size_t>(x - whole < 0.5 ? whole : whole + 1);
      const std::size_t lower = placeIndex[v - 1], upper = placeIndex[v];  // first at v, first above v
      const Order o = target.get().orderOf(static_cast<std::uint64_t>(v), g.product);
      if (o == Order::Less) {
        r = outcomeAt[upper];
      } else if (o == Order::Greater) {
        r = outcomeAt[lower];
      } else {
        r = bisectPairs(
            n,
            [&](std::size_t mid) { return mid < lower ? Order::Less : mid >= upper ? Order::Greater : Order::Equal; },
            [](std::size_t, std::size_t, std::size_t) {});
      }
    }

    const double tolerance = 0.001 * driven;
    const double margin = 1e-9 * (x + tolerance);
    // Beyond the largest product by more than 0.001 D: so is every larger D (t > 0.001).
    if (x - tolerance - margin > largestProduct && t > 0.002) break;
    // The range's products lie between `first` and `last`: none of them within 0.001.
    const double below = place ? place->below : 0.0;
    const double above = place && place->above != 65535 ? place->above : HUGE_VAL;
    if (place && std::min(x - below, above - x) > tolerance + margin) continue;
    if (counts) {
      // The range's products lie between `below - toFirst` and `above + toLast`.
      const double farthest = place && place->toFirst < 255 && place->toLast < 255
                                  ? std::max(x - below + place->toFirst, above + place->toLast - x)
                                  : HUGE_VAL;
      if (farthest < tolerance - margin && windowAll) {
        trains += std::size_t{place->count} * g.distinct;
      } else {
        if (place) r = outcomeAt[placeIndex[static_cast<std::size_t>(whole)]];
        for (std::size_t m = r.lo; m <= r.hi; ++m) {
          if (!countedIn(m, r.lo)) continue;
          // |P[m] / D - T| against 0.001, multiplied by D.
          const double distance = std::fabs(static_cast<double>(pairs[m].product) - x);
          if (distance >= tolerance + margin) continue;
          const auto ratio = [&] { return quotient(pairs[m].product, g.product); };
          if (distance > tolerance - margin &&
              !(boost::multiprecision::abs(ratio() - target.get().exact()) < kMaxError))
            continue;
          trains += g.distinct;
          if (!windowAll && !inWindow(static_cast<double>(pairs[m].product) / driven, ratio)) outside += g.distinct;
        }
      }
    }

    // Trains that may enter the list: all while it is not full, then only where a
    // product lies nearer to x than the list's last error allows.
    if (listFull && place) {
      const double reach = lastReach * driven + room + 1e-9;
      if (x - below > reach && above - x > reach) continue;
    }
    if (place) r = outcomeAt[placeIndex[static_cast<std::size_t>(whole)]];
    processRange(record, g, r, target, list);
    refreshList();
  }
  if (counts) {
    counts->feedTrains += trains;
    counts->feedTest += trains - outside;
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
