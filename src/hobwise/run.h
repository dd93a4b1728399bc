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
#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "model/gear_stock.h"
#include "model/job.h"
#include "solver/run_parts.h"
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

// ---- A run in parts ----
// For a front end that spreads the feed search over workers of its own, each with an
// engine instance of its own (the web page): the plan once, the pieces of its feed
// search on any worker in any order, each into a partial, and the partials merged into
// the report runSolve gives for the same job, whichever worker searched which piece.
//
//   RunPlan (solver/run_parts.h)  pieces() (their number is what is handed out),
//       cConstantCount(), processors(), counts(), stoppedIn(), failed(); workerText()
//       for another instance, which takes it back with planFromText.
//   RunPartial  what a piece found; toText() and RunPartial::fromText carry it between
//       instances, every digit kept.
//
// Status texts as runSolve gives them: planRun says "Finding Applicable C Constants..."
// through callbacks.status; before each C constant the front end shows
// runProgressText(n, plan.cConstantCount(), plan.processors()), n counting the C
// constants started over all pieces; at the end of a run that said anything, the empty
// text.

// The plan of a run: the job read, the C constants found and the pieces of the feed
// search, cut for options.processors workers. The searches of the plan run on that many
// threads where the platform has them (in the browser, on the calling thread). Nothing
// when memory ran out. Never throws.
std::optional<RunPlan> planRun(const JobInputs& inputs, const GearStock& stock, const SolveOptions& options,
                               const SolveCallbacks& callbacks = {});

// The plan in steps, so that the workers share out the C constants of the index trains
// as well (for a large stock the longest step of the plan): planUpToCConstants is
// planRun up to the index trains found, their C constants pending
// (plan.cConstantsPending(); a plan that needs no C constants is whole at once), its
// workerText() taken by the other instances as a whole plan's; cConstantsOf gives the C
// constants of the index trains [first, end) (of plan.indexTrainCount()) as text in any
// instance that holds the pending plan; planWithCConstants the plan planRun gives, from
// such texts covering all the index trains in order. Nothing when memory ran out (or
// for texts that do not fit). Never throw.
std::optional<RunPlan> planUpToCConstants(const JobInputs& inputs, const GearStock& stock,
                                          const SolveOptions& options, const SolveCallbacks& callbacks = {});
std::optional<std::string> cConstantsOf(const RunPlan& plan, std::size_t first, std::size_t end);
std::optional<RunPlan> planWithCConstants(const RunPlan& plan, std::span<const std::string> texts);

// A plan from its workerText(); nothing for a text that is none (or memory ran out).
std::optional<RunPlan> planFromText(std::string_view text);

// The feed search of piece `piece` (an index into plan.pieces()) into a partial of its
// own; started() before each of its C constants. Nothing when memory ran out.
std::optional<RunPartial> searchPiece(const RunPlan& plan, std::size_t piece, const std::function<void()>& started = {});

// The report of the run from the partials of the pieces searched. `stopped`: the front
// end ended the feed search early (pieces left out); the report then says it stopped in
// the feed search. A report that failed when memory ran out. Never throws.
SolveReport mergeRun(const RunPlan& plan, std::span<const RunPartial> partials, bool stopped);

// "Processing %i of %i C constants using %i logical processors...", the status line of
// the feed search.
std::string runProgressText(unsigned counter, std::size_t count, unsigned processors);

}  // namespace hobwise
