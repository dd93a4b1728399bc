#pragma once
// What the stages of a run share: the stop flag and the stage counts, and the threads
// that take the work of a stage in turns.
#include <atomic>
#include <cstddef>
#include <functional>

#include "solver/solver.h"

namespace hobwise::solver {

// The stop flag and the stage counts of one run, handed through its stages.
struct RunControl {
  const std::atomic<bool>* stop = nullptr;
  StageCounts counts;
  SolveStage stoppedIn = SolveStage::None;

  bool stopRequested() const { return stop && stop->load(std::memory_order_relaxed); }
  void noteStop(SolveStage stage) {
    if (stoppedIn == SolveStage::None) stoppedIn = stage;
  }
};

// Runs `work` on `count` threads (the calling thread one of them) and hands on the
// first exception any of them threw (or the failure to start a thread); `failed` is
// called on the thread that saw it.
void runOnThreads(std::size_t count, const std::function<void()>& work, const std::function<void()>& failed = {});

}  // namespace hobwise::solver
