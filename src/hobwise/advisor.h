#pragma once
// Hobwise's public face: the gear advisor. Which one gear, bought and added to the
// stock, improves the job's best result most: every tooth count the stock holds fewer
// than 7 of is tried with a whole solve run on the stock with one gear more.
//
//   AdvisorReport (solver/advisor.h)  nowCount and nowBest (a run on the stock as it
//       is), suggestions (Suggestion: add, the tooth count; count, the results its run
//       keeps; best, its result 1), ordered by that best feed error; candidates, tried,
//       stopped, failed (a text was not a number, or memory ran out).
//   AdvisorCallbacks  progress(tried, candidates) after each addition's run; stop: a
//       flag that ends the advisor early (what was tried so far stays).
//
// Threads: suggestGears works on the calling thread and on options.processors threads
// of its own, which it waits for; progress is called from those, one call at a time.
// Never throws.
#include <atomic>
#include <span>
#include <string>
#include <vector>

#include "model/gear_stock.h"
#include "model/job.h"
#include "solver/advisor.h"
#include "solver/solver.h"

namespace hobwise {

// Runs the stock as it is, then every addition (options as for hobwise/run.h).
AdvisorReport suggestGears(const JobInputs& inputs, const GearStock& stock, const SolveOptions& options,
                           const AdvisorCallbacks& callbacks = {});

// The tooth counts the advisor tries for a stock (those it holds fewer than 7 of),
// ascending: its number is the advisor's candidates.
std::vector<int> toothCountsToTry(const GearStock& stock);

// What a suggestion improves, as the result display writes it (numbers without their
// labels): the feed error of the best result now (empty when there is none) and of the
// suggestion's own best result, and that result's lead error.
struct SuggestionFigures {
  std::string nowFeedError;
  std::string feedError;
  std::string leadError;
};
SuggestionFigures figuresOf(const JobInputs& inputs, const AdvisorReport& report, const Suggestion& suggestion,
                            bool exact = false);

// ---- The advisor in parts ----
// For a front end that shares the tooth counts out among workers of its own, each with
// an engine instance of its own (the web page): the start once, the outcome of each
// tooth count on any worker in any order, and the report made of them, the same as
// suggestGears gives.
//
//   AdvisorStart (solver/advisor.h)  the run on the stock as it is and the tooth counts
//       to try (additions); startText / startFromText carry it between instances.
//   AdvisorAdditions  made once per instance from the job, stock, options and start;
//       outcomeOf(toothCount) is one tooth count's AdditionOutcome (never throws);
//       outcomeText / outcomeFromText carry an outcome between instances.

// The run on the stock as it is (nothing to try when every tooth count holds 7 gears).
// Never throws: a start that failed when memory ran out.
AdvisorStart startSuggestions(const JobInputs& inputs, const GearStock& stock, const SolveOptions& options,
                              const std::atomic<bool>* stop = nullptr);

// The report of the start and the outcomes known (any order): a tooth count without a
// tried outcome makes it a stopped report, tried counting those with one.
AdvisorReport suggestionsFrom(const AdvisorStart& start, std::span<const AdditionOutcome> outcomes);

}  // namespace hobwise
