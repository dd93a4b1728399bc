// The pieces of the advisor's look at additions that keep the gear set: the trains the
// index-train search meets, their recording for a stock, the one gear a stock lacks,
// and the finds below a feed error whatever the stock.
#include <algorithm>
#include <map>
#include <mutex>

#include "solver/internal/advisor_search.h"
#include "solver/run_rules.h"

namespace hobwise::solver {

namespace {

bool stopped(const std::atomic<bool>* stop) { return stop && stop->load(std::memory_order_relaxed); }

}  // namespace

// As the fast index-train search meets them: one bisection per run of equal driven
// product (its trains are those of each driven pair of the run), the band test in
// machine arithmetic where it is certain.
std::optional<IndexTrainsMet> meetIndexTrains(const JobParameters& job, const std::vector<GearPair>& pairs,
                                              unsigned threads, const std::atomic<bool>* stop) {
  IndexTrainsMet out;
  const std::size_t n = pairs.size();
  if (n == 0) return out;
  const Threshold target(indexRatioFor(job, job.requiredC));
  const Threshold lowEnd(indexRatioFor(job, job.cLow));
  const Threshold highEnd(indexRatioFor(job, job.cHigh));
  for (std::size_t i = 0; i < n; ++i)
    if (i == 0 || pairs[i].product != pairs[i - 1].product) out.runStart.push_back(i);
  out.runStart.push_back(n);
  const std::size_t runs = out.runStart.size() - 1;
  struct Met {
    std::uint32_t mid;
    DecFloat signedError;
  };
  std::vector<std::vector<Met>> met(runs);
  const auto bisectRun = [&](std::size_t run) {
    const std::uint64_t driven = pairs[out.runStart[run]].product;
    std::vector<Met>& trains = met[run];
    bisectPairs(
        n, [&](std::size_t mid) { return target.orderOf(pairs[mid].product, driven); },
        [&](std::size_t, std::size_t, std::size_t mid) {
          const Order low = lowEnd.orderOf(pairs[mid].product, driven);
          if (low == Order::Equal) return;
          if (!strictlyBetween(low, highEnd.orderOf(pairs[mid].product, driven))) return;
          const auto m = static_cast<std::uint32_t>(mid);
          for (const Met& seen : trains)  // the same ratio met again: the same error
            if (pairs[seen.mid].product == pairs[mid].product) return trains.push_back({m, seen.signedError});
          trains.push_back({m, trainRatio(pairs[mid].product, driven) - target.exact()});
        });
  };
  constexpr std::size_t kTurn = 16;  // driven products per turn
  std::atomic<std::size_t> nextTurn{0};
  runOnThreads(std::min<std::size_t>(std::max(1u, threads), (runs + kTurn - 1) / kTurn), [&] {
    while (!stopped(stop)) {
      const std::size_t from = nextTurn.fetch_add(kTurn);
      if (from >= runs) return;
      for (std::size_t run = from; run < std::min(runs, from + kTurn); ++run) bisectRun(run);
    }
  });
  if (stopped(stop)) return std::nullopt;

  // Equal errors get equal numbers.
  std::map<DecFloat, std::uint32_t> numbers;
  out.met.resize(runs);
  for (std::size_t run = 0; run < runs; ++run) {
    for (Met& train : met[run]) {
      const auto [it, added] = numbers.try_emplace(std::move(train.signedError), numbers.size());
      out.met[run].push_back({train.mid, it->second});
    }
    met[run] = {};
  }
  out.errors.resize(numbers.size());
  for (auto& [error, number] : numbers) out.errors[number] = error;
  return out;
}

IndexRecords recordIndexTrains(const IndexTrainsMet& met, const std::vector<GearPair>& pairs,
                               const StockSnapshot& stock, const MountRule* mounts) {
  IndexRecords out;
  std::vector<char> recorded(met.errors.size(), 0);
  std::size_t run = 0;
  std::uint32_t place = 0;
  for (std::size_t i = 0; i < pairs.size(); ++i) {
    if (i == met.runStart[run + 1]) ++run;
    for (const IndexTrainsMet::Train& train : met.met[run]) {
      const std::uint32_t at = place++;
      if (recorded[train.error]) continue;
      const GearPair& driving = pairs[train.mid];
      if (mounts && !mounts->indexMounts(driving.larger, driving.smaller, pairs[i].larger, pairs[i].smaller)) continue;
      const std::uint16_t gears[4] = {driving.larger, driving.smaller, pairs[i].larger, pairs[i].smaller};
      CConstantRecord r;
      r.g0 = pairs[i].larger;
      r.g1 = pairs[i].smaller;
      r.g2 = driving.larger;
      r.g3 = driving.smaller;
      r.ratioError = boost::multiprecision::abs(met.errors[train.error]);
      r.cConstant = 0;
      if (!checkStock(stock, gears, false)) {
        if (const int t = missingOne(stock, gears))
          out.lacking.push_back({static_cast<std::uint16_t>(t), train.error, at, std::move(r)});
        continue;
      }
      recorded[train.error] = 1;
      out.records.push_back(std::move(r));
      out.places.push_back(at);
      out.errors.push_back(train.error);
    }
  }
  return out;
}

int missingOne(const StockSnapshot& stock, std::span<const std::uint16_t> gears) {
  if (stock.bypassDuplicates) return 0;
  int missing = 0;
  for (std::size_t k = 0; k < gears.size(); ++k) {
    int uses = 0;
    bool first = true;
    for (std::size_t l = 0; l < gears.size(); ++l) {
      if (gears[l] != gears[k]) continue;
      if (l < k) first = false;
      ++uses;
    }
    const int held = gears[k] < stock.counts.size() ? stock.counts[gears[k]] : 0;
    if (!first || uses < 2 || uses <= held) continue;
    if (missing != 0 || uses > held + 1) return 0;  // more than one gear lacking
    missing = gears[k];
  }
  return missing;
}

std::array<std::uint16_t, 8> gearsOf(const FoundResult& f) {
  return {f.i3, f.i2, f.i1, f.i0, f.f3, f.f2, f.f1, f.f0};
}

std::optional<std::vector<FoundResult>> findsBelow(const FeedSearch& anyStock,
                                                   std::span<const CConstantRecord> cConstants,
                                                   const std::optional<DecFloat>& below, unsigned threads,
                                                   const std::atomic<bool>* stop) {
  const Decided<std::vector<double>> ts = anyStock.targetsFor(cConstants, false);
  const std::vector<WorkRange> blocks = FeedSearch::piecesOf(ts, cConstants.size(), std::max(1u, threads));
  const double belowApprox = below ? below->convert_to<double>() : 0.0;
  // The finds of a block below the ceiling; nothing when its list filled up, since a
  // full list may have turned finds away.
  const auto search = [&](WorkRange block) -> std::optional<std::vector<FoundResult>> {
    WorkerList list;
    if (below) {
      list.ceiling = below;
      list.ceilingApprox = belowApprox;
    }
    anyStock.searchPiece(cConstants, ts, block, list, nullptr);
    if (list.size() >= kWorkerListLimit) return std::nullopt;
    return list.entries();
  };
  std::vector<FoundResult> finds;
  std::mutex findsLock;
  std::atomic<std::size_t> next{0};
  std::atomic<bool> overflow{false};
  const auto work = [&] {
    for (std::size_t b = next.fetch_add(1); b < blocks.size() && !overflow && !stopped(stop); b = next.fetch_add(1)) {
      std::vector<FoundResult> found;
      if (auto all = search(blocks[b])) {
        found = std::move(*all);
      } else {  // one C constant at a time
        for (std::uint32_t k = blocks[b].first; k < blocks[b].end && !overflow; ++k) {
          auto one = search({k, k + 1});
          if (!one) overflow = true;
          else found.insert(found.end(), one->begin(), one->end());
        }
      }
      std::lock_guard lock(findsLock);
      finds.insert(finds.end(), found.begin(), found.end());
    }
  };
  runOnThreads(std::min<std::size_t>(std::max(1u, threads), blocks.size()), work);
  if (overflow || stopped(stop)) return std::nullopt;
  return finds;
}

}  // namespace hobwise::solver
