#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "advisor_reference.h"
#include "test_support.h"

namespace hobwise {
namespace {

// One gear of every `step`-th tooth count from `first` to `last`.
GearStock everyNth(int first, int last, int step, int count = 1) {
  GearStock stock;
  for (int t = first; t <= last; t += step) stock.setCount(t, count);
  return stock;
}

JobInputs climbCut() {
  JobInputs in = testing::exampleInputs();
  std::tie(in.feedRate, in.helixAngle, in.teeth, in.setupIndex) = std::tuple(".04", "31", "47", 1);
  return in;
}

SolveOptions twoWorkers(bool exact = false) {
  SolveOptions options;
  options.processors = 2;
  options.exact = exact;
  return options;
}

// The example job on its default stock: the gears that look better are the same two
// fractions as the best result now (145 gives 42 x 80 / 145 x 65 = 36 x 56 / 87 x 65),
// whose feed errors differ only in the rounding of their divisions.
TEST(Advisor, TheExampleJobMakesNoSuggestion) {
  const GearStock stock = GearStock::defaultStock();
  const AdvisorReport report = advise(testing::exampleInputs(), stock, twoWorkers());
  ASSERT_TRUE(report.nowBest);
  EXPECT_EQ(report.tried, kToothCountKinds);
  EXPECT_TRUE(report.suggestions.empty());

  const SolveReport with145 = solve(testing::exampleInputs(), withOneMore(stock, 145), twoWorkers());
  ASSERT_FALSE(with145.results.empty());
  const FoundResult& best = with145.results.front();
  EXPECT_TRUE(best.feedError < report.nowBest->feedError && sameFractions(best, *report.nowBest));
  EXPECT_EQ(shownFeedErrorSize(best), shownFeedErrorSize(*report.nowBest));
  EXPECT_FALSE(improvesOn(best, report.nowBest));
}

struct ReferenceCase {
  const char* name;
  JobInputs inputs;
  GearStock stock;
};

// The advisor against every addition tried with a whole run of the reference: the
// literal algorithm, or whole runs with the shortcuts where a literal run takes minutes.
void expectLikeWholeRuns(const ReferenceCase& c, bool literal) {
  std::vector<int> progress;
  AdvisorCallbacks callbacks;
  callbacks.progress = [&](int tried, int) { progress.push_back(tried); };
  const AdvisorReport report = advise(c.inputs, c.stock, twoWorkers(), callbacks);
  const AdvisorReport expected = literal ? advise(c.inputs, c.stock, twoWorkers(true))
                                         : testing::adviceByWholeRuns(c.inputs, c.stock, twoWorkers());
  EXPECT_EQ(testing::differenceOf(report, expected), "") << c.name;
  EXPECT_EQ(progress.size(), static_cast<std::size_t>(kToothCountKinds)) << c.name;
  EXPECT_EQ(progress.back(), kToothCountKinds) << c.name;
}

TEST(Advisor, OnSparseStocksLikeLiteralRuns) {
  for (const ReferenceCase& c : {ReferenceCase{"nothing found now", testing::exampleInputs(), everyNth(20, 100, 4)},
                                 ReferenceCase{"climb cut", climbCut(), everyNth(20, 110, 5)}})
    expectLikeWholeRuns(c, true);
}

// (Two tests, so that ctest can run them side by side.)
TEST(Advisor, OnAFullStockOfTwoLikeWholeRuns) {
  expectLikeWholeRuns({"full stock of 2", testing::exampleInputs(), everyNth(16, 169, 1, 2)}, false);
}

TEST(Advisor, WhereAdditionsChangeTheIndexTrainsLikeWholeRuns) {
  expectLikeWholeRuns({"one of each, 20 to 90", climbCut(), everyNth(20, 90, 1)}, false);
}

// The parts on two instances, every other tooth count each, the outcomes passed on as
// text: the report advise() makes.
TEST(Advisor, InPartsAndAsTextTheSameReport) {
  const JobInputs in = climbCut();
  const GearStock stock = everyNth(20, 110, 5);
  SolveOptions options;
  const std::optional<AdvisorStart> start = startFromText(startText(startAdvice(in, stock, options)));
  ASSERT_TRUE(start && start->nowBest);
  AdvisorAdditions first(in, stock, options, *start), second(in, stock, options, *start);
  std::vector<AdditionOutcome> outcomes;
  for (std::size_t k = 0; k < start->additions.size(); ++k) {
    const AdditionOutcome o = (k % 2 == 0 ? first : second).outcomeOf(start->additions[k]);
    const std::optional<AdditionOutcome> back = outcomeFromText(outcomeText(o));
    ASSERT_TRUE(back && outcomeText(*back) == outcomeText(o)) << outcomeText(o);
    outcomes.push_back(*back);
  }
  const AdvisorReport report = combineAdvice(*start, outcomes);
  EXPECT_FALSE(report.suggestions.empty());
  EXPECT_EQ(testing::differenceOf(report, advise(in, stock, twoWorkers())), "");
  outcomes.pop_back();
  EXPECT_TRUE(combineAdvice(*start, outcomes).stopped);
  for (const char* bad : {"", "start 0 0 5 - 1,2;3;4", "addition 30 1 0 1 7 -", "addition 30 1 0 0 0 1,2;3;4"})
    EXPECT_FALSE(startFromText(bad) || outcomeFromText(bad)) << bad;
}

// Seven of every tooth count: said at once, and not even the run on the stock as it is
// (a job that cannot be solved would fail it).
TEST(Advisor, AFullStockTriesNothing) {
  JobInputs in = testing::exampleInputs();
  in.feedConstant = "";
  int calls = 0;
  AdvisorCallbacks callbacks;
  callbacks.progress = [&](int, int) { ++calls; };
  const AdvisorReport report = advise(in, everyNth(16, 169, 1, kMaxGearCount), twoWorkers(), callbacks);
  EXPECT_TRUE(report.full);
  EXPECT_FALSE(report.failed || report.stopped);
  EXPECT_EQ(report.candidates + report.tried + calls, 0);
  EXPECT_TRUE(advise(in, GearStock::defaultStock(), twoWorkers()).failed);
}

// A stop ends the advisor early and says after how many tooth counts.
TEST(Advisor, AStopSaysAfterHowManyToothCounts) {
  GearStock stock = everyNth(20, 100, 4);
  stock.setCount(40, 7);
  std::atomic<bool> stop{false};
  AdvisorCallbacks callbacks;
  callbacks.stop = &stop;
  callbacks.progress = [&](int tried, int) {
    if (tried == 3) stop = true;
  };
  const AdvisorReport report = advise(testing::exampleInputs(), stock, twoWorkers(), callbacks);
  EXPECT_EQ(report.candidates, kToothCountKinds - 1);
  EXPECT_TRUE(report.stopped);
  EXPECT_GE(report.tried, 3);
  EXPECT_LT(report.tried, report.candidates);
}

}  // namespace
}  // namespace hobwise
