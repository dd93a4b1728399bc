#include "hobwise/run.h"

#include <algorithm>
#include <thread>

namespace hobwise {

SolveReport runSolve(const JobInputs& inputs, const GearStock& stock, const SolveOptions& options,
                     const SolveCallbacks& callbacks) {
  return solve(inputs, stock, options, callbacks);
}

unsigned logicalProcessors() { return std::max(1u, std::thread::hardware_concurrency()); }

namespace {

std::string counted(std::size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

std::string whereTheSearchRanDry(const SolveReport& report, const GearStock& stock, const SolveOptions& options) {
  const StageCounts& s = report.stages;
  if (!report.results.empty()) return {};
  if (report.failed) return "The job cannot be solved: a field is no number";
  if (stock == GearStock{}) return "No gear in stock: set the counts on the Change-gears page";
  if (report.stoppedIn != SolveStage::None) return "Stopped before a result was found";
  if (s.indexTrains == 0) return "No index train of the stock falls in the feed band";
  const std::string trains = counted(s.indexTrains, "index train", "index trains");
  if (s.inStock == 0) return "The stock holds too few gears for the " + trains + " in the feed band";
  const std::string recorded = counted(s.inStock, "index train", "index trains");
  if (s.cConstants == 0) {
    if (options.wholeOnly) return "None of the " + recorded + " in the feed band has a whole C constant";
    if (options.finiteOnly) return "None of the " + recorded + " in the feed band has a finite C constant";
    return "No C constant of the " + recorded + " in the feed band lies below 10000";
  }
  const std::string constants = counted(s.cConstants, "C constant", "C constants");
  if (s.feedTrains == 0) return "No feed train for any of the " + constants;
  if (s.feedTest == 0)
    return "No feed train for the " + constants + " gives a feed within 0.005 of the wanted feed";
  return "The stock holds too few gears for the " + counted(s.feedTest, "feed train", "feed trains") +
         " that give the wanted feed";
}

std::optional<RunPlan> planRun(const JobInputs& inputs, const GearStock& stock, const SolveOptions& options,
                               const SolveCallbacks& callbacks) {
  try {
    return RunPlan::make(inputs, stock, options, callbacks);
  } catch (...) {
    return std::nullopt;  // memory ran out (or a thread could not be started)
  }
}

std::optional<RunPlan> planFromText(std::string_view text) {
  try {
    return RunPlan::fromWorkerText(text);
  } catch (...) {
    return std::nullopt;
  }
}

std::optional<RunPartial> searchPiece(const RunPlan& plan, std::size_t piece, const std::function<void()>& started) {
  try {
    FeedWorker worker(plan);
    worker.search(piece, [&started](std::size_t) {
      if (started) started();
      return true;
    });
    return worker.partial();
  } catch (...) {
    return std::nullopt;
  }
}

SolveReport mergeRun(const RunPlan& plan, std::span<const RunPartial> partials, bool stopped) {
  try {
    return plan.merge(partials, stopped);
  } catch (...) {
    SolveReport failed;
    failed.cConstantCount = plan.cConstantCount();
    failed.stages = plan.counts();
    failed.stoppedIn = plan.stoppedIn() != SolveStage::None ? plan.stoppedIn()
                     : stopped                              ? SolveStage::FeedTrains
                                                            : SolveStage::None;
    failed.failed = true;
    return failed;
  }
}

std::string runProgressText(unsigned counter, std::size_t count, unsigned processors) {
  return progressText(counter, count, processors);
}

}  // namespace hobwise
