#pragma once
// A solve run in parts, for callers that spread its feed search themselves (the web
// page's workers, each with an instance of its own):
// (a) the plan: the stock's pair table, the job read, the C constants found, and the
//     pieces (blocks of C constants) of the feed search, made once;
// (b) the feed search of any pieces of the plan, in any order, on any thread or in
//     another instance that has the plan's worker text, into a partial: one worker's
//     list of its best finds (at most 400) and its stage counts;
// (c) the merge of the partials into the report, trimmed and ordered.
// solve() is these parts, its threads taking the pieces in turns; the report does not
// depend on which partial searched which piece, nor in what order.
//
// Progress: a caller that shows "Processing %i of %i C constants using %i logical
// processors..." (progressText) counts the C constants of the pieces (each piece's
// size()) against cConstantCount() and processors().
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/gear_stock.h"
#include "model/job.h"
#include "solver/solver.h"

namespace hobwise {

// The status line's text while the feed search runs: C constant `counter` (1-based) of
// `count` on `processors` workers.
std::string progressText(unsigned counter, std::size_t count, unsigned processors);

// A piece of the feed search: the C constants [first, end) of the plan's ordered list.
struct WorkRange {
  std::uint32_t first = 0;
  std::uint32_t end = 0;
  std::size_t size() const { return end > first ? end - first : 0; }
  bool operator==(const WorkRange&) const = default;
};

// What the feed search of some C constants adds to the stage counts (StageCounts).
struct FeedCounts {
  std::size_t feedTrains = 0;
  std::size_t feedTest = 0;
  bool operator==(const FeedCounts&) const = default;
};

// What the feed search of some pieces found: one worker's list, in result order (feed
// error, then gears), at most 400 finds with distinct gears, and its counts.
struct RunPartial {
  std::vector<FoundResult> finds;
  FeedCounts counts;
  bool stopped = false;  // a stop cut the search short

  // As text: tooth counts, feed error and C constant of each find, the decimals in
  // full (every digit DecFloat holds), so that fromText gives the same partial back.
  // Nothing for a text that is not a partial.
  std::string toText() const;
  static std::optional<RunPartial> fromText(std::string_view text);
};

class RunPlan {
 public:
  // Steps up to the feed search of solve(): "Finding Applicable C Constants..." once the
  // pair table is built; the stop and stageStarted as for solve (the feed search's stage
  // is the caller's to announce). The index-train and C-constant searches run on
  // options.processors threads; with 1 no thread is started (an instance without
  // threads). May throw std::bad_alloc.
  static RunPlan make(const JobInputs& inputs, const GearStock& stock, const SolveOptions& options,
                      const SolveCallbacks& callbacks = {});

  // The plan in steps, for callers that share the C constants of the index trains (the
  // longest step of the plan for a large stock) out among workers of their own:
  // makeUpToCConstants is make up to the index trains found, their C constants pending
  // (cConstantsPending(); stageStarted hears of the index trains only); its workerText
  // goes to other instances as a whole plan's does. cConstantsText gives the C
  // constants of index trains [first, end) (of indexTrainCount()) as text, in any
  // instance that holds the pending plan; withCConstants the plan as make gives it,
  // from such texts covering the index trains in order (nothing for texts that do
  // not). May throw std::bad_alloc.
  static RunPlan makeUpToCConstants(const JobInputs& inputs, const GearStock& stock, const SolveOptions& options,
                                    const SolveCallbacks& callbacks = {});
  bool cConstantsPending() const;
  std::size_t indexTrainCount() const;
  std::string cConstantsText(WorkRange trains) const;
  std::optional<RunPlan> withCConstants(std::span<const std::string> texts) const;

  // What a worker in another instance needs to search pieces of this plan, as text;
  // and the plan back from it (nothing for a text that is not a plan). Rebuilding the
  // pair table and the fast form's tables is all the work fromWorkerText does.
  std::string workerText() const;
  static std::optional<RunPlan> fromWorkerText(std::string_view text);

  bool statusShown() const;  // the pair table was built and the status line told so
  bool failed() const;       // a text that must be a number was none: no C constants
  std::size_t cConstantCount() const;
  unsigned processors() const;                  // the logical processors of the run (at least 1)
  const std::vector<WorkRange>& pieces() const;  // in the order solve() hands them out
  const StageCounts& counts() const;            // indexTrains, inStock and cConstants
  SolveStage stoppedIn() const;                 // a stop seen before the feed search

  // The feed search of the given pieces (indices into pieces(), others ignored), in
  // that order, into one partial.
  RunPartial search(std::span<const std::size_t> pieces) const;

  // The report of the run from the partials of its feed search: every find of every
  // partial sorted, without repeats, in the feed window, the first 200. `stopped`: the
  // caller ended the feed search early (so does a partial that says so).
  SolveReport merge(std::span<const RunPartial> partials, bool stopped = false) const;

 private:
  struct Impl;
  explicit RunPlan(std::shared_ptr<const Impl> impl);
  std::shared_ptr<const Impl> impl_;
  friend class FeedWorker;
};

// One worker of a run's feed search: the pieces it takes, one after another, into one
// list.
class FeedWorker {
 public:
  // `stop` (if given) is looked at inside a C constant by the plain search (a full
  // stock takes it a few tenths of a second per C constant).
  explicit FeedWorker(const RunPlan& plan, const std::atomic<bool>* stop = nullptr);
  ~FeedWorker();
  FeedWorker(const FeedWorker&) = delete;
  FeedWorker& operator=(const FeedWorker&) = delete;

  // Searches piece `piece`; `proceed(k)` (if given) is asked before C constant k of the
  // piece, and false ends the search before k. False when the search was cut short
  // (by `proceed` or by the stop).
  bool search(std::size_t piece, const std::function<bool(std::size_t)>& proceed = {});
  RunPartial partial() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace hobwise
