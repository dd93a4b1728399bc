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

}  // namespace hobwise
