#pragma once
// Hobwise's public face: a solve run, as the Solve button starts it.
//
//   SolveOptions (solver/solver.h)  wholeOnly ("Use Whole C Constants Only"), finiteOnly
//       ("Use Finite C Constants Only"), bypassDuplicates ("Bypass Duplicates Check"),
//       processors (workers; logicalProcessors() for all), exact (every shortcut off:
//       the same results, slower; for testing), mountableOnly ("Mountable Trains Only":
//       mountQuadrantsOf(profile) of hobwise/machines.h; unset, no machine takes part).
//       Leave the other fields alone.
//   SolveCallbacks  status(text): the progress texts of the status line; stop: a flag
//       that ends the run early (it still reports what it found); stageStarted(stage).
//   SolveReport  results (at most 200 FoundResult, by feed error), cConstantCount,
//       stages (StageCounts: how many candidates each stage let through), stoppedIn,
//       failed (a text was not a number, or memory ran out: no results).
//   FoundResult  the eight tooth counts of a result; its texts are hobwise/results.h's.
//
// Threads: runSolve works on the calling thread and starts options.processors workers,
// which it waits for; the callbacks are called from the run's thread and the workers,
// at the same time. Set the stop flag from any thread. Never throws.
#include <string>

#include "model/gear_stock.h"
#include "model/job.h"
#include "solver/solver.h"

namespace hobwise {

// One whole solve run. Status texts in order: "Finding Applicable C Constants...",
// "Processing %i of %i C constants using %i logical processors..." and at the end the
// empty text (none at all when the stock is empty).
SolveReport runSolve(const JobInputs& inputs, const GearStock& stock, const SolveOptions& options,
                     const SolveCallbacks& callbacks = {});

// The logical processors of this machine (at least 1): one worker each by default.
unsigned logicalProcessors();

// For a run that kept no result, one line that says where the search ran dry, e.g.
// "No index train of the stock falls in the feed band" (from the report's stage
// counts, the stock and the options of the run); the empty text when it kept one. A
// run that failed: "The job cannot be solved: " and the field that is not a number
// (hobwise/job.h's unreadableFieldText), or "memory ran out".
std::string whereTheSearchRanDry(const JobInputs& inputs, const SolveReport& report, const GearStock& stock,
                                 const SolveOptions& options);
// The same without the job: a failed run names no field.
std::string whereTheSearchRanDry(const SolveReport& report, const GearStock& stock, const SolveOptions& options);

// Why a run of the job failed: the field that is not a number, or "memory ran out".
std::string whyTheRunFailed(const JobInputs& inputs);

}  // namespace hobwise
