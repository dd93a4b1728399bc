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
// error of a product; in between nothing changes. So each driven product, once looked
// at, is put aside until the first C constant whose T may reach such a place (with
// room far above every rounding error), and a C constant looks only at the driven
// products whose turn it is: a few hundred instead of thousands. The stage counts are
// the sum of what every driven product contributes now, kept up to date as they are
// looked at.
#include <algorithm>
#include <cmath>
#include <optional>

#include "solver/solver_internal.h"

namespace hobwise::solver {

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

// What one look at a driven product found: its trains within 0.001 (and of those
// outside the feed window), each counted once per pair of distinct gears, and how far
// x may fall before that can change (`again`: at the next C constant already).
struct FeedSearch::Visit {
  std::uint32_t trains = 0;
  std::uint32_t outside = 0;
  bool again = false;
  double keyX = -HUGE_VAL;  // look again once x is at most this
};

// The list's state as the search sees it: read again after every range that may
// have changed it.
struct FeedSearch::ListState {
  bool full = false;
  double lastReach = 0;  // the last entry's error (or the ceiling) with room to spare

  void refresh(const WorkerList& list, double t) {
    full = list.size() >= kWorkerListLimit;
    if (full) {
      const double last = list.approxError.back();
      lastReach = last + 1e-12 * (t + last + 1);
    }
    if (list.ceiling) {  // a ceiling is a last entry that never moves
      const double reach = list.ceilingApprox + 1e-12 * (t + list.ceilingApprox + 1);
      lastReach = full ? std::min(lastReach, reach) : reach;
      full = true;
    }
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

FeedSearch::Visit FeedSearch::visit(const CConstantRecord& record, const Group& g, Target& target, WorkerList& list,
                                    ListState& state) const {
  static const DecFloat kMaxError = DecFloat(0.001);
  const std::size_t n = pairs.size();
  const double top = static_cast<double>(placeAt.size() - 1);
  const double t = target.t;
  const double driven = static_cast<double>(g.product);
  const double x = t * driven;
  const double room = kSafety * x;
  const double whole = x < top ? static_cast<double>(static_cast<std::int64_t>(x)) : top;  // x > 0
  const double fraction = x - whole;
  Visit visit;
  bool nearProduct = false;
  if (std::min(fraction, 1 - fraction) <= room) {  // rare: x next to a whole number
    const double nearest = fraction < 0.5 ? whole : whole + 1;
    nearProduct = nearest >= 1 && nearest <= top - 1 && placeAt[static_cast<std::size_t>(nearest) - 1].above == nearest;
  }
  Range r{0, 0};
  const Place* place = nullptr;
  if (!nearProduct) {
    place = &placeAt[static_cast<std::size_t>(whole)];
    r = outcomeAt[placeIndex[static_cast<std::size_t>(whole)]];
    // Once x falls to the product below, the place changes.
    if (place->below > 0) visit.keyX = place->below + 2 * room;
  } else {
    // Too close to call in double: compare the product with T in DecFloat.
    visit.again = true;
    const std::size_t v = static_cast<std::size_t>(x - whole < 0.5 ? whole : whole + 1);
    const std::size_t lower = placeIndex[v - 1], upper = placeIndex[v];  // first at v, first above v
    const Order o = target.get().orderOf(static_cast<std::uint64_t>(v), g.product);
    if (o == Order::Less) {
      r = outcomeAt[upper];
    } else if (o == Order::Greater) {
      r = outcomeAt[lower];
    } else {
      r = bisectPairs(
          n, [&](std::size_t mid) { return mid < lower ? Order::Less : mid >= upper ? Order::Greater : Order::Equal; },
          [](std::size_t, std::size_t, std::size_t) {});
    }
  }

  // The trains of the range within 0.001 of T: |P[m] / D - T| against 0.001, times D.
  const double tolerance = 0.001 * driven;
  const double margin = 1e-9 * (x + tolerance);
  for (std::size_t m = r.lo; m <= r.hi; ++m) {
    if (!countedIn(m, r.lo)) continue;
    const double product = static_cast<double>(pairs[m].product);
    const double distance = std::fabs(product - x);
    if (distance >= tolerance + margin) {
      if (product < x) visit.keyX = std::max(visit.keyX, product + tolerance + 2 * margin);  // comes within
      continue;
    }
    const auto ratio = [&] { return quotient(pairs[m].product, g.product); };
    if (distance > tolerance - margin) {
      visit.again = true;
      if (!(boost::multiprecision::abs(ratio() - target.get().exact()) < kMaxError)) continue;
    } else if (product > x) {
      visit.keyX = std::max(visit.keyX, product - tolerance + 2 * margin);  // goes beyond
    }
    visit.trains += g.distinct;
    if (!inWindow(product / driven, ratio)) visit.outside += g.distinct;
  }

  // Trains that may enter the list: none where no product lies within 0.001; all
  // others while the list is not full, then only where a product lies nearer to x
  // than the list's last error allows.
  if (place) {
    const double below = place->below;
    const double above = place->above != 65535 ? place->above : HUGE_VAL;
    double reach = tolerance + margin;
    if (state.full) reach = std::min(reach, state.lastReach * driven + room + 1e-9);
    if (x - below > reach && above - x > reach) {
      visit.keyX = std::max(visit.keyX, below + reach + room);  // comes within reach of the product below
      return visit;
    }
  }
  visit.again = true;
  processRange(record, g, r, target, list);
  state.refresh(list, t);
  return visit;
}

void FeedSearch::search(const CConstantRecord& record, WorkerList& list, FeedCounts* counts) const {
  sweep(std::span<const CConstantRecord>(&record, 1), list, counts);
}

void FeedSearch::sweep(std::span<const CConstantRecord> records, WorkerList& list, FeedCounts* counts,
                       const std::function<bool(std::size_t)>& proceed) const {
  const std::size_t count = records.size();
  if (pairs.empty()) return;
  // T of each C constant in double; NaN where the C constant has no trains within
  // 0.001, infinite where the plain form must search it.
  const auto targetOf = [&](std::size_t k) -> double {
    const double c = records[k].cConstant.convert_to<double>();
    double t = ratioApprox ? normalPitchApprox / (c * feedFactorApprox) / sinHelixApprox : 0.0;
    if (!(std::isnormal(c) && std::isnormal(t))) {
      // A NaN target makes every error NaN; the others are judged from the DecFloat target.
      Target exact{job, records[k].cConstant, 0.0, std::nullopt};
      if (exact.get().isNaN()) return NAN;
      t = exact.get().approx();
    }
    // One beyond the ratios of the table by more than 0.001 (with room to spare) leaves
    // every error above 0.001.
    if (!(t > 0 && t > lowestRatio - 0.002 && t < highestRatio + 0.002)) return NAN;
    return placeAt.empty() ? HUGE_VAL : t;
  };
  std::vector<double> ts(count);
  for (std::size_t k = 0; k < count; ++k) ts[k] = targetOf(k);

  // The driven products waiting for C constant k: a list through `nextOf`.
  constexpr std::int32_t kNone = -1;
  std::vector<std::int32_t> firstAt(count, kNone);
  std::vector<std::int32_t> nextOf(groups.size(), kNone);
  std::vector<std::uint32_t> trainsOf(groups.size()), outsideOf(groups.size());
  std::size_t trains = 0, outside = 0;  // the sums of the two above
  std::size_t runEnd = 0;               // T falls (or stays) over the C constants before it
  const auto putAside = [&](std::int32_t g, std::size_t k) {
    nextOf[static_cast<std::size_t>(g)] = firstAt[k];
    firstAt[k] = g;
  };
  // The first C constant after k whose T is at most `key`, found by galloping.
  const auto firstReaching = [&](std::size_t k, double key) -> std::size_t {
    std::size_t lo = k, step = 1;  // ts[lo] > key
    std::size_t hi = k + 1;
    while (hi < runEnd && ts[hi] > key) {
      lo = hi;
      hi = lo + step;
      step *= 2;
    }
    hi = std::min(hi, runEnd);
    while (hi - lo > 1) {  // ts[lo] > key, and ts[hi] <= key or hi == runEnd
      const std::size_t mid = lo + (hi - lo) / 2;
      (ts[mid] > key ? lo : hi) = mid;
    }
    return hi;
  };

  for (std::size_t k = 0; k < count; ++k) {
    if (proceed && !proceed(k)) return;
    const double t = ts[k];
    if (std::isnan(t)) continue;
    if (std::isinf(t)) {
      searchPlain(records[k], list, counts);
      continue;
    }
    if (k >= runEnd) {  // a new run: every driven product is looked at now
      runEnd = k + 1;
      while (runEnd < count && !std::isnan(ts[runEnd]) && !std::isinf(ts[runEnd]) && ts[runEnd] <= ts[runEnd - 1])
        ++runEnd;
      for (std::size_t g = groups.size(); g-- > 0;) putAside(static_cast<std::int32_t>(g), k);
      std::fill(trainsOf.begin(), trainsOf.end(), 0);
      std::fill(outsideOf.begin(), outsideOf.end(), 0);
      trains = outside = 0;
    }
    Target target{job, records[k].cConstant, t, std::nullopt};
    ListState state;
    state.refresh(list, t);
    std::int32_t g = firstAt[k];
    firstAt[k] = kNone;
    while (g != kNone) {
      const std::size_t at = static_cast<std::size_t>(g);
      const std::int32_t next = nextOf[at];
      const Visit v = visit(records[k], groups[at], target, list, state);
      trains += v.trains;
      trains -= trainsOf[at];
      outside += v.outside;
      outside -= outsideOf[at];
      trainsOf[at] = v.trains;
      outsideOf[at] = v.outside;
      const std::size_t when = v.again ? k + 1 : firstReaching(k, v.keyX / static_cast<double>(groups[at].product));
      if (when < runEnd) putAside(g, when);
      g = next;
    }
    if (counts) {
      counts->feedTrains += trains;
      counts->feedTest += trains - outside;
    }
  }
}

}  // namespace hobwise::solver
