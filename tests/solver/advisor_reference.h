#pragma once
// The advisor the plain way, for the tests and for advisor_compare: every addition
// tried with a whole run on the stock with that gear more, the rule applied to its
// best result, and the report made of those outcomes.
#include <string>
#include <vector>

#include "solver/advisor.h"
#include "solver/internal/c_constant_memo.h"
#include "solver/internal/c_constant_search.h"
#include "solver/internal/feed_search.h"
#include "solver/internal/pair_table.h"
#include "solver/internal/run_control.h"
#include "solver/internal/threshold.h"
#include "solver/internal/worker_list.h"

namespace hobwise::testing {

// (The runs share the C constants they work out, as the runs of one job may.)
inline AdvisorReport adviceByWholeRuns(const JobInputs& in, const GearStock& stock, SolveOptions options) {
  CConstantMemo memo;
  if (!options.exact) options.cConstantMemo = &memo;
  const AdvisorStart start = startAdvice(in, stock, options);
  std::vector<AdditionOutcome> outcomes;
  for (int t : start.additions) {
    const SolveReport run = solve(in, withOneMore(stock, t), options);
    AdditionOutcome o;
    o.add = t;
    o.tried = true;
    o.failed = run.failed;
    o.suggested = !run.results.empty() && improvesOn(run.results.front(), start.nowBest);
    if (o.suggested) {
      o.count = run.results.size();
      o.best = run.results.front();
    }
    outcomes.push_back(o);
  }
  return combineAdvice(start, outcomes);
}

// The first difference between two reports (the suggestions' tooth counts, counts and
// best results, and the totals); empty when they agree.
inline std::string differenceOf(const AdvisorReport& got, const AdvisorReport& expected) {
  const auto totals = [](const AdvisorReport& r) {
    return std::to_string(r.nowCount) + " now, " + std::to_string(r.tried) + " of " + std::to_string(r.candidates) +
           " tried, " + std::to_string(r.suggestions.size()) + " suggestions" + (r.failed ? ", failed" : "") +
           (r.stopped ? ", stopped" : "") + (r.full ? ", full" : "");
  };
  if (totals(got) != totals(expected)) return totals(got) + " instead of " + totals(expected);
  for (std::size_t k = 0; k < got.suggestions.size(); ++k) {
    const Suggestion &a = got.suggestions[k], &b = expected.suggestions[k];
    if (a.add != b.add || a.count != b.count || !solver::sameGears(a.best, b.best) ||
        a.best.feedError != b.best.feedError || a.best.cConstant != b.best.cConstant)
      return "suggestion " + std::to_string(k + 1) + ": " + std::to_string(a.add) + " instead of " +
             std::to_string(b.add) + " (or its count or best result differ)";
  }
  return {};
}

}  // namespace hobwise::testing
