// The fast form of the feed-train search.
//
// The bisection for a driven pair depends only on where the target ratio T falls
// among the sorted products, scaled by the driven pair's product D: pairs of equal
// product share it, and a table indexed by the whole part of x = T D gives that place,
// the products around it and the range the bisection ends with. Only a target too
// close to a product to call in double is placed by DecFloat. The trains of a range
// are judged in double first, the DecFloat error formed only for a train that enters
// the list (or one too close to the 0.001 limit to call).
//
// A worker's C constants come in ascending order, so T falls from one to the next and
// x falls for every driven product. What a driven product contributes (its place, the
// trains of its range within 0.001, whether one of them may enter the list) changes
// only where x passes a product, a product +-0.001 D, or comes within the list's last
// error of a product; in between nothing changes. So a driven product, once looked at
// for one C constant, is next looked at for the first C constant whose T may reach
// such a place (with room far above every rounding error), and what it contributes to
// the stage counts holds for every C constant in between: a few looks per driven
// product instead of one per C constant. The list keeps the best finds whatever the
// order they come in, so the driven products go one after another (eight side by
// side, for the processor's sake) over a block of C constants.
#include <algorithm>
#include <cmath>
#include <optional>

#include "solver/internal/feed_search.h"
#include "solver/internal/threshold.h"

namespace hobwise::solver {

struct FeedSearch::Target {
  Target(const JobParameters& j, const DecFloat& cConstant, double tApprox) : job(j), c(cConstant), t(tApprox) {}
  const JobParameters& job;
  const DecFloat& c;
  double t = 0;  // T in double, off by a few units in the last place
  std::optional<Threshold> exact;
  const Threshold& get() {
    if (!exact) exact.emplace(feedRatioFor(job, c));
    return *exact;
  }
};

// What one look at a driven product found: its trains within 0.001 (and of those
// outside the feed window), each counted once per pair of distinct gears, and how far
// x may fall before that can change (`again`: at the next C constant already).
struct FeedSearch::Visit {
  std::uint32_t trains = 0;
  std::uint32_t outside = 0;
  bool again = false;
  double keyX = -HUGE_VAL;  // look again once x is at most this
};

// What a look at a driven product knows besides T: whether every feed of a ratio within
// 0.001 of T is certainly inside the window, and the list's state, read again after
// every range that may have changed it.
struct FeedSearch::Pass {
  bool windowAll = false;
  bool full = false;
  double tMax = 0;       // the largest T the state is used for
  double lastReach = 0;  // the last entry's error (or the ceiling) with room to spare

  // How near x a product must lie for a train of it to enter the list: within 0.001
  // always, and within the list's last error once the list is full.
  double reach(double driven, double tolerance, double margin, double room) const {
    const double within = tolerance + margin;
    return full ? std::min(within, lastReach * driven + room + 1e-9) : within;
  }

  void refresh(const WorkerList& list) {
    full = list.size() >= kWorkerListLimit;
    if (full) {
      const double last = list.approxError.back();
      lastReach = last + 1e-12 * (tMax + last + 1);
    }
    if (list.ceiling) {  // a ceiling is a last entry that never moves
      const double reach = list.ceilingApprox + 1e-12 * (tMax + list.ceilingApprox + 1);
      lastReach = full ? std::min(lastReach, reach) : reach;
      full = true;
    }
  }
};

Decided<bool> FeedSearch::inWindowFast(double feed) const {
  const double feedRoom = 1e-12 * (std::fabs(feed) + std::fabs(feedLowApprox) + std::fabs(feedHighApprox));
  if (feed > feedHighApprox + feedRoom || feed < feedLowApprox - feedRoom) return false;
  if (feed < feedHighApprox - feedRoom && feed > feedLowApprox + feedRoom) return true;
  return kCannotDecide;
}

template <class RatioFn>
bool FeedSearch::inWindow(double q, RatioFn&& ratio) const {
  if (feedWindowApprox)
    if (const Decided<bool> certain = inWindowFast(q * feedFactorApprox)) return *certain;
  return window.contains(actualFeed(job, ratio()));
}

void FeedSearch::processRange(const CConstantRecord& record, const Group& g, Range r, Target& target,
                              WorkerList& list) const {
  const double t = target.t;
  const double driven = static_cast<double>(g.product);
  for (std::size_t m = r.lo; m <= r.hi; ++m) {
    const double q = static_cast<double>(pairs[m].product) / driven;
    const double error = std::fabs(q - t);
    const double errorRoom = 1e-12 * (q + std::fabs(t));
    if (error >= kFeedErrorLimit + errorRoom) continue;
    // Certainly worse than the last entry of a full list, or than the ceiling: it cannot enter.
    if (list.size() >= kWorkerListLimit) {
      const double last = list.approxError.back();
      if (error > last + 1e-12 * (q + std::fabs(t) + last)) continue;
    }
    if (list.ceiling && error > list.ceilingApprox + 1e-12 * (q + std::fabs(t) + list.ceilingApprox)) continue;
    std::optional<DecFloat> exactQ;
    std::optional<DecFloat> exactError;
    auto ratio = [&]() -> const DecFloat& {
      if (!exactQ) exactQ = trainRatio(pairs[m].product, g.product);
      return *exactQ;
    };
    auto exactErrorOf = [&]() -> const DecFloat& {
      if (!exactError) exactError = boost::multiprecision::abs(ratio() - target.get().exact());
      return *exactError;
    };
    if (error > kFeedErrorLimit - errorRoom && !withinFeedErrorLimit(exactErrorOf())) continue;
    if (!inWindow(q, ratio)) continue;
    for (std::size_t j = g.first; j < g.end; ++j) {
      const std::uint16_t gears[8] = {record.g3,       record.g2,      record.g1,       record.g0,
                                      pairs[m].smaller, pairs[m].larger, pairs[j].smaller, pairs[j].larger};
      if (!checkStockFast(stock, gears) || !mountable(m, j)) continue;
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

// The common look, in double alone: x clear of every whole number, a short range, each
// of its products clearly inside or outside 0.001, and none that may enter the list.
// Anything else goes to visitExactly, which judges it all again.
FeedSearch::Visit FeedSearch::visit(const CConstantRecord& record, const Group& g, Target& target, WorkerList& list,
                                    Pass& state) const {
  const double top = static_cast<double>(placeOf.size() - 1);
  const double driven = static_cast<double>(g.product);
  const double x = target.t * driven;
  const double room = kSafety * x;
  const double whole = x < top ? static_cast<double>(static_cast<std::int64_t>(x)) : top;  // x > 0
  const double fraction = x - whole;
  if (std::min(fraction, 1 - fraction) <= room) return visitExactly(record, g, target, list, state);
  const Place& place = places[placeOf[static_cast<std::size_t>(whole)]];
  if (place.size == kLongRange) return visitExactly(record, g, target, list, state);
  const double tolerance = kFeedErrorLimit * driven;
  const double margin = 1e-9 * (x + tolerance);
  const double feedPerProduct = feedFactorApprox / driven;  // a product's feed, to a few units in the last place
  Visit visit;
  visit.keyX = place.below > 0 ? place.below + 2 * room : -HUGE_VAL;
  bool mayEnter = false;  // a train within 0.001 whose feed may lie in the window
  for (std::uint8_t k = 0; k < place.size; ++k) {
    const double product = place.product[k];
    const double distance = std::fabs(product - x);
    if (distance >= tolerance + margin) {
      if (product < x) visit.keyX = std::max(visit.keyX, product + tolerance + 2 * margin);
      continue;
    }
    if (distance > tolerance - margin) return visitExactly(record, g, target, list, state);
    if (product > x) visit.keyX = std::max(visit.keyX, product - tolerance + 2 * margin);
    visit.trains += place.weight[k] * g.distinct;
    if (state.windowAll) {
      mayEnter = true;
      continue;
    }
    const Decided<bool> in = feedWindowApprox ? inWindowFast(product * feedPerProduct) : kCannotDecide;
    if (!in) return visitExactly(record, g, target, list, state);
    if (*in) {
      mayEnter = true;
    } else {
      visit.outside += place.weight[k] * g.distinct;
    }
  }
  // None of the range's trains can enter the list until the place changes or another
  // of its products comes within 0.001 (a product's feed does not change with T).
  if (!mayEnter) return visit;
  const double above = place.above != 65535 ? place.above : HUGE_VAL;
  const double reach = state.reach(driven, tolerance, margin, room);
  if (!(x - place.below > reach && above - x > reach)) return visitExactly(record, g, target, list, state);
  visit.keyX = std::max(visit.keyX, place.below + reach + room);
  return visit;
}

// The range the bisection ends with for a target next to the product v / D, too close
// to call in double: the product compared with T in DecFloat.
Range FeedSearch::nearProductRange(std::size_t v, const Group& g, Target& target) const {
  const std::size_t lower = rangeStart(placeOf[v - 1]), upper = rangeStart(placeOf[v]);  // first at v, above v
  const Order o = target.get().orderOf(static_cast<std::uint64_t>(v), g.product);
  if (o == Order::Less) return outcomeAt[upper];
  if (o == Order::Greater) return outcomeAt[lower];
  return bisectPairs(
      pairs.size(),
      [&](std::size_t mid) { return mid < lower ? Order::Less : mid >= upper ? Order::Greater : Order::Equal; },
      [](std::size_t, std::size_t, std::size_t) {});
}

// The trains of the range within 0.001 of T: |P / D - T| against 0.001, times D, for
// each product P of the range (the place's few, or the range's entries that count), as
// many times as it has entries that count; and how far x may fall before that changes.
void FeedSearch::judgeRange(const Group& g, const Place* place, Range r, Target& target, const Pass& state,
                            Visit& visit) const {
  const double driven = static_cast<double>(g.product);
  const double x = target.t * driven;
  const double tolerance = kFeedErrorLimit * driven;
  const double margin = 1e-9 * (x + tolerance);
  const auto judge = [&](std::uint64_t productOfEntry, unsigned weight) {
    const double product = static_cast<double>(productOfEntry);
    const double distance = std::fabs(product - x);
    if (distance >= tolerance + margin) {
      if (product < x) visit.keyX = std::max(visit.keyX, product + tolerance + 2 * margin);  // comes within
      return;
    }
    const auto ratio = [&] { return trainRatio(productOfEntry, g.product); };
    if (distance > tolerance - margin) {
      visit.again = true;
      if (!withinFeedErrorLimit(boost::multiprecision::abs(ratio() - target.get().exact()))) return;
    } else if (product > x) {
      visit.keyX = std::max(visit.keyX, product - tolerance + 2 * margin);  // goes beyond
    }
    visit.trains += weight * g.distinct;
    if (!state.windowAll && !inWindow(product / driven, ratio)) visit.outside += weight * g.distinct;
  };
  if (place && place->size != kLongRange) {
    for (std::uint8_t k = 0; k < place->size; ++k) judge(place->product[k], place->weight[k]);
  } else {
    for (std::size_t m = r.lo; m <= r.hi; ++m)
      if (countedIn(m, r.lo)) judge(pairs[m].product, 1);
  }
}

// Everything the common look leaves: x next to a whole number (placed in DecFloat when
// next to a product), long ranges, products at the 0.001 limit or at the window's
// ends, and ranges with trains that may enter the list.
FeedSearch::Visit FeedSearch::visitExactly(const CConstantRecord& record, const Group& g, Target& target,
                                           WorkerList& list, Pass& state) const {
  const double top = static_cast<double>(placeOf.size() - 1);
  const double driven = static_cast<double>(g.product);
  const double x = target.t * driven;
  const double room = kSafety * x;
  const double whole = x < top ? static_cast<double>(static_cast<std::int64_t>(x)) : top;  // x > 0
  const double fraction = x - whole;
  Visit visit;
  bool nearProduct = false;
  if (std::min(fraction, 1 - fraction) <= room) {  // rare: x next to a whole number
    const double nearest = fraction < 0.5 ? whole : whole + 1;
    nearProduct = nearest >= 1 && nearest <= top - 1 &&
                  places[placeOf[static_cast<std::size_t>(nearest) - 1]].above == nearest;
  }
  // The place, unless the target is too close to a product to call, and its range.
  const Place* place = nullptr;
  Range r{0, 0};
  if (!nearProduct) {
    const std::size_t at = placeOf[static_cast<std::size_t>(whole)];
    place = &places[at];
    r = outcomeAt[rangeStart(at)];
    if (place->below > 0) visit.keyX = place->below + 2 * room;  // once x falls to it, the place changes
  } else {
    visit.again = true;
    r = nearProductRange(static_cast<std::size_t>(fraction < 0.5 ? whole : whole + 1), g, target);
  }
  judgeRange(g, place, r, target, state, visit);

  // Trains that may enter the list: none where no product lies within 0.001; all
  // others while the list is not full, then only where a product lies nearer to x
  // than the list's last error allows.
  if (place) {
    const double tolerance = kFeedErrorLimit * driven;
    const double margin = 1e-9 * (x + tolerance);
    const double below = place->below;
    const double above = place->above != 65535 ? place->above : HUGE_VAL;
    const double reach = state.reach(driven, tolerance, margin, room);
    if (x - below > reach && above - x > reach) {
      visit.keyX = std::max(visit.keyX, below + reach + room);  // comes within reach of the product below
      return visit;
    }
  }
  visit.again = true;
  processRange(record, g, r, target, list);
  state.refresh(list);
  return visit;
}

void FeedSearch::searchFast(std::span<const CConstantRecord> records, const std::vector<double>& ts,
                            WorkRange block, WorkerList& list, FeedCounts* counts) const {
  if (block.first >= block.end || pairs.empty()) return;
  if (std::isnan(ts[block.first])) return;  // no train within 0.001
  sweepBlock(records, ts, block.first, block.end, list, counts);
}

void FeedSearch::sweepBlock(std::span<const CConstantRecord> records, const std::vector<double>& ts,
                            std::size_t first, std::size_t end, WorkerList& list, FeedCounts* counts) const {
  if (first >= end) return;
  std::vector<std::optional<Target>> targets(end - first);
  std::vector<char> windowAll(end - first, 0);
  for (std::size_t k = first; k < end && feedWindowApprox; ++k)  // both ends of T +- 0.001 inside
    windowAll[k - first] = inWindowFast((ts[k] - kFeedErrorLimit) * feedFactorApprox) == true &&
                           inWindowFast((ts[k] + kFeedErrorLimit) * feedFactorApprox) == true;
  const auto targetAt = [&](std::size_t k) -> Target& {
    std::optional<Target>& target = targets[k - first];
    if (!target) target.emplace(job, records[k].cConstant, ts[k]);
    return *target;
  };
  // The first C constant after k whose T is at most `key`: most often one of the next
  // few (counted without a branch), else found by galloping.
  const auto firstReaching = [&](std::size_t k, double key) -> std::size_t {
    constexpr std::size_t kNear = 8;
    if (k + kNear < end) {
      std::size_t above = 0;
      for (std::size_t j = 1; j <= kNear; ++j) above += ts[k + j] > key;
      if (above < kNear) return k + 1 + above;
      k += kNear;
    }
    std::size_t lo = k, step = 1;  // ts[lo] > key
    std::size_t hi = k + 1;
    while (hi < end && ts[hi] > key) {
      lo = hi;
      hi = lo + step;
      step *= 2;
    }
    hi = std::min(hi, end);
    while (hi - lo > 1) {  // ts[lo] > key, and ts[hi] <= key or hi == end
      const std::size_t mid = lo + (hi - lo) / 2;
      (ts[mid] > key ? lo : hi) = mid;
    }
    return hi;
  };

  // The list's reach is figured with the largest T of the block: room to spare for all.
  Pass state;
  state.tMax = ts[first];
  state.refresh(list);
  std::size_t trains = 0, outside = 0;
  // Eight driven products at a time, each at its own C constant: their looks do not
  // wait for each other.
  constexpr std::size_t kLanes = 8;
  for (std::size_t g0 = 0; g0 < groups.size(); g0 += kLanes) {
    const std::size_t lanes = std::min(kLanes, groups.size() - g0);
    std::size_t at[kLanes];
    double inverse[kLanes];
    for (std::size_t l = 0; l < lanes; ++l) {
      at[l] = first;
      inverse[l] = 1.0 / static_cast<double>(groups[g0 + l].product);
    }
    for (std::size_t busy = lanes; busy > 0;) {
      busy = 0;
      for (std::size_t l = 0; l < lanes; ++l) {
        const std::size_t k = at[l];
        if (k >= end) continue;
        ++busy;
        state.windowAll = windowAll[k - first];
        const Visit v = visit(records[k], groups[g0 + l], targetAt(k), list, state);
        // The key with a margin far above the rounding of this product.
        const std::size_t next = v.again ? k + 1 : firstReaching(k, v.keyX * inverse[l]);
        trains += std::size_t{v.trains} * (next - k);
        outside += std::size_t{v.outside} * (next - k);
        at[l] = next;
      }
    }
  }
  if (counts) {
    counts->feedTrains += trains;
    counts->feedTest += trains - outside;
  }
}

}  // namespace hobwise::solver
