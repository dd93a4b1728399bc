// The additions of the advisor: the outcome of one more gear of a tooth count.
//
// The plain way is a whole run on the stock with that gear more. A run that only
// looks for results better than the best now answers most additions at once (a
// "first look", for additions that change the gear set); an addition that keeps the
// gear set is judged without a run at all:
// - its C constants are those of the stock as it is unless a train the stock lacked
//   one gear of that tooth count for comes first among the trains of its ratio (see
//   internal/advisor_search.h); then only the C constants those trains touch change
//   (CConstantChanges);
// - its finds below the best now are, of the finds whatever the stock below it (worked
//   out once for all additions), those its stock holds the gears for, and those of the
//   C constants it adds (when the stock as it is keeps nothing: all its finds);
// - a result better than the best now makes it a suggestion by the rule, and then the
//   count of results is 200 when the stock as it is keeps 200 and no C constant went
//   (when it keeps nothing: the count of all its finds, up to 200); anything else
//   takes a whole run.
// "Mountable Trains Only" does not depend on the stock: the trains that do not mount are
// left out of all of it (never recorded, never lacking, never found), as a run leaves
// them out.
// The literal algorithm (SolveOptions::exact) makes a whole run for every addition.
#include <algorithm>
#include <mutex>

#include "solver/advisor.h"
#include "solver/internal/c_constant_memo.h"
#include "solver/internal/advisor_search.h"

namespace hobwise {

using namespace solver;

namespace {

bool stopSeen(const std::atomic<bool>* stop) { return stop && stop->load(); }

AdditionOutcome notTried(int t) {
  AdditionOutcome outcome;
  outcome.add = t;
  return outcome;
}


}  // namespace

struct AdvisorAdditions::Impl {
  JobInputs inputs;
  GearStock stock;
  SolveOptions options;
  AdvisorStart start;
  CConstantMemo ownMemo;  // when the options bring none
  SolveOptions single;    // one addition's run

  std::mutex prepareLock;
  bool prepared = false;

  // What the additions that keep the gear set are judged from (judging: all of it set).
  bool judging = false;
  std::optional<JobParameters> job;
  std::vector<GearPair> pairs;
  StockSnapshot now, anyStock;
  std::optional<MountRule> mounts;            // "Mountable Trains Only": it does not depend on the stock
  std::unique_ptr<FeedSearch> search;         // the feed-train search whatever the stock
  std::optional<CConstantChanges> cConstants;  // of the stock as it is, and what a gear more changes
  std::vector<FoundResult> below;             // the finds below the best now, whatever the stock
  std::optional<DecFloat> ceiling;            // the best now's feed error, if any

  Impl(const JobInputs& in, const GearStock& s, const SolveOptions& o, const AdvisorStart& st)
      : inputs(in), stock(s), options(o), start(st) {
    options.feedErrorBelow.reset();
    if (!options.exact && !options.cConstantMemo) options.cConstantMemo = &ownMemo;
    single = options;
    single.processors = 1;
  }

  bool prepare(const std::atomic<bool>* stop);
  bool prepareJudging(const std::atomic<bool>* stop);
  AdditionOutcome outcomeOf(int t, const std::atomic<bool>* stop);
  AdditionOutcome judged(int t, const std::atomic<bool>* stop);
  std::optional<bool> considerNewCConstants(int t, const std::function<void(const FoundResult&)>& consider,
                                            const std::atomic<bool>* stop) const;
  AdditionOutcome run(int t, const std::atomic<bool>* stop, bool firstLook);
};

bool AdvisorAdditions::Impl::prepare(const std::atomic<bool>* stop) {
  std::lock_guard lock(prepareLock);
  if (prepared) return true;
  // Judging pays off where additions keep the gear set and the stock check counts.
  bool keepsGearSet = false;
  for (int t : start.additions) keepsGearSet = keepsGearSet || stock.count(t) > 0;
  if (keepsGearSet && !options.exact && !options.bypassDuplicates && !prepareJudging(stop))
    return false;
  prepared = true;
  return true;
}

bool AdvisorAdditions::Impl::prepareJudging(const std::atomic<bool>* stop) {
  job = readJob(inputs);
  if (!job) return true;  // the runs say so
  below.clear();
  const unsigned threads = std::max(1u, options.processors);
  pairs = buildPairTable(gearSetFrom(stock));
  now = StockSnapshot::of(stock, false);
  anyStock = now;
  anyStock.bypassDuplicates = true;
  if (options.mountableOnly) mounts.emplace(options.mountableOnly->index, options.mountableOnly->feed, inputs.setupIndex);
  const MountRule* mountRule = mounts ? &*mounts : nullptr;
  search = std::make_unique<FeedSearch>(*job, pairs, anyStock, mountRule);
  std::optional<IndexTrainsMet> met = meetIndexTrains(*job, pairs, threads, stop);
  if (!met) return false;
  RunControl control;
  control.stop = stop;
  cConstants.emplace(*job, recordIndexTrains(*met, pairs, now, mountRule), options, threads, &control);
  if (stopSeen(stop)) return false;
  if (start.nowBest) ceiling = start.nowBest->feedError;
  std::optional<std::vector<FoundResult>> finds =
      findsBelow(*search, cConstants->cConstants(), ceiling, threads, stop);
  if (stopSeen(stop)) return false;
  if (finds) below = std::move(*finds);
  judging = finds.has_value();  // else more finds than a list holds: whole runs
  return true;
}

AdditionOutcome AdvisorAdditions::Impl::outcomeOf(int t, const std::atomic<bool>* stop) {
  AdditionOutcome outcome;
  outcome.add = t;
  try {
    if (!prepare(stop)) return outcome;
    // The same gear set and no stock check: the same run as now.
    if (!options.exact && options.bypassDuplicates && stock.count(t) > 0) {
      outcome.tried = true;
      return outcome;
    }
    if (options.exact) return run(t, stop, false);
    if (stock.count(t) == 0 || !judging) return run(t, stop, start.nowBest.has_value());
    return judged(t, stop);
  } catch (...) {  // memory ran out
    outcome.tried = true;
    outcome.failed = true;
    return outcome;
  }
}

AdditionOutcome AdvisorAdditions::Impl::judged(int t, const std::atomic<bool>* stop) {
  StockSnapshot more = now;
  ++more.counts[static_cast<std::size_t>(t)];
  std::optional<FoundResult> best;
  std::size_t held = 0;  // distinct finds the stock with the gear holds (all of them when nothing is kept now)
  const auto consider = [&](const FoundResult& find) {
    if (!checkStock(more, gearsOf(find), false)) return;
    ++held;
    if (!best || resultBefore(find, *best)) best = find;
  };
  bool keptAll = true;  // every C constant of the stock as it is stays
  if (!cConstants->changedBy(t)) {
    for (const FoundResult& find : below) consider(find);
  } else {
    const std::optional<bool> kept = considerNewCConstants(t, consider, stop);
    if (stopSeen(stop)) return notTried(t);
    if (!kept) return run(t, stop, start.nowBest.has_value());
    keptAll = *kept;
  }
  AdditionOutcome outcome = notTried(t);
  outcome.tried = true;
  if (!best || !improvesOn(*best, start.nowBest)) return outcome;
  if (start.nowBest && !(keptAll && start.nowCount == kResultLimit)) return run(t, stop, false);  // for the count
  outcome.suggested = true;
  outcome.count = start.nowBest ? kResultLimit : std::min(held, kResultLimit);
  outcome.best = *best;
  return outcome;
}

// Where one more gear of t changes the C constants: the finds of those that stay and of
// those that come. Gives whether all stay; nothing when more finds lie below the
// ceiling than a worker list holds.
std::optional<bool> AdvisorAdditions::Impl::considerNewCConstants(
    int t, const std::function<void(const FoundResult&)>& consider, const std::atomic<bool>* stop) const {
  const CConstantChanges::Change change = cConstants->changeBy(t);
  for (const FoundResult& find : below)
    if (change.kept[*cConstants->find(find.i0, find.i1, find.i2, find.i3)]) consider(find);
  const std::optional<std::vector<FoundResult>> finds = findsBelow(*search, change.added, ceiling, 1, stop);
  if (!finds) return std::nullopt;
  for (const FoundResult& find : *finds) consider(find);
  return std::find(change.kept.begin(), change.kept.end(), 0) == change.kept.end();
}

// A run on the stock with the gear more: a whole one, or a first look at the results
// better than the best now (followed by the whole run when it makes a suggestion).
AdditionOutcome AdvisorAdditions::Impl::run(int t, const std::atomic<bool>* stop, bool firstLook) {
  SolveOptions o = single;
  if (firstLook) o.feedErrorBelow = start.nowBest->feedError;
  SolveCallbacks callbacks;
  callbacks.stop = stop;
  const SolveReport report = solve(inputs, withOneMore(stock, t), o, callbacks);
  AdditionOutcome outcome;
  outcome.add = t;
  if (stopSeen(stop)) return outcome;  // it may have ended early: left out
  outcome.tried = true;
  if (report.failed) {
    outcome.failed = true;
    return outcome;
  }
  if (report.results.empty() || !improvesOn(report.results.front(), start.nowBest)) return outcome;
  if (firstLook) return run(t, stop, false);
  outcome.suggested = true;
  outcome.count = report.results.size();
  outcome.best = report.results.front();
  return outcome;
}

AdvisorAdditions::AdvisorAdditions(const JobInputs& inputs, const GearStock& stock, const SolveOptions& options,
                                   const AdvisorStart& start)
    : impl_(std::make_unique<Impl>(inputs, stock, options, start)) {}

AdvisorAdditions::~AdvisorAdditions() = default;

bool AdvisorAdditions::prepare(const std::atomic<bool>* stop) {
  try {
    return impl_->prepare(stop);
  } catch (...) {
    return true;  // memory ran out: the outcomes say so
  }
}

AdditionOutcome AdvisorAdditions::outcomeOf(int toothCount, const std::atomic<bool>* stop) {
  return impl_->outcomeOf(toothCount, stop);
}

}  // namespace hobwise
