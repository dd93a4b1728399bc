#include <gtest/gtest.h>

#include <cstdlib>
#include <mutex>
#include <random>
#include <thread>

#include "solver/solver.h"
#include "solver/solver_internal.h"
#include "test_support.h"

namespace hobwise {
namespace {

using testing::exampleInputs;
using testing::stockOf;

// Collects the status texts of a run (from any thread).
struct StatusLog {
  std::mutex lock;
  std::vector<std::string> texts;
  SolveCallbacks callbacks(const std::atomic<bool>* stop = nullptr) {
    SolveCallbacks cb;
    cb.status = [this](const std::string& text) {
      std::lock_guard guard(lock);
      texts.push_back(text);
    };
    cb.stop = stop;
    return cb;
  }
};

// A stock of every tooth count from `first` to `last`, `count` of each.
GearStock rangeStock(int first, int last, int count) {
  GearStock stock;
  for (int t = first; t <= last; ++t) stock.setCount(t, count);
  return stock;
}

void expectSameResults(const SolveReport& a, const SolveReport& b, const std::string& what) {
  EXPECT_EQ(a.failed, b.failed) << what;
  EXPECT_EQ(a.rangeSet, b.rangeSet) << what;
  EXPECT_EQ(a.cConstantCount, b.cConstantCount) << what;
  ASSERT_EQ(a.results.size(), b.results.size()) << what;
  for (std::size_t k = 0; k < a.results.size(); ++k) {
    const FoundResult& x = a.results[k];
    const FoundResult& y = b.results[k];
    EXPECT_TRUE(solver::sameGears(x, y)) << what << " result " << k;
    EXPECT_EQ(x.feedError, y.feedError) << what << " result " << k;
    EXPECT_EQ(x.cConstant, y.cConstant) << what << " result " << k;
  }
}

TEST(Solve, ExampleJobOnTheDefaultStock) {
  StatusLog log;
  SolveOptions options;
  options.processors = 2;
  const SolveReport report = solve(exampleInputs(), GearStock::defaultStock(), options, log.callbacks());
  EXPECT_FALSE(report.failed);
  EXPECT_TRUE(report.rangeSet);
  ASSERT_GT(report.cConstantCount, 0u);
  ASSERT_FALSE(report.results.empty());
  EXPECT_LE(report.results.size(), 200u);

  const JobParameters job = *readJob(exampleInputs());
  const GearStock stock = GearStock::defaultStock();
  for (std::size_t k = 0; k < report.results.size(); ++k) {
    const FoundResult& r = report.results[k];
    if (k > 0) {
      EXPECT_TRUE(solver::resultBefore(report.results[k - 1], r)) << k;
    }
    // Every gear from the stock (one of each), each pair written larger first.
    const std::uint16_t gears[8] = {r.f0, r.f1, r.f2, r.f3, r.i0, r.i1, r.i2, r.i3};
    for (auto g : gears) EXPECT_EQ(stock.count(g), 1) << k;
    EXPECT_GE(r.f0, r.f1);
    EXPECT_GE(r.f2, r.f3);
    EXPECT_GE(r.i0, r.i1);
    EXPECT_GE(r.i2, r.i3);
    EXPECT_TRUE(solver::checkStockPlain(solver::StockSnapshot::of(stock, false), gears)) << k;
    // The feed error is that of the feed train against the C constant's feed ratio.
    const DecFloat feedRatio = solver::quotient(std::uint64_t{r.f2} * r.f3, std::uint64_t{r.f0} * r.f1);
    EXPECT_EQ(r.feedError, boost::multiprecision::abs(feedRatio - feedRatioFor(job, r.cConstant))) << k;
    EXPECT_LT(r.feedError, DecFloat(0.001));
    // The C constant is that of the index train.
    const DecFloat indexRatio = solver::quotient(std::uint64_t{r.i3} * r.i2, std::uint64_t{r.i1} * r.i0);
    EXPECT_EQ(r.cConstant, solveCConstant(job, indexRatio)) << k;
    EXPECT_LE(r.cConstant, DecFloat(9999.9999));
    // Its feed lies near the wanted one.
    const DecFloat feed = actualFeed(job, feedRatio);
    EXPECT_LE(boost::multiprecision::abs(feed - job.feedRate), DecFloat(0.005)) << k;
  }

  // Status: the search text, one progress text per C constant, then the empty text.
  ASSERT_GE(log.texts.size(), 2u + report.cConstantCount);
  EXPECT_EQ(log.texts.front(), "Finding Applicable C Constants...");
  EXPECT_EQ(log.texts.back(), "");
  EXPECT_EQ(log.texts.size(), 2u + report.cConstantCount);
  std::vector<bool> seen(report.cConstantCount + 1, false);
  for (std::size_t k = 1; k + 1 < log.texts.size(); ++k) {
    int counter = 0, count = 0, processors = 0;
    ASSERT_EQ(std::sscanf(log.texts[k].c_str(), "Processing %i of %i C constants using %i logical processors...",
                          &counter, &count, &processors),
              3)
        << log.texts[k];
    EXPECT_EQ(log.texts[k], "Processing " + std::to_string(counter) + " of " + std::to_string(count) +
                                " C constants using 2 logical processors...");
    EXPECT_EQ(static_cast<std::size_t>(count), report.cConstantCount);
    EXPECT_EQ(processors, 2);
    ASSERT_GE(counter, 1);
    ASSERT_LE(static_cast<std::size_t>(counter), report.cConstantCount);
    EXPECT_FALSE(seen[static_cast<std::size_t>(counter)]) << counter;
    seen[static_cast<std::size_t>(counter)] = true;
  }
}

TEST(Solve, EmptyStockEndsAtOnceWithoutStatus) {
  StatusLog log;
  const SolveReport report = solve(exampleInputs(), GearStock{}, SolveOptions{}, log.callbacks());
  EXPECT_TRUE(report.results.empty());
  EXPECT_FALSE(report.failed);
  EXPECT_FALSE(report.rangeSet);
  EXPECT_TRUE(log.texts.empty());
}

TEST(Solve, TextThatIsNoNumberEndsTheRunWithoutResults) {
  StatusLog log;
  JobInputs in = exampleInputs();
  in.feedConstant = "";
  const SolveReport report = solve(in, GearStock::defaultStock(), SolveOptions{}, log.callbacks());
  EXPECT_TRUE(report.failed);
  EXPECT_TRUE(report.results.empty());
  EXPECT_FALSE(report.rangeSet);
  EXPECT_EQ(log.texts, (std::vector<std::string>{"Finding Applicable C Constants...", ""}));
}

TEST(Solve, SingleCharacterFeedRateFindsNoCConstant) {
  StatusLog log;
  JobInputs in = exampleInputs();
  in.feedRate = "1";
  const SolveReport report = solve(in, GearStock::defaultStock(), SolveOptions{}, log.callbacks());
  EXPECT_FALSE(report.failed);
  EXPECT_EQ(report.cConstantCount, 0u);
  EXPECT_FALSE(report.rangeSet);
  EXPECT_TRUE(report.results.empty());
  EXPECT_EQ(log.texts, (std::vector<std::string>{"Finding Applicable C Constants...", ""}));
}

TEST(Solve, NoProcessorCountMeansOneWorker) {
  StatusLog log;
  SolveOptions none;
  none.processors = 0;
  const SolveReport report = solve(exampleInputs(), GearStock::defaultStock(), none, log.callbacks());
  SolveOptions one;
  one.processors = 1;
  expectSameResults(report, solve(exampleInputs(), GearStock::defaultStock(), one), "0 vs 1 processors");
  ASSERT_GE(log.texts.size(), 3u);
  EXPECT_NE(log.texts[1].find("using 1 logical processors"), std::string::npos) << log.texts[1];
}

TEST(Solve, StopFlagEndsEveryWorkerAfterItsFirstCConstant) {
  StatusLog log;
  std::atomic<bool> stop{false};  // set as the workers start: the stages before them see no stop
  SolveOptions options;
  options.processors = 2;
  SolveCallbacks callbacks = log.callbacks(&stop);
  callbacks.stageStarted = [&stop](SolveStage stage) { stop = stage == SolveStage::FeedTrains; };
  const SolveReport report = solve(exampleInputs(), GearStock::defaultStock(), options, callbacks);
  ASSERT_GT(report.cConstantCount, 2u);
  // Two workers, one C constant each.
  EXPECT_EQ(log.texts.size(), 4u);
  EXPECT_EQ(log.texts.back(), "");
  EXPECT_TRUE(report.rangeSet);
  EXPECT_FALSE(report.failed);
}

TEST(Solve, SameResultsForAnyNumberOfWorkers) {
  // A stock with many trains of equal ratio, so that equal feed errors meet the
  // workers' 400 limit.
  JobInputs in = exampleInputs();
  in.feedRate = "0.0251";
  for (int setup : {0, 1}) {
    in.setupIndex = setup;
    const GearStock stock = rangeStock(20, 56, 2);
    SolveOptions options;
    options.processors = 1;
    const SolveReport one = solve(in, stock, options);
    ASSERT_GT(one.cConstantCount, 3u);
    ASSERT_FALSE(one.results.empty());
    for (unsigned p : {2u, 3u, 8u}) {
      options.processors = p;
      expectSameResults(one, solve(in, stock, options), "processors " + std::to_string(p));
    }
    options.processors = 3;
    options.exact = true;
    expectSameResults(one, solve(in, stock, options), "exact on 3 processors");
  }
}

// Random small jobs: the plain path and the fast path must agree result for result.
TEST(Solve, FastPathAgreesWithThePlainPath) {
  int cases = 150;
  if (const char* env = std::getenv("HOBWISE_DIFFERENTIAL_CASES")) cases = std::atoi(env);
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  cases = std::min(cases, 40);
#endif
  std::mt19937 rng(20240611);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  const char* feedConstants[] = {"0.0625", "0.1", "0.05", "10", "16", "4.5", "0.125", "1", "25.4", "0.08333333333333"};
  const char* helixAngles[] = {"23.5", "15", "30", "45", "10.25", "60", "5"};
  const char* pitches[] = {"8", "10", "12", "5", "6.35", "20"};
  // Short texts give wide bands (and so many index trains), long ones narrow bands.
  const char* feedRates[] = {".02", ".03", ".1",      ".05",     ".015",      ".025",       "0.025", ".0312",
                             ".04", ".2",  "0.01575", "0.0125000", "0.020000", "0.1001001", "0.02500000", "5"};
  const char* indexConstants[] = {"30", "24", "40", "15", "20", "48", "12.5"};
  int withResults = 0;
  for (int c = 0; c < cases; ++c) {
    JobInputs in;
    in.indexConstant = indexConstants[pick(0, 6)];
    in.feedConstant = feedConstants[pick(0, 9)];
    in.helixAngle = helixAngles[pick(0, 6)];
    in.normalPitch = pitches[pick(0, 5)];
    in.feedRate = feedRates[pick(0, 15)];
    in.teeth = std::to_string(pick(10, 120));
    in.hobThreads = std::to_string(pick(1, 3));
    in.setupIndex = pick(-1, 7);
    GearStock stock;
    const int kinds = pick(12, 40);
    const int highest = pick(60, 169);
    for (int k = 0; k < kinds; ++k) stock.setCount(pick(16, highest), pick(1, 3));
    SolveOptions options;
    options.processors = static_cast<unsigned>(pick(1, 3));
    options.bypassDuplicates = pick(0, 4) == 0;
    const int choice = pick(0, 5);
    options.wholeOnly = choice == 0;
    options.finiteOnly = choice == 1;
    const std::string what = "case " + std::to_string(c) + ": K " + in.indexConstant + " Cf " + in.feedConstant +
                             " helix " + in.helixAngle + " Pn " + in.normalPitch + " f " + in.feedRate + " N " +
                             in.teeth + " T " + in.hobThreads + " setup " + std::to_string(in.setupIndex) +
                             " stock " + stock.toText();
    SolveOptions exact = options;
    exact.exact = true;
    const SolveReport plain = solve(in, stock, exact);
    expectSameResults(plain, solve(in, stock, options), what);
    if (!plain.results.empty()) ++withResults;
  }
  // The cases must exercise the search, not only its empty ends.
  EXPECT_GE(withResults, cases / 4);
}

}  // namespace
}  // namespace hobwise
