// A run in parts: the plan, the feed search of pieces into partials, and their merge.
#include "solver/run_parts.h"

#include <algorithm>
#include <cstdio>

#include "solver/internal/c_constant_search.h"
#include "solver/internal/pair_table.h"
#include "solver/internal/run_plan.h"
#include "solver/internal/run_control.h"
#include "solver/internal/worker_list.h"

namespace hobwise {

using namespace solver;

void RunPlan::Impl::prepareMounts() {
  if (options.mountableOnly)
    mounts.emplace(options.mountableOnly->index, options.mountableOnly->feed, inputs.setupIndex);
}

void RunPlan::Impl::buildSearch() {
  if (!cConstants.empty())
    search = std::make_unique<FeedSearch>(*job, pairs, stock, mounts ? &*mounts : nullptr);
}

void RunPlan::Impl::planPieces() {
  if (!search) return;
  targets = search->targetsFor(cConstants, options.exact);
  pieces = FeedSearch::piecesOf(targets, cConstants.size(), processors);
}

std::string progressText(unsigned counter, std::size_t count, unsigned processors) {
  char text[160];
  std::snprintf(text, sizeof text, "Processing %i of %i C constants using %i logical processors...",
                static_cast<int>(counter), static_cast<int>(count), static_cast<int>(processors));
  return text;
}

RunPlan::RunPlan(std::shared_ptr<const Impl> impl) : impl_(std::move(impl)) {}

std::shared_ptr<RunPlan::Impl> RunPlan::Impl::upToCConstants(const JobInputs& inputs, const GearStock& stock,
                                                              const SolveOptions& options,
                                                              const SolveCallbacks& callbacks) {
  auto plan = std::make_shared<Impl>();
  plan->inputs = inputs;
  plan->stockText = stock.toText();
  plan->options = options;
  plan->options.cConstantMemo = nullptr;
  plan->processors = std::max(1u, options.processors);
  const std::vector<std::uint32_t> gearSet = gearSetFrom(stock);
  if (gearSet.empty()) return plan;
  plan->stock = StockSnapshot::of(stock, options.bypassDuplicates);
  plan->pairs = buildPairTable(gearSet);
  if (callbacks.status) callbacks.status("Finding Applicable C Constants...");
  plan->statusShown = true;
  plan->job = readJob(inputs);
  if (!plan->job) {
    plan->failed = true;
    return plan;
  }
  plan->prepareMounts();
  RunControl control;
  control.stop = callbacks.stop;
  plan->cConstants = findIndexTrains(*plan->job, plan->pairs, plan->stock, options, &control, callbacks.stageStarted,
                                     plan->mounts ? &*plan->mounts : nullptr);
  plan->counts = control.counts;
  plan->stoppedIn = control.stoppedIn;
  plan->cConstantsPending = true;
  return plan;
}

RunPlan RunPlan::make(const JobInputs& inputs, const GearStock& stock, const SolveOptions& options,
                      const SolveCallbacks& callbacks) {
  std::shared_ptr<Impl> plan = Impl::upToCConstants(inputs, stock, options, callbacks);
  if (!plan->cConstantsPending) return RunPlan(plan);
  plan->cConstantsPending = false;
  if (callbacks.stageStarted) callbacks.stageStarted(SolveStage::CConstants);
  RunControl control;
  control.stop = callbacks.stop;
  control.counts = plan->counts;
  control.stoppedIn = plan->stoppedIn;
  const unsigned threads = options.exact ? 1u : plan->processors;
  assignCConstants(*plan->job, plan->cConstants, options, threads, &control);
  finishCConstants(plan->cConstants, &control);
  plan->counts = control.counts;
  plan->stoppedIn = control.stoppedIn;
  plan->buildSearch();
  plan->planPieces();
  return RunPlan(plan);
}

RunPlan RunPlan::makeUpToCConstants(const JobInputs& inputs, const GearStock& stock, const SolveOptions& options,
                                    const SolveCallbacks& callbacks) {
  return RunPlan(Impl::upToCConstants(inputs, stock, options, callbacks));
}

bool RunPlan::cConstantsPending() const { return impl_->cConstantsPending; }
std::size_t RunPlan::indexTrainCount() const { return impl_->cConstantsPending ? impl_->cConstants.size() : 0; }

bool RunPlan::statusShown() const { return impl_->statusShown; }
bool RunPlan::failed() const { return impl_->failed; }
std::size_t RunPlan::cConstantCount() const { return impl_->cConstants.size(); }
unsigned RunPlan::processors() const { return impl_->processors; }
const std::vector<WorkRange>& RunPlan::pieces() const { return impl_->pieces; }
const StageCounts& RunPlan::counts() const { return impl_->counts; }
SolveStage RunPlan::stoppedIn() const { return impl_->stoppedIn; }

RunPartial RunPlan::search(std::span<const std::size_t> pieces) const {
  FeedWorker worker(*this);
  for (std::size_t piece : pieces) worker.search(piece);
  return worker.partial();
}

SolveReport RunPlan::merge(std::span<const RunPartial> partials, bool stopped) const {
  const Impl& plan = *impl_;
  SolveReport report;
  report.failed = plan.failed;
  report.cConstantCount = plan.cConstants.size();
  report.stages = plan.counts;
  report.stoppedIn = plan.stoppedIn;
  if (!plan.cConstants.empty()) {
    std::vector<FoundResult> found;
    for (const RunPartial& partial : partials) {
      found.insert(found.end(), partial.finds.begin(), partial.finds.end());
      report.stages.feedTrains += partial.counts.feedTrains;
      report.stages.feedTest += partial.counts.feedTest;
      stopped = stopped || partial.stopped;
    }
    report.results = trimResults(std::move(found), *plan.job);
    report.rangeSet = true;
  }
  if (stopped && report.stoppedIn == SolveStage::None) report.stoppedIn = SolveStage::FeedTrains;
  report.stages.kept = report.results.size();
  return report;
}

struct FeedWorker::State {
  std::shared_ptr<const RunPlan::Impl> plan;
  const std::atomic<bool>* stop;
  WorkerList list;
  FeedCounts counts;
  bool stopped = false;
};

FeedWorker::FeedWorker(const RunPlan& plan, const std::atomic<bool>* stop)
    : state_(new State{plan.impl_, stop, WorkerList(plan.impl_->options.feedErrorBelow), {}, false}) {}

FeedWorker::~FeedWorker() = default;

bool FeedWorker::search(std::size_t piece, const std::function<bool(std::size_t)>& proceed) {
  const RunPlan::Impl& plan = *state_->plan;
  if (piece >= plan.pieces.size()) return true;
  const bool whole = plan.search->searchPiece(plan.cConstants, plan.targets, plan.pieces[piece], state_->list,
                                              &state_->counts, proceed, state_->stop);
  state_->stopped = state_->stopped || !whole;
  return whole;
}

RunPartial FeedWorker::partial() const { return {state_->list.entries(), state_->counts, state_->stopped}; }

}  // namespace hobwise
