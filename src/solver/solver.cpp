// A solve run: from the stock and the job to the trimmed list of found results.
#include "solver/solver.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <mutex>

#include "solver/solver_internal.h"

namespace hobwise {

namespace {

using namespace solver;

void say(const SolveCallbacks& callbacks, const std::string& text) {
  if (callbacks.status) callbacks.status(text);
}

std::string progressText(unsigned counter, std::size_t count, unsigned processors) {
  char text[160];
  std::snprintf(text, sizeof text, "Processing %i of %i C constants using %i logical processors...",
                static_cast<int>(counter), static_cast<int>(count), static_cast<int>(processors));
  return text;
}

// Runs the workers over the C constants and gathers their lists (unsorted). The fast
// form hands out blocks of C constants in turns; the plain form divides them into one
// range per worker. Either way a result does not depend on who searched what: each
// list keeps its best 400, and the best 200 of all are among them.
std::vector<FoundResult> evaluateCConstants(const JobParameters& job, const std::vector<GearPair>& pairs,
                                            const std::vector<CConstantRecord>& cConstants,
                                            const StockSnapshot& stock, const SolveOptions& options,
                                            const SolveCallbacks& callbacks, RunControl& control) {
  const unsigned processors = std::max(1u, options.processors);
  const FeedSearch search(job, pairs, stock);
  std::vector<double> targets;
  std::vector<WorkRange> pieces;
  if (options.exact) {
    pieces = divideWork(cConstants.size(), processors);
  } else {
    targets = search.targetsOf(cConstants);
    pieces = FeedSearch::blocksOf(targets, processors);
  }
  const std::size_t workers = std::min<std::size_t>(processors, pieces.size());
  std::atomic<std::size_t> nextPiece{0};

  std::atomic<unsigned> progress{0};
  std::mutex resultsLock;
  std::vector<FoundResult> found;

  FeedCounts total;
  std::atomic<bool> stopped{false};
  auto worker = [&] {
    WorkerList list;
    if (options.feedErrorBelow) {
      list.ceiling = *options.feedErrorBelow;
      list.ceilingApprox = options.feedErrorBelow->convert_to<double>();
    }
    FeedCounts counts;
    // Before each C constant: the progress text, and a stop seen (except before a
    // worker's very first, which it always searches).
    bool first = true, ended = false;
    const auto proceed = [&] {
      if (!first && control.stopRequested()) {
        stopped = ended = true;
        return false;
      }
      first = false;
      const unsigned counter = progress.fetch_add(1) + 1;
      say(callbacks, progressText(counter, cConstants.size(), processors));
      return true;
    };
    for (std::size_t p = nextPiece.fetch_add(1); p < pieces.size() && !ended; p = nextPiece.fetch_add(1)) {
      WorkRange piece = pieces[p];
      if (options.exact) {
        for (std::size_t k = piece.first; k < piece.end && proceed(); ++k)
          if (!search.searchPlain(cConstants[k], list, &counts, control.stop)) stopped = ended = true;
        continue;
      }
      for (std::size_t k = piece.first; k < piece.end; ++k)
        if (!proceed()) {
          piece.end = static_cast<std::uint32_t>(k);
          break;
        }
      search.searchBlock(cConstants, targets, piece, list, &counts);
    }
    std::lock_guard lock(resultsLock);
    const std::vector<FoundResult> entries = list.entries();
    found.insert(found.end(), entries.begin(), entries.end());
    total.feedTrains += counts.feedTrains;
    total.feedTest += counts.feedTest;
  };
  // A worker that fails ends the others after their current piece.
  if (workers > 0) runOnThreads(workers, worker, [&] { nextPiece = pieces.size(); });
  control.counts.feedTrains = total.feedTrains;
  control.counts.feedTest = total.feedTest;
  if (stopped) control.noteStop(SolveStage::FeedTrains);
  return found;
}

}  // namespace

SolveReport solve(const JobInputs& inputs, const GearStock& stock, const SolveOptions& options,
                  const SolveCallbacks& callbacks) {
  SolveReport report;
  RunControl control;
  control.stop = callbacks.stop;
  bool statusShown = false;
  try {
    const std::vector<std::uint32_t> gearSet = gearSetFrom(stock);
    if (gearSet.empty()) return report;
    const StockSnapshot snapshot = StockSnapshot::of(stock, options.bypassDuplicates);
    const std::vector<GearPair> pairs = buildPairTable(gearSet);
    say(callbacks, "Finding Applicable C Constants...");
    statusShown = true;

    const std::optional<JobParameters> job = readJob(inputs);
    if (!job) {
      report.failed = true;
      say(callbacks, "");
      return report;
    }
    std::vector<CConstantRecord> cConstants =
        findCConstants(*job, pairs, snapshot, options, &control, callbacks.stageStarted);
    report.cConstantCount = cConstants.size();
    if (!cConstants.empty()) {
      if (callbacks.stageStarted) callbacks.stageStarted(SolveStage::FeedTrains);
      std::vector<FoundResult> found =
          evaluateCConstants(*job, pairs, cConstants, snapshot, options, callbacks, control);
      cConstants.clear();
      cConstants.shrink_to_fit();
      report.results = trimResults(std::move(found), *job);
      report.rangeSet = true;
    }
    control.counts.kept = report.results.size();
    report.stages = control.counts;
    report.stoppedIn = control.stoppedIn;
    say(callbacks, "");
    return report;
  } catch (...) {
    // Memory ran out (or a thread could not be started): the run ends without results.
    SolveReport failed;
    failed.cConstantCount = report.cConstantCount;
    failed.stages = control.counts;
    failed.stages.kept = 0;
    failed.stoppedIn = control.stoppedIn;
    failed.failed = true;
    if (statusShown) {
      try {
        say(callbacks, "");
      } catch (...) {
      }
    }
    return failed;
  }
}

}  // namespace hobwise
