#pragma once
// The gear advisor: which one gear, bought and added to the stock, improves the job's
// best result. Each addition's outcome is that of a whole solve run on the stock with
// that gear more (the runs themselves are cut short where the outcome is certain).
#include <atomic>
#include <cstddef>
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

// One gear of tooth count `add` more in the stock, and what a run then keeps.
struct Suggestion {
  int add = 0;
  std::size_t count = 0;  // results the run keeps
  FoundResult best;       // its result 1
};

struct AdvisorReport {
  std::size_t nowCount = 0;            // results a run on the stock as it is keeps
  std::optional<FoundResult> nowBest;  // its result 1, if any
  // The additions whose run keeps a result that improves on nowBest (improvesOn), in
  // suggestion order (suggestionBefore).
  std::vector<Suggestion> suggestions;
  int candidates = 0;    // tooth counts the stock holds fewer than 7 of
  int tried = 0;         // additions whose outcome is known
  bool full = false;     // the stock holds 7 of every tooth count: nothing was tried
  bool stopped = false;  // the stop flag ended the advisor early
  bool failed = false;   // a run failed (a text is not a number, or memory ran out)
};

struct AdvisorCallbacks {
  // After each addition's outcome: (tried, candidates), tried counting up by one per
  // call. Called from the advisor's threads, one call at a time.
  std::function<void(int tried, int candidates)> progress;
  // Set: no further addition is started; the runs under way stop after their current
  // piece of work and are left out.
  const std::atomic<bool>* stop = nullptr;
};

// The tooth counts of which the stock holds fewer than 7 gears, ascending.
std::vector<int> additionsTo(const GearStock& stock);

// The stock with one more gear of `toothCount`.
GearStock withOneMore(const GearStock& stock, int toothCount);

// The size of a result's feed error as the result display writes it: 15 decimals,
// without the sign.
std::string shownFeedErrorSize(const FoundResult& result);

// True when the trains of the two results have equal ratios, as fractions.
bool sameFractions(const FoundResult& a, const FoundResult& b);

// The rule of a suggestion: true when `candidate`, the best result with one gear more,
// shows a feed error of a smaller size than the best result now, and is not the same
// two fractions; any result when there is none now.
bool improvesOn(const FoundResult& candidate, const std::optional<FoundResult>& nowBest);

// Suggestion order: the shown feed error's size, ascending, then the tooth count.
bool suggestionBefore(const Suggestion& a, const Suggestion& b);

// Runs the stock as it is, then every addition, on options.processors threads.
// options.exact makes every addition a whole run of the literal algorithm.
// Never throws.
AdvisorReport advise(const JobInputs& inputs, const GearStock& stock, const SolveOptions& options,
                     const AdvisorCallbacks& callbacks = {});

// ---- The advisor in parts ----
// For front ends that share the additions out among workers of their own, each with
// its own instance: the run on the stock as it is (once), the additions of any tooth
// counts (a few at a time, in any order, on any instance), and the report made of the
// outcomes, the same as advise() makes (which is these parts). The outcomes and the
// start travel between instances as text.

// What the additions go by: the run on the stock as it is.
struct AdvisorStart {
  std::vector<int> additions;  // additionsTo(stock); empty: nothing is tried
  std::size_t nowCount = 0;
  std::optional<FoundResult> nowBest;
  bool stopped = false;  // the stop came during the run: nothing is tried
  bool failed = false;   // the run failed: nothing is tried
};

// The run on the stock as it is (none when every tooth count holds 7 gears).
AdvisorStart startAdvice(const JobInputs& inputs, const GearStock& stock, const SolveOptions& options,
                         const std::atomic<bool>* stop = nullptr);

// What one addition gives, as far as the report needs it.
struct AdditionOutcome {
  int add = 0;
  bool tried = false;      // false: a stop came first
  bool failed = false;     // its run failed (memory ran out)
  bool suggested = false;  // improvesOn holds for its best result
  std::size_t count = 0;   // when suggested: the results its run keeps
  FoundResult best;        // when suggested: its result 1
};

class AdvisorAdditions {
 public:
  // The job, stock and options of the start (options.processors threads for the work
  // the additions share).
  AdvisorAdditions(const JobInputs& inputs, const GearStock& stock, const SolveOptions& options,
                   const AdvisorStart& start);
  ~AdvisorAdditions();
  AdvisorAdditions(const AdvisorAdditions&) = delete;
  AdvisorAdditions& operator=(const AdvisorAdditions&) = delete;

  // Works out what the additions share, once (again after a stop cut it short); false
  // when the stop cut it short. outcomeOf calls it itself.
  bool prepare(const std::atomic<bool>* stop = nullptr);
  // The outcome of one more gear of `toothCount` (one of the start's additions). Safe
  // to call from several threads at once; never throws.
  AdditionOutcome outcomeOf(int toothCount, const std::atomic<bool>* stop = nullptr);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The report of the start and the outcomes (any order). An addition without a tried
// outcome makes it a stopped report.
AdvisorReport combineAdvice(const AdvisorStart& start, std::span<const AdditionOutcome> outcomes);

// The start and an outcome as one line of text, and back (nothing for a text that is
// none of them); decimals carry every digit they hold.
std::string startText(const AdvisorStart& start);
std::optional<AdvisorStart> startFromText(std::string_view text);
std::string outcomeText(const AdditionOutcome& outcome);
std::optional<AdditionOutcome> outcomeFromText(std::string_view text);

}  // namespace hobwise
