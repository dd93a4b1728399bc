// Steps B to D of the C-constant search: the C constants of the index trains, the
// user's option, the cap, and the order with one record per C constant.
#include "solver/internal/c_constant_search.h"

#include <algorithm>
#include <atomic>

#include "solver/internal/c_constant_bisection.h"

namespace hobwise::solver {

void assignCConstants(const JobParameters& job, std::vector<CConstantRecord>& records, const SolveOptions& options,
                      unsigned threads, RunControl* control) {
  std::vector<char> keep(records.size(), 0);
  const CConstantStep step(job, options.exact, options.cConstantMemo);
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
        DecFloat c = step.solveCConstant(std::uint64_t{r.g3} * r.g2, std::uint64_t{r.g1} * r.g0);
        if (passesCConstantOption(c, options.wholeOnly, options.finiteOnly)) {
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
  std::erase_if(records, [](const CConstantRecord& r) { return !withinCap(r.cConstant); });
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

std::vector<CConstantRecord> findIndexTrains(const JobParameters& job, const std::vector<GearPair>& pairs,
                                             const StockSnapshot& stock, const SolveOptions& options,
                                             RunControl* control, const std::function<void(SolveStage)>& stageStarted,
                                             const MountRule* mounts) {
  RatioErrorSet ratioErrors;
  const unsigned threads = options.exact ? 1u : std::max(1u, options.processors);
  if (stageStarted) stageStarted(SolveStage::IndexTrains);
  return searchIndexTrains(job, pairs, stock, ratioErrors, options.exact, control, threads, mounts);
}

void finishCConstants(std::vector<CConstantRecord>& records, RunControl* control) {
  dropOutOfRange(records);
  orderDistinct(records);
  if (control) control->counts.cConstants = records.size();
}

std::vector<CConstantRecord> findCConstants(const JobParameters& job, const std::vector<GearPair>& pairs,
                                            const StockSnapshot& stock, const SolveOptions& options,
                                            RunControl* control, const std::function<void(SolveStage)>& stageStarted,
                                            const MountRule* mounts) {
  std::vector<CConstantRecord> records = findIndexTrains(job, pairs, stock, options, control, stageStarted, mounts);
  if (stageStarted) stageStarted(SolveStage::CConstants);
  const unsigned threads = options.exact ? 1u : std::max(1u, options.processors);
  assignCConstants(job, records, options, threads, control);
  finishCConstants(records, control);
  return records;
}

}  // namespace hobwise::solver
