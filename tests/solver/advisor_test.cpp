#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <vector>

#include "solver/advisor.h"
#include "solver/solver_internal.h"
#include "test_support.h"

namespace hobwise {
namespace {

// One gear of every `step`-th tooth count from `first` to `last`.
GearStock everyNth(int first, int last, int step) {
  GearStock stock;
  for (int t = first; t <= last; t += step) stock.setCount(t, 1);
  return stock;
}

JobInputs job(int setup, const char* feedRate, const char* pitch, const char* teeth, const char* helix) {
  JobInputs in = testing::exampleInputs();
  in.setupIndex = setup;
  in.feedRate = feedRate;
  in.normalPitch = pitch;
  in.teeth = teeth;
  in.helixAngle = helix;
  return in;
}

struct Case {
  const char* name;
  JobInputs inputs;
  GearStock stock;
  bool exact;
};

const Case kCases[] = {
    {"example job, nothing found now", testing::exampleInputs(), everyNth(20, 100, 4), false},
    {"example job, nothing found with or without a gear more", testing::exampleInputs(), everyNth(24, 96, 8), false},
    {"climb cut, 4 results now", job(1, ".04", "8", "47", "31"), everyNth(20, 110, 5), false},
    {"climb cut, 31 results now", job(1, ".04", "8", "47", "31"), everyNth(24, 110, 4), false},
    {"left-hand hob, literal algorithm", job(5, ".0125", "12", "64", "23.5"), everyNth(20, 110, 7), true},
};

// Each addition tried the plain way: a solve run on the stock with that gear more.
TEST(Advisor, EverySuggestionIsWhatASolveRunWithThatGearGives) {
  for (const Case& c : kCases) {
    SolveOptions options;
    options.processors = 2;
    options.exact = c.exact;
    std::vector<int> progress;
    AdvisorCallbacks callbacks;
    callbacks.progress = [&](int tried, int candidates) {
      EXPECT_EQ(candidates, kToothCountKinds) << c.name;
      progress.push_back(tried);
    };
    const AdvisorReport report = advise(c.inputs, c.stock, options, callbacks);

    SolveOptions plain;
    plain.processors = 2;
    const SolveReport now = solve(c.inputs, c.stock, plain);
    std::vector<Suggestion> expected;
    for (int t = kFirstToothCount; t <= kLastToothCount; ++t) {
      GearStock more = c.stock;
      more.setCount(t, c.stock.count(t) + 1);
      const SolveReport run = solve(c.inputs, more, plain);
      if (!run.results.empty() && (now.results.empty() || run.results[0].feedError < now.results[0].feedError))
        expected.push_back({t, run.results.size(), run.results[0]});
    }
    std::stable_sort(expected.begin(), expected.end(), [](const Suggestion& a, const Suggestion& b) {
      return a.best.feedError < b.best.feedError || (a.best.feedError == b.best.feedError && a.add < b.add);
    });

    EXPECT_FALSE(report.failed || report.stopped) << c.name;
    EXPECT_EQ(report.candidates, kToothCountKinds) << c.name;
    EXPECT_EQ(report.tried, kToothCountKinds) << c.name;
    EXPECT_EQ(progress.size(), static_cast<std::size_t>(kToothCountKinds)) << c.name;
    for (std::size_t k = 0; k < progress.size(); ++k) EXPECT_EQ(progress[k], static_cast<int>(k) + 1) << c.name;
    EXPECT_EQ(report.nowCount, now.results.size()) << c.name;
    EXPECT_EQ(report.nowBest.has_value(), !now.results.empty()) << c.name;
    ASSERT_EQ(report.suggestions.size(), expected.size()) << c.name;
    for (std::size_t k = 0; k < expected.size(); ++k) {
      const Suggestion& got = report.suggestions[k];
      const std::string what = std::string(c.name) + ", suggestion " + std::to_string(k + 1);
      EXPECT_EQ(got.add, expected[k].add) << what;
      EXPECT_EQ(got.count, expected[k].count) << what;
      EXPECT_TRUE(solver::sameGears(got.best, expected[k].best)) << what;
      EXPECT_EQ(got.best.feedError, expected[k].best.feedError) << what;
      EXPECT_EQ(got.best.cConstant, expected[k].best.cConstant) << what;
    }
  }
}

// A run that keeps only results below a feed error keeps exactly the results of the
// whole run below it, with the shortcuts and without.
TEST(Advisor, ARunBelowAFeedErrorKeepsTheWholeRunsResultsBelowIt) {
  for (const Case& c : kCases) {
    SolveOptions options;
    options.processors = 2;
    options.exact = c.exact;
    GearStock stock = c.stock;
    for (int t = 31; t <= 70; t += 3) stock.setCount(t, 1);
    const SolveReport whole = solve(c.inputs, stock, options);
    ASSERT_FALSE(whole.results.empty()) << c.name;
    for (std::size_t k : {std::size_t{0}, whole.results.size() / 2, whole.results.size() - 1}) {
      options.feedErrorBelow = whole.results[k].feedError;
      const SolveReport below = solve(c.inputs, stock, options);
      std::size_t j = 0;
      while (j < whole.results.size() && whole.results[j].feedError < *options.feedErrorBelow) ++j;
      ASSERT_EQ(below.results.size(), j) << c.name << ", below result " << k + 1;
      for (std::size_t i = 0; i < j; ++i)
        EXPECT_TRUE(solver::sameGears(below.results[i], whole.results[i])) << c.name << ", result " << i + 1;
    }
  }
}

// A stock that holds 7 of a tooth count leaves it out; the stop flag ends the advisor
// early and leaves the runs it cut short out of the count.
TEST(Advisor, FullCountsAreNotTriedAndAStopEndsEarly) {
  GearStock stock = everyNth(20, 100, 4);
  stock.setCount(40, 7);
  stock.setCount(41, 7);
  std::atomic<bool> stop{false};
  AdvisorCallbacks callbacks;
  callbacks.stop = &stop;
  callbacks.progress = [&](int tried, int) {
    if (tried == 3) stop = true;
  };
  SolveOptions options;
  options.processors = 2;
  const AdvisorReport report = advise(testing::exampleInputs(), stock, options, callbacks);
  EXPECT_EQ(report.candidates, kToothCountKinds - 2);
  EXPECT_TRUE(report.stopped);
  EXPECT_GE(report.tried, 3);
  EXPECT_LT(report.tried, report.candidates);
}

}  // namespace
}  // namespace hobwise
