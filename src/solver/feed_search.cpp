// The feed-train search of the workers: the tables of the fast form, the plain search
// of one C constant, the fast form's targets and blocks, and the step between them.
#include "solver/internal/feed_search.h"

#include <algorithm>
#include <cmath>

#include "solver/internal/threshold.h"

namespace hobwise::solver {

FeedSearch::FeedSearch(const JobParameters& job_, const std::vector<GearPair>& pairs_, const StockSnapshot& stock_,
                       const MountRule* mounts_)
    : job(job_), pairs(pairs_), stock(stock_), mounts(mounts_), window(FeedWindow::of(job_)) {
  buildGroups();
  buildPlaces();
  buildApproximations();
}

// The groups of equal product, the other copy of every pair, and where the bisection
// ends for every place the target can take among the products.
void FeedSearch::buildGroups() {
  const std::size_t n = pairs.size();
  for (std::size_t k = 0; k < n;) {
    std::size_t end = k + 1;
    while (end < n && pairs[end].product == pairs[k].product) ++end;
    groups.push_back({static_cast<std::uint32_t>(k), static_cast<std::uint32_t>(end),
                      static_cast<std::uint32_t>(pairs[k].product), 0});
    k = end;
  }
  otherCopy.resize(n);
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
}

// The places and the place of every whole target, for products below 65535.
void FeedSearch::buildPlaces() {
  const std::size_t n = pairs.size();
  if (n == 0 || pairs.back().product >= 65535) return;
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

// The feed window and the factors of T in double, and the range of the table's ratios.
void FeedSearch::buildApproximations() {
  if (!pairs.empty()) {
    lowestRatio = static_cast<double>(pairs.front().product) / static_cast<double>(pairs.back().product);
    highestRatio = static_cast<double>(pairs.back().product) / static_cast<double>(pairs.front().product);
  }
  if (!hobwise::isNaN(job.feedFactor) && !hobwise::isNaN(window.low) && !hobwise::isNaN(window.high)) {
    feedFactorApprox = job.feedFactor.convert_to<double>();
    feedLowApprox = window.low.convert_to<double>();
    feedHighApprox = window.high.convert_to<double>();
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

bool FeedSearch::searchPlain(const CConstantRecord& record, WorkerList& list, FeedCounts* counts,
                             const std::atomic<bool>* stop) const {
  const std::size_t n = pairs.size();
  if (n == 0) return true;
  const DecFloat target = feedRatioFor(job, record.cConstant);
  for (std::size_t j = 0; j < n; ++j) {
    // A full stock takes a few tenths of a second per C constant here.
    if (stop && j % kStopCheckEvery == kStopCheckEvery - 1 && stop->load(std::memory_order_relaxed)) return false;
    const Range r = bisectPairs(
        n, [&](std::size_t mid) { return compare(trainRatio(pairs[mid].product, pairs[j].product), target); },
        [](std::size_t, std::size_t, std::size_t) {});
    for (std::size_t m = r.lo; m <= r.hi; ++m) {
      const DecFloat q = trainRatio(pairs[m].product, pairs[j].product);
      DecFloat error = boost::multiprecision::abs(q - target);
      if (!withinFeedErrorLimit(error)) continue;
      const bool inWindow = window.contains(actualFeed(job, q));
      if (counts && otherCopy[j] >= j && countedIn(m, r.lo)) {
        ++counts->feedTrains;
        if (inWindow) ++counts->feedTest;
      }
      const std::uint16_t gears[8] = {record.g3,       record.g2,      record.g1,       record.g0,
                                      pairs[m].smaller, pairs[m].larger, pairs[j].smaller, pairs[j].larger};
      if (!checkStockPlain(stock, gears) || !mountable(m, j)) continue;
      if (!inWindow) continue;
      FoundResult find = makeFind(record, pairs[m], pairs[j]);
      find.feedError = std::move(error);
      list.insert(find);
    }
  }
  return true;
}

Decided<std::vector<double>> FeedSearch::targetsFast(std::span<const CConstantRecord> records) const {
  if (placeOf.empty()) return kCannotDecide;
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
    const double beyond = 2 * kFeedErrorLimit;
    if (!(t > 0 && t > lowestRatio - beyond && t < highestRatio + beyond)) return NAN;
    return t;
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

Decided<std::vector<double>> FeedSearch::targetsFor(std::span<const CConstantRecord> records, bool exact) const {
  if (exact) return kCannotDecide;
  return targetsFast(records);
}

std::vector<WorkRange> FeedSearch::piecesOf(const Decided<std::vector<double>>& ts, std::size_t count,
                                            unsigned processors) {
  return ts ? blocksOf(*ts, processors) : divideWork(count, processors);
}

bool FeedSearch::searchPiece(std::span<const CConstantRecord> records, const Decided<std::vector<double>>& ts,
                             WorkRange piece, WorkerList& list, FeedCounts* counts,
                             const std::function<bool(std::size_t)>& proceed, const std::atomic<bool>* stop) const {
  if (!ts) {
    for (std::size_t k = piece.first; k < piece.end; ++k)
      if ((proceed && !proceed(k)) || !searchPlain(records[k], list, counts, stop)) return false;
    return true;
  }
  bool cut = false;
  for (std::size_t k = piece.first; k < piece.end && !cut; ++k)
    if (proceed && !proceed(k)) {
      piece.end = static_cast<std::uint32_t>(k);
      cut = true;
    }
  searchFast(records, *ts, piece, list, counts);
  return !cut;
}

void FeedSearch::search(std::span<const CConstantRecord> records, WorkerList& list, FeedCounts* counts,
                        bool exact) const {
  const Decided<std::vector<double>> ts = targetsFor(records, exact);
  for (WorkRange piece : piecesOf(ts, records.size(), 1)) searchPiece(records, ts, piece, list, counts);
}

}  // namespace hobwise::solver
