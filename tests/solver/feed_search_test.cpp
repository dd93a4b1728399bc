#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "solver/solver_internal.h"
#include "test_support.h"

namespace hobwise::solver {
namespace {

using testing::stockOf;
const DecFloat kNaN = std::numeric_limits<DecFloat>::quiet_NaN();

DecFloat decimal(int digits, int exponent) { return DecFloat((std::to_string(digits) + "e" + std::to_string(exponent)).c_str()); }

TEST(WorkDivision, ContiguousChunksOnePerWorker) {
  const struct { std::size_t k; unsigned processors; std::vector<WorkRange> expected; } cases[] = {
      {10, 4, {{0, 3}, {3, 6}, {6, 9}, {9, 10}}}, {9, 4, {{0, 3}, {3, 6}, {6, 9}, {9, 9}}},
      {5, 4, {{0, 2}, {2, 4}, {4, 5}, {5, 5}}},   {5, 1, {{0, 5}}},
      {2, 8, {{0, 1}, {1, 2}}},                   {0, 4, {}},
      {3, 0, {{0, 3}}},
  };
  for (const auto& c : cases) EXPECT_EQ(divideWork(c.k, c.processors), c.expected) << c.k << " on " << c.processors;
}

FoundResult resultOf(const DecFloat& error, int f0, int f1 = 40) {
  return FoundResult{static_cast<std::uint16_t>(f0), static_cast<std::uint16_t>(f1), 40, 40, 53, 50, 52, 51, error, 1};
}

TEST(WorkerList, HoldsTheFourHundredBestOnceEach) {
  WorkerList list;
  list.insert(resultOf(DecFloat("0.0005"), 50));
  list.insert(resultOf(DecFloat("0.0005"), 50));  // the other copy of the same pair
  list.insert(resultOf(DecFloat("0.0005"), 49));
  ASSERT_EQ(list.entries.size(), 2u);
  EXPECT_EQ(list.entries[0].f0, 49);  // equal errors in gear order
  for (int k = 450; k >= 1; --k) list.insert(resultOf(decimal(k, -6), 16 + k % 150, 16 + k / 150));
  ASSERT_EQ(list.entries.size(), 400u);
  ASSERT_EQ(list.approxError.size(), 400u);
  EXPECT_EQ(list.entries.front().feedError, DecFloat("0.000001"));
  EXPECT_EQ(list.approxError.front(), 0.000001);
  EXPECT_EQ(list.entries.back().feedError, DecFloat("0.0004"));
  for (std::size_t k = 1; k < list.entries.size(); ++k) EXPECT_TRUE(resultBefore(list.entries[k - 1], list.entries[k]));
  EXPECT_FALSE(list.admits(resultOf(DecFloat("0.0004"), 169, 169)));  // tie, later gears
  list.insert(resultOf(DecFloat("0.0004"), 16, 16));                   // tie, earlier gears
  EXPECT_EQ(list.entries.size(), 400u);
  EXPECT_EQ(list.entries.back().f0, 16);
}

// A job in which the feed ratio that a C constant asks for is simply 1 / c, and the
// actual feed is the ratio itself.
JobParameters unitJob(const DecFloat& feedRate) {
  JobParameters job;
  job.normalPitch = 1, job.sinHelix = 1, job.feedFactor = 1, job.feedRate = feedRate;
  return job;
}

TEST(FeedSearch, BothFormsFindTheTrainsOfTheRules) {
  // One 40 tooth count: the only feed train, 40x40 over 40x40, has ratio and feed 1.
  const struct {
    const char* what;
    int forties;  // in stock
    bool bypass;
    DecFloat feedRate, c;
    std::size_t found;
  } cases[] = {
      {"error 0.00099", 4, false, 1, DecFloat(1) / DecFloat("1.00099"), 1},
      {"error 0.0009 below", 4, false, 1, DecFloat(1) / DecFloat("0.9991"), 1},
      {"error 0.0011", 4, false, 1, DecFloat(1) / DecFloat("1.0011"), 0},
      {"error 0.0011 below", 4, false, 1, DecFloat(1) / DecFloat("0.9989"), 0},
      {"three 40s for four", 3, false, 1, 1, 0},
      {"three 40s, bypassed", 3, true, 1, 1, 1},
      {"feed 0.0049 below", 4, false, DecFloat("1.0049"), 1, 1},
      {"feed 0.0049 above", 4, false, DecFloat("0.9951"), 1, 1},
      {"feed 0.0051 below", 4, false, DecFloat("1.0051"), 1, 0},
      {"feed 0.0051 above", 4, false, DecFloat("0.9949"), 1, 0},
      {"NaN feed rate", 4, false, kNaN, 1, 1},
      {"infinite ratio", 4, false, 1, 0, 0},
      {"NaN ratio", 4, false, 1, kNaN, 0},
      {"negative ratio", 4, false, 1, -1, 0},
      {"tiny c", 4, false, 1, DecFloat("1e-300"), 0},
      {"huge c", 4, false, 1, DecFloat("1e300"), 0},
  };
  for (const auto& c : cases) {
    const GearStock gears = stockOf({{40, c.forties}});
    const auto pairs = buildPairTable(gearSetFrom(gears));
    const StockSnapshot stock = StockSnapshot::of(gears, c.bypass);
    const JobParameters job = unitJob(c.feedRate);
    const FeedSearch search(job, pairs, stock);
    const CConstantRecord record{53, 50, 52, 51, 0, c.c};  // index train 52 x 51 over 53 x 50
    WorkerList plain, fast;
    search.searchPlain(record, plain), search.search(record, fast);
    for (const WorkerList* list : {&plain, &fast}) {
      ASSERT_EQ(list->entries.size(), c.found) << c.what;
      if (c.found == 0) continue;
      const FoundResult& f = list->entries[0];
      EXPECT_EQ(std::tie(f.f0, f.f3, f.i0, f.i1, f.i2, f.i3), std::make_tuple(40, 40, 53, 50, 52, 51)) << c.what;
      EXPECT_EQ(f.cConstant, c.c) << c.what;
      EXPECT_EQ(f.feedError, boost::multiprecision::abs(1 - 1 / c.c)) << c.what;
    }
  }
}

TEST(Trimming, SortedWithoutRepeatsInTheFeedWindowTwoHundredAtMost) {
  const std::vector<FoundResult> found = {resultOf(DecFloat("0.0003"), 40), resultOf(DecFloat("0.0001"), 50, 32),
                                          resultOf(DecFloat("0.0003"), 40), resultOf(DecFloat("0.0003"), 45)};
  const auto trimmed = trimResults(found, unitJob(kNaN));
  ASSERT_EQ(trimmed.size(), 3u);
  EXPECT_EQ(trimmed[0].f0, 50);
  EXPECT_EQ(trimmed[1].f0, 40);  // equal errors in gear order
  EXPECT_EQ(trimmed[2].f0, 45);
  // Feed 1 (40x40 over 40x40) against wanted feeds 0.0049 and 0.0051 off.
  for (const char* wanted : {"0.9951", "1.0049"})
    EXPECT_EQ(trimResults({found[0]}, unitJob(DecFloat(wanted))).size(), 1u) << wanted;
  for (const char* wanted : {"0.9949", "1.0051"})
    EXPECT_TRUE(trimResults({found[0]}, unitJob(DecFloat(wanted))).empty()) << wanted;

  std::vector<FoundResult> many;
  for (int k = 0; k < 260; ++k) many.push_back(resultOf(decimal(1000 + (k * 37) % 260, -7), 16 + k % 150, 16 + k / 150));
  const auto best = trimResults(many, unitJob(kNaN));
  ASSERT_EQ(best.size(), 200u);
  EXPECT_EQ(best.front().feedError, DecFloat("0.0001"));
  EXPECT_EQ(best.back().feedError, DecFloat("0.0001199"));
}

}  // namespace
}  // namespace hobwise::solver
