#pragma once
// The gear advisor: which one gear, bought and added to the stock, improves the job's
// best result most. Every addition is tried with a whole solve run of the same engine,
// so each suggestion's count and best result are exactly those of a run on that stock.
#include <atomic>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "model/gear_stock.h"
#include "model/job.h"
#include "solver/solver.h"

namespace hobwise {

// One gear of tooth count `add` more in the stock, and what a run then keeps.
struct Suggestion {
  int add = 0;
  std::size_t count = 0;  // results the run keeps
  FoundResult best;       // its result 1
};

struct AdvisorReport {
  std::size_t nowCount = 0;           // results a run on the stock as it is keeps
  std::optional<FoundResult> nowBest;  // its result 1, if any
  // The additions whose run keeps a result that beats nowBest (any result when there
  // is no nowBest); by that best feed error, ascending, then by smaller tooth count.
  std::vector<Suggestion> suggestions;
  int candidates = 0;    // tooth counts the stock holds fewer than 7 of
  int tried = 0;         // additions whose run went to its end
  bool stopped = false;  // the stop flag ended the advisor early
  bool failed = false;   // a run failed (a text was no number, or memory ran out)
};

struct AdvisorCallbacks {
  // After each addition's run: (tried, candidates), tried counting up by one per call.
  // Called from the advisor's threads, one call at a time.
  std::function<void(int tried, int candidates)> progress;
  // Set: no further addition is started; the runs under way stop after their current
  // C constant and are left out.
  const std::atomic<bool>* stop = nullptr;
};

// The tooth counts of which the stock holds fewer than 7 gears, ascending.
std::vector<int> additionsTo(const GearStock& stock);

// The stock with one more gear of `toothCount`.
GearStock withOneMore(const GearStock& stock, int toothCount);

// True when `candidate` is a result that makes the gear worth suggesting against the
// best result now (none: any result will do).
bool improvesOn(const FoundResult& candidate, const std::optional<FoundResult>& nowBest);

// Runs the stock as it is, then every addition, spread over options.processors
// threads (one worker each). options.exact makes every run the literal algorithm.
// Never throws.
AdvisorReport advise(const JobInputs& inputs, const GearStock& stock, const SolveOptions& options,
                     const AdvisorCallbacks& callbacks = {});

}  // namespace hobwise
