// A solve run: the plan, its feed search on one worker per logical processor, the
// workers taking its pieces in turns, and the merge of their lists.
#include "solver/solver.h"

#include <algorithm>
#include <atomic>
#include <mutex>

#include "solver/internal/run_control.h"
#include "solver/run_parts.h"

namespace hobwise {

namespace {

void say(const SolveCallbacks& callbacks, const std::string& text) {
  if (callbacks.status) callbacks.status(text);
}

bool stopRequested(const SolveCallbacks& callbacks) {
  return callbacks.stop && callbacks.stop->load(std::memory_order_relaxed);
}

// The feed search of the plan: each worker takes the next piece until none is left
// (or a stop is seen) and hands in its list. Before each C constant a worker writes
// the progress text and looks at the stop flag (except before its very first C
// constant, which it always searches). A worker that fails ends the others after their
// current piece.
std::vector<RunPartial> searchOnThreads(const RunPlan& plan, const SolveCallbacks& callbacks) {
  const std::vector<WorkRange>& pieces = plan.pieces();
  const unsigned processors = plan.processors();
  std::atomic<std::size_t> nextPiece{0};
  std::atomic<unsigned> progress{0};
  std::mutex partialsLock;
  std::vector<RunPartial> partials;
  const auto worker = [&] {
    FeedWorker feed(plan, callbacks.stop);
    bool first = true;
    const auto proceed = [&](std::size_t) {
      if (!first && stopRequested(callbacks)) return false;
      first = false;
      say(callbacks, progressText(progress.fetch_add(1) + 1, plan.cConstantCount(), processors));
      return true;
    };
    for (std::size_t p = nextPiece.fetch_add(1); p < pieces.size(); p = nextPiece.fetch_add(1))
      if (!feed.search(p, proceed)) break;
    RunPartial partial = feed.partial();
    std::lock_guard lock(partialsLock);
    partials.push_back(std::move(partial));
  };
  const std::size_t workers = std::min<std::size_t>(processors, pieces.size());
  if (workers > 0) solver::runOnThreads(workers, worker, [&] { nextPiece = pieces.size(); });
  return partials;
}

}  // namespace

SolveReport solve(const JobInputs& inputs, const GearStock& stock, const SolveOptions& options,
                  const SolveCallbacks& callbacks) {
  std::atomic<bool> statusShown{false};
  SolveCallbacks planCallbacks = callbacks;
  planCallbacks.status = [&](const std::string& text) {
    statusShown = true;
    say(callbacks, text);
  };
  std::optional<RunPlan> plan;
  try {
    plan = RunPlan::make(inputs, stock, options, planCallbacks);
    std::vector<RunPartial> partials;
    if (plan->cConstantCount() > 0) {
      if (callbacks.stageStarted) callbacks.stageStarted(SolveStage::FeedTrains);
      partials = searchOnThreads(*plan, callbacks);
    }
    SolveReport report = plan->merge(partials);
    if (statusShown) say(callbacks, "");
    return report;
  } catch (...) {
    // Memory ran out (or a thread could not be started): the run ends without results.
    SolveReport failed;
    if (plan) {
      failed.cConstantCount = plan->cConstantCount();
      failed.stages = plan->counts();
      failed.stoppedIn = plan->stoppedIn();
    }
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
