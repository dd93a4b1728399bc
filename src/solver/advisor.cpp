// The gear advisor: one solve run per one-gear addition to the stock.
#include "solver/advisor.h"

#include <algorithm>
#include <mutex>
#include <thread>

#include "solver/c_constant_memo.h"

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

bool improvesOn(const FoundResult& candidate, const std::optional<FoundResult>& nowBest) {
  return !nowBest || candidate.feedError < nowBest->feedError;
}

namespace {

bool stopSet(const AdvisorCallbacks& callbacks) { return callbacks.stop && callbacks.stop->load(); }

// What the run of one addition kept.
struct Outcome {
  bool done = false;
  bool failed = false;
  std::size_t count = 0;
  std::optional<FoundResult> best;
};

}  // namespace

AdvisorReport advise(const JobInputs& inputs, const GearStock& stock, const SolveOptions& options,
                     const AdvisorCallbacks& callbacks) {
  AdvisorReport report;
  try {
    const std::vector<int> teeth = additionsTo(stock);
    report.candidates = static_cast<int>(teeth.size());
    SolveCallbacks runCallbacks;
    runCallbacks.stop = callbacks.stop;
    // Most index trains recur from one addition to the next: their C constants are
    // worked out once (the literal algorithm works out every one itself).
    CConstantMemo memo;
    SolveOptions shared = options;
    shared.cConstantMemo = options.exact ? nullptr : &memo;

    // The stock as it is, with every worker.
    const SolveReport now = solve(inputs, stock, shared, runCallbacks);
    if (stopSet(callbacks)) {
      report.stopped = true;
      return report;
    }
    if (now.failed) {
      report.failed = true;
      return report;
    }
    report.nowCount = now.results.size();
    if (!now.results.empty()) report.nowBest = now.results.front();

    // The additions: each thread takes the next one and runs it with one worker.
    SolveOptions single = shared;
    single.processors = 1;
    // First look at an addition: only results that beat the best now. Most additions
    // keep none and are done; the others get a whole run for their count. (The literal
    // algorithm makes the whole run for every addition.)
    SolveOptions firstLook = single;
    if (report.nowBest && !options.exact) firstLook.feedErrorBelow = report.nowBest->feedError;
    std::vector<Outcome> outcomes(teeth.size());
    std::atomic<std::size_t> next{0};
    std::mutex progressLock;
    int tried = 0;
    auto work = [&] {
      while (!stopSet(callbacks)) {
        const std::size_t k = next.fetch_add(1);
        if (k >= teeth.size()) return;
        const GearStock more = withOneMore(stock, teeth[k]);
        SolveReport run;
        if (firstLook.feedErrorBelow) run = solve(inputs, more, firstLook, runCallbacks);
        if (!firstLook.feedErrorBelow || (!run.results.empty() && !run.failed))
          run = solve(inputs, more, single, runCallbacks);
        if (stopSet(callbacks)) return;  // a run may have ended early: leave it out
        Outcome& o = outcomes[k];
        o.failed = run.failed;
        o.count = run.results.size();
        if (!run.results.empty()) o.best = std::move(run.results.front());
        o.done = true;
        std::lock_guard lock(progressLock);
        ++tried;
        if (callbacks.progress) callbacks.progress(tried, report.candidates);
      }
    };
    const std::size_t threads = std::min<std::size_t>(std::max(1u, options.processors), teeth.size());
    std::vector<std::thread> pool;
    for (std::size_t t = 1; t < threads; ++t) {
      try {
        pool.emplace_back(work);
      } catch (...) {
        break;  // no more threads: the others take its share
      }
    }
    work();
    for (auto& t : pool) t.join();

    report.stopped = stopSet(callbacks);
    for (std::size_t k = 0; k < teeth.size(); ++k) {
      const Outcome& o = outcomes[k];
      if (!o.done) continue;
      ++report.tried;
      if (o.failed) report.failed = true;
      if (o.best && improvesOn(*o.best, report.nowBest)) report.suggestions.push_back({teeth[k], o.count, *o.best});
    }
    std::stable_sort(report.suggestions.begin(), report.suggestions.end(),
                     [](const Suggestion& a, const Suggestion& b) {
                       if (a.best.feedError < b.best.feedError) return true;
                       if (b.best.feedError < a.best.feedError) return false;
                       return a.add < b.add;
                     });
  } catch (...) {
    // Memory ran out: no suggestions.
    AdvisorReport failed;
    failed.candidates = report.candidates;
    failed.failed = true;
    return failed;
  }
  return report;
}

}  // namespace hobwise
