#include <gtest/gtest.h>

#include <cstdlib>
#include <mutex>
#include <random>
#include <set>
#include <thread>
#include <tuple>

#include "solver/c_constant.h"
#include "solver/internal/worker_list.h"
#include "solver/run_rules.h"
#include "solver/solver.h"
#include "test_support.h"

namespace hobwise {
namespace {

using testing::exampleInputs;
using testing::expectSameReport;

// Collects the status texts of a run (from any thread).
struct StatusLog {
  std::mutex lock;
  std::vector<std::string> texts;
  SolveCallbacks callbacks(const std::atomic<bool>* stop = nullptr) {
    const auto add = [this](const std::string& text) {
      std::lock_guard guard(lock);
      texts.push_back(text);
    };
    return {add, stop, {}};
  }
};

TEST(Solve, ExampleJobOnTheDefaultStock) {
  StatusLog log;
  SolveOptions options;
  options.processors = 2;
  const GearStock stock = GearStock::defaultStock();
  const SolveReport report = solve(exampleInputs(), stock, options, log.callbacks());
  EXPECT_TRUE(report.rangeSet && !report.failed);
  ASSERT_FALSE(report.results.empty());
  const JobParameters job = *readJob(exampleInputs());
  for (std::size_t k = 0; k < report.results.size(); ++k) {
    const FoundResult& r = report.results[k];
    EXPECT_TRUE(k == 0 || solver::resultBefore(report.results[k - 1], r)) << k;
    // Every gear from the stock (one of each), each pair written larger first.
    for (auto g : {r.f0, r.f1, r.f2, r.f3, r.i0, r.i1, r.i2, r.i3}) EXPECT_EQ(stock.count(g), 1) << k;
    EXPECT_TRUE(r.f0 >= r.f1 && r.f2 >= r.f3 && r.i0 >= r.i1 && r.i2 >= r.i3) << k;
    // The C constant is that of the index train, the error that of the feed train.
    const DecFloat indexRatio = trainRatio(std::uint64_t{r.i3} * r.i2, std::uint64_t{r.i1} * r.i0);
    EXPECT_EQ(r.cConstant, solveCConstant(job, indexRatio, true)) << k;
    const DecFloat feedRatio = trainRatio(std::uint64_t{r.f2} * r.f3, std::uint64_t{r.f0} * r.f1);
    EXPECT_EQ(r.feedError, boost::multiprecision::abs(feedRatio - feedRatioFor(job, r.cConstant))) << k;
    EXPECT_LT(r.feedError, DecFloat(0.001));
    EXPECT_LE(boost::multiprecision::abs(actualFeed(job, feedRatio) - job.feedRate), DecFloat(0.005)) << k;
  }
  // The search text, one progress text per C constant (each counter once), the empty text.
  ASSERT_EQ(log.texts.size(), 2u + report.cConstantCount);
  EXPECT_EQ(log.texts.front(), "Finding Applicable C Constants...");
  EXPECT_EQ(log.texts.back(), "");
  std::set<std::string> progress(log.texts.begin() + 1, log.texts.end() - 1);
  for (std::size_t k = 1; k <= report.cConstantCount; ++k)
    EXPECT_EQ(progress.count("Processing " + std::to_string(k) + " of " + std::to_string(report.cConstantCount) +
                             " C constants using 2 logical processors..."), 1u) << k;
}

TEST(Solve, RunsThatFindNothing) {
  const struct { const char *what, *field; bool feedRate, emptyStock, failed; std::vector<std::string> status; } cases[] = {
      {"empty stock", "0.0625", false, true, false, {}},
      {"not a number", "", false, false, true, {"Finding Applicable C Constants...", ""}},
      {"one-character feed rate", "1", true, false, false, {"Finding Applicable C Constants...", ""}},
  };
  for (const auto& c : cases) {
    StatusLog log;
    JobInputs in = exampleInputs();
    (c.feedRate ? in.feedRate : in.feedConstant) = c.field;
    const SolveReport report = solve(in, c.emptyStock ? GearStock{} : GearStock::defaultStock(), {}, log.callbacks());
    EXPECT_EQ(std::tuple(report.failed, report.rangeSet, report.cConstantCount, report.results.size()),
              std::tuple(c.failed, false, std::size_t{0}, std::size_t{0})) << c.what;
    EXPECT_EQ(log.texts, c.status) << c.what;
  }
}

TEST(Solve, StopFlagEndsEveryWorkerAfterItsFirstCConstant) {
  StatusLog log;
  std::atomic<bool> stop{false};  // set as the workers start: the stages before them see no stop
  SolveCallbacks callbacks = log.callbacks(&stop);
  callbacks.stageStarted = [&stop](SolveStage stage) { stop = stage == SolveStage::FeedTrains; };
  const SolveReport report = solve(exampleInputs(), GearStock::defaultStock(), {.processors = 2}, callbacks);
  ASSERT_GT(report.cConstantCount, 2u);
  EXPECT_EQ(log.texts.size(), 4u);  // two workers, one C constant each
  EXPECT_TRUE(report.rangeSet && !report.failed);
}

TEST(Solve, SameResultsForAnyNumberOfWorkers) {
  // Many trains of equal ratio, so that equal feed errors meet the workers' 400 limit.
  JobInputs in = exampleInputs();
  in.feedRate = "0.0251";
  GearStock stock;
  for (int t = 20; t <= 56; ++t) stock.setCount(t, 2);
  for (int setup : {0, 1}) {
    in.setupIndex = setup;
    SolveOptions options;
    options.processors = 1;
    const SolveReport one = solve(in, stock, options);
    ASSERT_GT(one.cConstantCount, 3u);
    ASSERT_FALSE(one.results.empty());
    for (unsigned p : {0u, 2u, 3u, 8u}) {
      options.processors = p;
      expectSameReport(one, solve(in, stock, options), "processors " + std::to_string(p));
    }
    options.exact = true;
    expectSameReport(one, solve(in, stock, options), "exact on 8 processors");
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
    expectSameReport(plain, solve(in, stock, options), what);
    if (!plain.results.empty()) ++withResults;
  }
  // The cases must exercise the search, not only its empty ends.
  EXPECT_GE(withResults, cases / 4);
}

}  // namespace
}  // namespace hobwise
