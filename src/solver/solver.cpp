// A solve run: from the stock and the job to the trimmed list of found results.
#include "solver/solver.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <mutex>
#include <new>
#include <thread>

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

// Runs the workers over the C constants and gathers their lists (unsorted).
std::vector<FoundResult> evaluateCConstants(const JobParameters& job, const std::vector<GearPair>& pairs,
                                            const std::vector<CConstantRecord>& cConstants,
                                            const StockSnapshot& stock, const SolveOptions& options,
                                            const SolveCallbacks& callbacks, RunControl& control) {
  const unsigned processors = std::max(1u, options.processors);
  const std::vector<WorkRange> ranges = divideWork(cConstants.size(), processors);
  const FeedSearch search(job, pairs, stock);

  std::atomic<unsigned> progress{0};
  std::mutex resultsLock;
  std::vector<FoundResult> found;
  std::exception_ptr failure;

  FeedCounts total;
  std::atomic<bool> stopped{false};
  auto worker = [&](WorkRange range) {
    try {
      WorkerList list;
      if (options.feedErrorBelow) {
        list.ceiling = *options.feedErrorBelow;
        list.ceilingApprox = options.feedErrorBelow->convert_to<double>();
      }
      FeedCounts counts;
      // Before C constant `first + k`: the progress text, and the stop seen after the one before.
      const auto proceed = [&](std::size_t k) {
        if (k > 0 && control.stopRequested()) {
          stopped = true;
          return false;
        }
        const unsigned counter = progress.fetch_add(1) + 1;
        say(callbacks, progressText(counter, cConstants.size(), processors));
        return true;
      };
      const std::span<const CConstantRecord> mine(cConstants.data() + range.first, range.end - range.first);
      if (options.exact) {
        for (std::size_t k = 0; k < mine.size() && proceed(k); ++k)
          if (!search.searchPlain(mine[k], list, &counts, control.stop)) {
            stopped = true;
            break;
          }
      } else {
        search.sweep(mine, list, &counts, proceed);
      }
      std::lock_guard lock(resultsLock);
      const std::vector<FoundResult> entries = list.entries();
      found.insert(found.end(), entries.begin(), entries.end());
      total.feedTrains += counts.feedTrains;
      total.feedTest += counts.feedTest;
    } catch (...) {
      std::lock_guard lock(resultsLock);
      if (!failure) failure = std::current_exception();
    }
  };

  std::vector<std::thread> threads;
  try {
    for (std::size_t w = 1; w < ranges.size(); ++w) threads.emplace_back(worker, ranges[w]);
  } catch (...) {
    std::lock_guard lock(resultsLock);
    if (!failure) failure = std::current_exception();
  }
  if (!ranges.empty()) worker(ranges[0]);
  for (auto& t : threads) t.join();
  if (failure) std::rethrow_exception(failure);
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
