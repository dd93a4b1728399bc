// A run in parts: the plan handed to other instances as text, its pieces searched there
// in any order, the partials handed back as text and merged, give the run's report.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>

#include "sample_jobs.h"
#include "solver/run_parts.h"
#include "solver/solver.h"
#include "test_support.h"

namespace hobwise {
namespace {

using testing::expectSameReport;

GearStock twoEachFrom20To56() {
  GearStock stock;
  for (int t = 20; t <= 56; ++t) stock.setCount(t, 2);
  return stock;
}

struct Case {
  const char* what;
  JobInputs in;
  GearStock stock;
  SolveOptions options;
};

std::vector<Case> cases() {
  JobInputs plus = exampleJobInputs();
  plus.feedRate = "0.0251", plus.setupIndex = 1;
  return {
      {"example, fast, 3 processors", exampleJobInputs(), GearStock::defaultStock(), {.processors = 3}},
      {"plus sign, fast, 1 processor", plus, twoEachFrom20To56(), {.bypassDuplicates = true, .processors = 1}},
      {"plus sign, exact, 4 processors", plus, twoEachFrom20To56(), {.processors = 4, .exact = true}},
      {"steep helix, fast, 2 processors", exampleJobWith("48", "60"), GearStock::defaultStock(), {.processors = 2}},
  };
}

// Three instances, each with the plan from its text, take every third piece of a
// shuffled order; their partials come back as text, in another order.
std::vector<RunPartial> searchElsewhere(const RunPlan& plan, std::mt19937& rng) {
  std::vector<std::size_t> order(plan.pieces().size());
  std::iota(order.begin(), order.end(), 0);
  std::shuffle(order.begin(), order.end(), rng);
  std::vector<RunPartial> partials;
  for (std::size_t instance = 0; instance < 3; ++instance) {
    const std::optional<RunPlan> copy = RunPlan::fromWorkerText(plan.workerText());
    EXPECT_TRUE(copy);
    if (!copy) return partials;
    std::vector<std::size_t> mine;
    for (std::size_t k = instance; k < order.size(); k += 3) mine.push_back(order[k]);
    const std::optional<RunPartial> back = RunPartial::fromText(copy->search(mine).toText());
    EXPECT_TRUE(back);
    if (back) partials.push_back(*back);
  }
  std::shuffle(partials.begin(), partials.end(), rng);
  return partials;
}

TEST(RunParts, PiecesSearchedElsewhereInAnyOrderMergeToTheRun) {
  std::mt19937 rng(17);
  for (const Case& c : cases()) {
    const SolveReport whole = solve(c.in, c.stock, c.options);
    ASSERT_FALSE(whole.results.empty()) << c.what;
    const RunPlan plan = RunPlan::make(c.in, c.stock, c.options);
    // The pieces cover the C constants in order, so that the progress follows from them.
    ASSERT_GE(plan.pieces().size(), 3u) << c.what;
    std::size_t next = 0;
    for (const WorkRange& piece : plan.pieces()) {
      EXPECT_EQ(piece.first, next) << c.what;
      next = piece.end;
    }
    EXPECT_EQ(next, plan.cConstantCount()) << c.what;
    expectSameReport(whole, plan.merge(searchElsewhere(plan, rng)), c.what);
  }
}

// The C constants of the index trains shared out over three other instances, in uneven
// ranges, give the plan made at once; ranges out of order or missing give nothing.
TEST(RunParts, CConstantsSharedOutGiveThePlanMadeAtOnce) {
  for (const Case& c : cases()) {
    const RunPlan whole = RunPlan::make(c.in, c.stock, c.options);
    const RunPlan pending = RunPlan::makeUpToCConstants(c.in, c.stock, c.options);
    ASSERT_TRUE(pending.cConstantsPending()) << c.what;
    const std::uint32_t trains = static_cast<std::uint32_t>(pending.indexTrainCount());
    ASSERT_GE(trains, 10u) << c.what;
    std::vector<std::string> texts;
    for (const WorkRange range : {WorkRange{0, 1}, WorkRange{1, trains / 3}, WorkRange{trains / 3, trains}}) {
      const std::optional<RunPlan> copy = RunPlan::fromWorkerText(pending.workerText());
      ASSERT_TRUE(copy && copy->cConstantsPending()) << c.what;
      texts.push_back(copy->cConstantsText(range));
    }
    const std::optional<RunPlan> made = pending.withCConstants(texts);
    ASSERT_TRUE(made) << c.what;
    EXPECT_FALSE(made->cConstantsPending());
    EXPECT_EQ(made->workerText(), whole.workerText()) << c.what;
    EXPECT_FALSE(pending.withCConstants(std::vector{texts[0], texts[2], texts[1]})) << c.what;
    EXPECT_FALSE(pending.withCConstants(std::vector{texts[0], texts[1]})) << c.what;
    EXPECT_FALSE(whole.withCConstants(texts)) << c.what;
  }
}

// Stopped after the pieces of one instance: a report of what was found, every result
// of it that is good enough for the whole run's list being in that list.
TEST(RunParts, StopBetweenPiecesLeavesWhatWasFound) {
  const Case c = cases()[0];
  const SolveReport whole = solve(c.in, c.stock, c.options);
  const RunPlan plan = RunPlan::make(c.in, c.stock, c.options);
  const std::vector<std::size_t> first = {0, 1};
  const RunPartial partial = plan.search(first);
  const SolveReport stopped = plan.merge({&partial, 1}, true);
  EXPECT_EQ(stopped.stoppedIn, SolveStage::FeedTrains);
  EXPECT_TRUE(stopped.rangeSet && !stopped.results.empty());
  EXPECT_LT(stopped.stages.feedTrains, whole.stages.feedTrains);
  for (const FoundResult& r : stopped.results) {
    if (!(r.feedError < whole.results.back().feedError)) continue;
    EXPECT_TRUE(std::any_of(whole.results.begin(), whole.results.end(), [&](const FoundResult& w) {
      return testing::gearsOf(w) == testing::gearsOf(r) && w.feedError == r.feedError;
    }));
  }
}

// A text that is not a plan or a partial (cut short, a word changed, another kind)
// gives nothing.
TEST(RunParts, TextsThatAreNoPlanOrPartialGiveNothing) {
  const Case c = cases()[1];
  const RunPlan plan = RunPlan::make(c.in, c.stock, c.options);
  const std::string planText = plan.workerText();
  const std::string partialText = plan.search(std::vector<std::size_t>{0}).toText();
  ASSERT_TRUE(RunPlan::fromWorkerText(planText) && RunPartial::fromText(partialText));
  const auto changed = [](std::string text, const std::string& from, const std::string& to) {
    return text.replace(text.find(from), from.size(), to);
  };
  for (const std::string& bad : {std::string(), planText.substr(0, planText.size() / 2), partialText,
                                 changed(planText, "records", "record"), planText + " 1"})
    EXPECT_FALSE(RunPlan::fromWorkerText(bad)) << bad.substr(0, 40);
  for (const std::string& bad : {std::string("x"), partialText.substr(0, partialText.size() - 5), planText,
                                 changed(partialText, "counts", "count"), partialText + "\n7"})
    EXPECT_FALSE(RunPartial::fromText(bad)) << bad.substr(0, 40);
}

}  // namespace
}  // namespace hobwise
