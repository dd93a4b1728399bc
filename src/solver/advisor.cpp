// The gear advisor: the rule of a suggestion, and the run on the stock as it is, the
// additions and the report, one after the other.
#include "solver/advisor.h"

#include <algorithm>
#include <mutex>

#include "solver/internal/c_constant_memo.h"
#include "solver/internal/c_constant_search.h"
#include "solver/internal/feed_search.h"
#include "solver/internal/pair_table.h"
#include "solver/internal/run_control.h"
#include "solver/internal/threshold.h"
#include "solver/internal/worker_list.h"

namespace hobwise {

std::vector<int> additionsTo(const GearStock& stock) {
  std::vector<int> teeth;
  for (int t = kFirstToothCount; t <= kLastToothCount; ++t)
    if (stock.count(t) < kMaxGearCount) teeth.push_back(t);
  return teeth;
}

GearStock withOneMore(const GearStock& stock, int toothCount) {
  GearStock more = stock;
  more.setCount(toothCount, stock.count(toothCount) + 1);
  return more;
}

std::string shownFeedErrorSize(const FoundResult& result) {
  return formatFixed(boost::multiprecision::abs(result.feedError), 15);
}

bool sameFractions(const FoundResult& a, const FoundResult& b) {
  using U = std::uint64_t;
  const auto same = [](U aUp, U aDown, U bUp, U bDown) { return aUp * bDown == bUp * aDown; };
  return same(U{a.i2} * a.i3, U{a.i0} * a.i1, U{b.i2} * b.i3, U{b.i0} * b.i1) &&
         same(U{a.f2} * a.f3, U{a.f0} * a.f1, U{b.f2} * b.f3, U{b.f0} * b.f1);
}

namespace {

// The order of two shown sizes (digits, a point and 15 decimals): -1, 0 or 1.
int compareShown(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  return a < b ? -1 : a == b ? 0 : 1;
}

}  // namespace

bool improvesOn(const FoundResult& candidate, const std::optional<FoundResult>& nowBest) {
  if (!nowBest) return true;
  if (sameFractions(candidate, *nowBest)) return false;
  if (!boost::multiprecision::isfinite(candidate.feedError)) return false;
  return compareShown(shownFeedErrorSize(candidate), shownFeedErrorSize(*nowBest)) < 0;
}

bool suggestionBefore(const Suggestion& a, const Suggestion& b) {
  const int order = compareShown(shownFeedErrorSize(a.best), shownFeedErrorSize(b.best));
  return order != 0 ? order < 0 : a.add < b.add;
}

AdvisorStart startAdvice(const JobInputs& inputs, const GearStock& stock, const SolveOptions& options,
                         const std::atomic<bool>* stop) {
  AdvisorStart start;
  start.additions = additionsTo(stock);
  if (start.additions.empty()) return start;  // nothing to try, nothing to compare with
  SolveOptions whole = options;
  whole.feedErrorBelow.reset();
  SolveCallbacks callbacks;
  callbacks.stop = stop;
  const SolveReport now = solve(inputs, stock, whole, callbacks);
  if (stop && stop->load()) {
    start.stopped = true;
  } else if (now.failed) {
    start.failed = true;
  } else {
    start.nowCount = now.results.size();
    if (!now.results.empty()) start.nowBest = now.results.front();
  }
  return start;
}

AdvisorReport combineAdvice(const AdvisorStart& start, std::span<const AdditionOutcome> outcomes) {
  AdvisorReport report;
  report.candidates = static_cast<int>(start.additions.size());
  report.full = start.additions.empty();
  report.nowCount = start.nowCount;
  report.nowBest = start.nowBest;
  report.stopped = start.stopped;
  report.failed = start.failed;
  for (const AdditionOutcome& o : outcomes) {
    if (!o.tried) continue;
    ++report.tried;
    if (o.failed) report.failed = true;
    if (o.suggested) report.suggestions.push_back({o.add, o.count, o.best});
  }
  if (!start.stopped && !start.failed && report.tried < report.candidates) report.stopped = true;
  std::stable_sort(report.suggestions.begin(), report.suggestions.end(), suggestionBefore);
  return report;
}

namespace {

bool stopSet(const AdvisorCallbacks& callbacks) { return callbacks.stop && callbacks.stop->load(); }

// Every addition of the start, on the given number of threads, each taking the next.
std::vector<AdditionOutcome> tryAdditions(AdvisorAdditions& additions, const AdvisorStart& start,
                                          unsigned threads, const AdvisorCallbacks& callbacks) {
  std::vector<AdditionOutcome> outcomes(start.additions.size());
  if (!additions.prepare(callbacks.stop)) return outcomes;
  std::atomic<std::size_t> next{0};
  std::mutex progressLock;
  int tried = 0;
  const auto work = [&] {
    for (std::size_t k = next.fetch_add(1); k < outcomes.size() && !stopSet(callbacks); k = next.fetch_add(1)) {
      outcomes[k] = additions.outcomeOf(start.additions[k], callbacks.stop);
      if (!outcomes[k].tried) continue;
      std::lock_guard lock(progressLock);
      ++tried;
      if (callbacks.progress) callbacks.progress(tried, static_cast<int>(outcomes.size()));
    }
  };
  solver::runOnThreads(std::min<std::size_t>(std::max(1u, threads), outcomes.size()), work,
                       [&] { next = outcomes.size(); });
  return outcomes;
}

}  // namespace

AdvisorReport advise(const JobInputs& inputs, const GearStock& stock, const SolveOptions& options,
                     const AdvisorCallbacks& callbacks) {
  int candidates = 0;
  try {
    // The runs of this one job share the C constants they work out (the literal
    // algorithm works out every one itself).
    CConstantMemo memo;
    SolveOptions shared = options;
    shared.cConstantMemo = options.exact ? nullptr : &memo;
    const AdvisorStart start = startAdvice(inputs, stock, shared, callbacks.stop);
    candidates = static_cast<int>(start.additions.size());
    if (start.additions.empty() || start.stopped || start.failed) return combineAdvice(start, {});
    AdvisorAdditions additions(inputs, stock, shared, start);
    const std::vector<AdditionOutcome> outcomes = tryAdditions(additions, start, options.processors, callbacks);
    return combineAdvice(start, outcomes);
  } catch (...) {
    // Memory ran out, or a thread could not be started: no suggestions.
    AdvisorReport failed;
    failed.candidates = candidates;
    failed.failed = true;
    return failed;
  }
}

}  // namespace hobwise
