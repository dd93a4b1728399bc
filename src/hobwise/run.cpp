#include "hobwise/run.h"

#include <algorithm>
#include <thread>

#include "hobwise/job.h"

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

// "None of the 3 index trains in the feed band has X", or for one "The 1 index train
// in the feed band has no X".
std::string noneHas(std::size_t n, const std::string& what) {
  if (n == 1) return "The 1 index train in the feed band has no " + what;
  return "None of the " + std::to_string(n) + " index trains in the feed band has a " + what;
}

}  // namespace

std::string whyTheRunFailed(const JobInputs& inputs) {
  const std::string field = unreadableFieldText(inputs);
  return field.empty() ? "memory ran out" : field;
}

std::string whereTheSearchRanDry(const JobInputs& inputs, const SolveReport& report, const GearStock& stock,
                                 const SolveOptions& options) {
  if (report.failed && report.results.empty()) return "The job cannot be solved: " + whyTheRunFailed(inputs);
  return whereTheSearchRanDry(report, stock, options);
}

std::string whereTheSearchRanDry(const SolveReport& report, const GearStock& stock, const SolveOptions& options) {
  const StageCounts& s = report.stages;
  if (!report.results.empty()) return {};
  if (report.failed) return "The job cannot be solved: a field is not a number, or memory ran out";
  if (stock == GearStock{}) return "No gear in stock: set the counts on the Change-gears page";
  if (report.stoppedIn != SolveStage::None) return "Stopped before a result was found";
  if (s.indexTrains == 0) return "No index train of the stock falls in the feed band";
  const std::string trains = counted(s.indexTrains, "index train", "index trains");
  const bool mountable = options.mountableOnly.has_value();
  const char* heldAndMounts = " is both held by the stock and mountable on the machine";
  if (s.inStock == 0)
    return mountable ? "None of the " + trains + " in the feed band" + heldAndMounts
                     : "The stock holds too few gears for the " + trains + " in the feed band";
  if (s.cConstants == 0) {
    if (options.wholeOnly) return noneHas(s.inStock, "whole C constant");
    if (options.finiteOnly) return noneHas(s.inStock, "finite C constant");
    if (s.inStock == 1) return "The C constant of the 1 index train in the feed band is not below 10000";
    return "No C constant of the " + std::to_string(s.inStock) + " index trains in the feed band lies below 10000";
  }
  const std::string constants = counted(s.cConstants, "C constant", "C constants");
  if (s.feedTrains == 0)
    return s.cConstants == 1 ? "No feed train for the 1 C constant" : "No feed train for any of the " + constants;
  if (s.feedTest == 0)
    return "No feed train for the " + constants + " gives a feed within 0.005 of the wanted feed";
  const char* give = s.feedTest == 1 ? " feed train that gives" : " feed trains that give";
  if (mountable) return "None of the " + std::to_string(s.feedTest) + give + " the wanted feed" + heldAndMounts;
  return "The stock holds too few gears for the " + std::to_string(s.feedTest) + give + " the wanted feed";
}

std::optional<RunPlan> planRun(const JobInputs& inputs, const GearStock& stock, const SolveOptions& options,
                               const SolveCallbacks& callbacks) {
  try {
    return RunPlan::make(inputs, stock, options, callbacks);
  } catch (...) {
    return std::nullopt;  // memory ran out (or a thread could not be started)
  }
}

std::optional<RunPlan> planUpToCConstants(const JobInputs& inputs, const GearStock& stock,
                                          const SolveOptions& options, const SolveCallbacks& callbacks) {
  try {
    return RunPlan::makeUpToCConstants(inputs, stock, options, callbacks);
  } catch (...) {
    return std::nullopt;
  }
}

std::optional<std::string> cConstantsOf(const RunPlan& plan, std::size_t first, std::size_t end) {
  if (end > plan.indexTrainCount()) return std::nullopt;
  try {
    return plan.cConstantsText({static_cast<std::uint32_t>(first), static_cast<std::uint32_t>(end)});
  } catch (...) {
    return std::nullopt;
  }
}

std::optional<RunPlan> planWithCConstants(const RunPlan& plan, std::span<const std::string> texts) {
  try {
    return plan.withCConstants(texts);
  } catch (...) {
    return std::nullopt;
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
