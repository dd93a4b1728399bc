#include <gtest/gtest.h>

#include "solver/solver_internal.h"
#include "test_support.h"

namespace hobwise::solver {
namespace {

using testing::stockOf;

TEST(WorkDivision, MoreConstantsThanProcessors) {
  EXPECT_EQ(divideWork(10, 4), (std::vector<WorkRange>{{0, 3}, {3, 6}, {6, 9}, {9, 10}}));
  EXPECT_EQ(divideWork(9, 4), (std::vector<WorkRange>{{0, 3}, {3, 6}, {6, 9}, {9, 9}}));
  EXPECT_EQ(divideWork(5, 1), (std::vector<WorkRange>{{0, 5}}));
  // Trailing workers may get nothing: 5 on 4 takes chunks of 2.
  EXPECT_EQ(divideWork(5, 4), (std::vector<WorkRange>{{0, 2}, {2, 4}, {4, 5}, {5, 5}}));
}

TEST(WorkDivision, NoMoreConstantsThanProcessors) {
  EXPECT_EQ(divideWork(2, 8), (std::vector<WorkRange>{{0, 1}, {1, 2}}));
  EXPECT_EQ(divideWork(4, 4), (std::vector<WorkRange>{{0, 1}, {1, 2}, {2, 3}, {3, 4}}));
  EXPECT_TRUE(divideWork(0, 4).empty());
  // No processor count: one worker.
  EXPECT_EQ(divideWork(3, 0), (std::vector<WorkRange>{{0, 3}}));
}

FoundResult findOf(const char* error, int f0, int f1 = 20) {
  FoundResult f;
  f.f0 = static_cast<std::uint16_t>(f0);
  f.f1 = static_cast<std::uint16_t>(f1);
  f.f2 = f.f3 = f.i0 = f.i1 = f.i2 = f.i3 = 40;
  f.feedError = DecFloat(error);
  return f;
}

std::vector<DecFloat> errorsOf(const WorkerList& list) {
  std::vector<DecFloat> errors;
  for (const auto& e : list.entries) errors.push_back(e.feedError);
  return errors;
}

TEST(WorkerList, KeepsEveryFindWhileNotFull) {
  WorkerList list;
  list.insert(findOf("0.0005", 50));
  list.insert(findOf("0.0007", 51));
  list.insert(findOf("0.0002", 52));
  EXPECT_EQ(errorsOf(list), (std::vector<DecFloat>{DecFloat("0.0002"), DecFloat("0.0005"), DecFloat("0.0007")}));
  ASSERT_EQ(list.approxError.size(), 3u);
  EXPECT_EQ(list.approxError[0], 0.0002);
}

TEST(WorkerList, SameGearsEnterOnce) {
  WorkerList list;
  list.insert(findOf("0.0005", 50));
  list.insert(findOf("0.0005", 50));
  list.insert(findOf("0.0005", 49));
  ASSERT_EQ(list.entries.size(), 2u);
  // Equal errors in gear order.
  EXPECT_EQ(list.entries[0].f0, 49);
  EXPECT_EQ(list.entries[1].f0, 50);
}

TEST(WorkerList, HoldsTheFourHundredBest) {
  WorkerList list;
  // 450 finds of errors 450e-6 down to 1e-6, then one that ties the last entry.
  for (int k = 450; k >= 1; --k) list.insert(findOf(("0.000" + std::to_string(1000 + k).substr(1)).c_str(), 16 + k % 150, 16 + k / 150));
  ASSERT_EQ(list.entries.size(), 400u);
  EXPECT_EQ(list.entries.front().feedError, DecFloat("0.000001"));
  EXPECT_EQ(list.entries.back().feedError, DecFloat("0.000400"));
  for (std::size_t k = 1; k < list.entries.size(); ++k)
    EXPECT_TRUE(resultBefore(list.entries[k - 1], list.entries[k]));
  FoundResult worse = findOf("0.0004", 169, 169);  // same error, later gears: stays out
  EXPECT_FALSE(list.admits(worse));
  FoundResult better = findOf("0.0004", 16, 16);  // same error, earlier gears: gets in
  EXPECT_TRUE(list.admits(better));
  list.insert(better);
  EXPECT_EQ(list.entries.size(), 400u);
  EXPECT_EQ(list.entries.back().f0, 16);
}

// A job in which the feed ratio that a C constant asks for is simply 1 / c.
JobParameters unitJob(const DecFloat& feedRate) {
  JobParameters job;
  job.normalPitch = 1;
  job.sinHelix = 1;
  job.feedFactor = 1;
  job.feedRate = feedRate;
  return job;
}

CConstantRecord recordFor(const DecFloat& c) {
  CConstantRecord r;
  r.g0 = 53;
  r.g1 = 50;
  r.g2 = 52;
  r.g3 = 51;
  r.cConstant = c;
  return r;
}

// Runs both forms of the feed search for one C constant and checks that they agree.
WorkerList searchBoth(const FeedSearch& search, const CConstantRecord& record) {
  WorkerList plain, fast;
  search.searchPlain(record, plain);
  search.search(record, fast);
  EXPECT_EQ(plain.entries.size(), fast.entries.size());
  for (std::size_t k = 0; k < std::min(plain.entries.size(), fast.entries.size()); ++k) {
    EXPECT_TRUE(sameGears(plain.entries[k], fast.entries[k])) << k;
    EXPECT_EQ(plain.entries[k].feedError, fast.entries[k].feedError) << k;
    EXPECT_EQ(plain.entries[k].cConstant, fast.entries[k].cConstant) << k;
  }
  return plain;
}

TEST(FeedSearch, ErrorMustStayBelowOneThousandth) {
  // Only 40 in stock: the single feed train 40x40 over 40x40 has ratio 1.
  const GearStock gears = stockOf({{40, 4}});
  const auto pairs = buildPairTable(gearSetFrom(gears));
  const StockSnapshot stock = StockSnapshot::of(gears, false);
  const JobParameters job = unitJob(DecFloat(1));
  const FeedSearch search(job, pairs, stock);

  const WorkerList near = searchBoth(search, recordFor(DecFloat(1) / DecFloat("1.00099")));
  ASSERT_EQ(near.entries.size(), 1u);
  const FoundResult& f = near.entries[0];
  EXPECT_EQ(f.f0, 40);
  EXPECT_EQ(f.f3, 40);
  EXPECT_EQ(f.i0, 53);
  EXPECT_EQ(f.i3, 51);
  EXPECT_LT(boost::multiprecision::abs(f.feedError - DecFloat("0.00099")), DecFloat(1e-95));
  EXPECT_EQ(f.cConstant, DecFloat(1) / DecFloat("1.00099"));

  EXPECT_TRUE(searchBoth(search, recordFor(DecFloat(1) / DecFloat("1.0011"))).entries.empty());
  EXPECT_TRUE(searchBoth(search, recordFor(DecFloat(1) / DecFloat("0.9989"))).entries.empty());
  EXPECT_EQ(searchBoth(search, recordFor(DecFloat(1) / DecFloat("0.9991"))).entries.size(), 1u);
}

TEST(FeedSearch, StockMustHoldAllEightGears) {
  // Four 40s for the feed train: with three in stock nothing is found.
  const GearStock gears = stockOf({{40, 3}});
  const auto pairs = buildPairTable(gearSetFrom(gears));
  const JobParameters job = unitJob(DecFloat(1));
  const StockSnapshot strictStock = StockSnapshot::of(gears, false);
  const FeedSearch strict(job, pairs, strictStock);
  EXPECT_TRUE(searchBoth(strict, recordFor(DecFloat(1))).entries.empty());
  const StockSnapshot bypassStock = StockSnapshot::of(gears, true);
  const FeedSearch bypass(job, pairs, bypassStock);
  EXPECT_EQ(searchBoth(bypass, recordFor(DecFloat(1))).entries.size(), 1u);
}

TEST(FeedSearch, ActualFeedMustLieNearTheWantedFeed) {
  const GearStock gears = stockOf({{40, 4}});
  const auto pairs = buildPairTable(gearSetFrom(gears));
  const StockSnapshot stock = StockSnapshot::of(gears, false);
  // The train's actual feed is 1; wanted 1.0049 keeps it, 1.0051 and 0.9949 do not.
  for (const char* wanted : {"1.0049", "0.9951", "1"}) {
    const JobParameters job = unitJob(DecFloat(wanted));
    EXPECT_EQ(searchBoth(FeedSearch(job, pairs, stock), recordFor(DecFloat(1))).entries.size(), 1u) << wanted;
  }
  for (const char* wanted : {"1.0051", "0.9949"}) {
    const JobParameters job = unitJob(DecFloat(wanted));
    EXPECT_TRUE(searchBoth(FeedSearch(job, pairs, stock), recordFor(DecFloat(1))).entries.empty()) << wanted;
  }
  // A NaN wanted feed keeps the train.
  const JobParameters nanJob = unitJob(std::numeric_limits<DecFloat>::quiet_NaN());
  EXPECT_EQ(searchBoth(FeedSearch(nanJob, pairs, stock), recordFor(DecFloat(1))).entries.size(), 1u);
}

TEST(FeedSearch, ManyFindsFillTheListToFourHundred) {
  // Tooth counts 16 to 100, ratio 1 asked for: many pairs over a pair of equal product.
  GearStock gears;
  for (int t = 16; t <= 100; ++t) gears.setCount(t, 7);
  const auto pairs = buildPairTable(gearSetFrom(gears));
  const JobParameters job = unitJob(DecFloat(1));
  const StockSnapshot stock = StockSnapshot::of(gears, false);
  const FeedSearch search(job, pairs, stock);
  const WorkerList list = searchBoth(search, recordFor(DecFloat("0.9999")));
  ASSERT_EQ(list.entries.size(), 400u);
  for (std::size_t k = 1; k < list.entries.size(); ++k) {
    EXPECT_TRUE(resultBefore(list.entries[k - 1], list.entries[k])) << k;
  }
}

TEST(FeedSearch, NoFiniteRatioAskedForFindsNothing) {
  const GearStock gears = stockOf({{40, 4}, {50, 4}});
  const auto pairs = buildPairTable(gearSetFrom(gears));
  const JobParameters job = unitJob(DecFloat(1));
  const StockSnapshot stock = StockSnapshot::of(gears, false);
  const FeedSearch search(job, pairs, stock);
  EXPECT_TRUE(searchBoth(search, recordFor(DecFloat(0))).entries.empty());  // infinite ratio
  EXPECT_TRUE(searchBoth(search, recordFor(std::numeric_limits<DecFloat>::quiet_NaN())).entries.empty());
  EXPECT_TRUE(searchBoth(search, recordFor(DecFloat(-1))).entries.empty());
  EXPECT_TRUE(searchBoth(search, recordFor(DecFloat("1e-300"))).entries.empty());
  EXPECT_TRUE(searchBoth(search, recordFor(DecFloat("1e300"))).entries.empty());
}

FoundResult resultOf(int f0, int f1, int f2, int f3, const char* error) {
  FoundResult f;
  f.f0 = static_cast<std::uint16_t>(f0);
  f.f1 = static_cast<std::uint16_t>(f1);
  f.f2 = static_cast<std::uint16_t>(f2);
  f.f3 = static_cast<std::uint16_t>(f3);
  f.i0 = 53;
  f.i1 = 50;
  f.i2 = 52;
  f.i3 = 51;
  f.feedError = DecFloat(error);
  f.cConstant = 1;
  return f;
}

TEST(Trimming, SortsAndRemovesRepeats) {
  const JobParameters job = unitJob(DecFloat(1));
  std::vector<FoundResult> found = {resultOf(40, 40, 40, 40, "0.0003"), resultOf(50, 40, 50, 40, "0.0001"),
                                    resultOf(40, 40, 40, 40, "0.0003"), resultOf(45, 40, 45, 40, "0.0003")};
  const auto trimmed = trimResults(found, job);
  ASSERT_EQ(trimmed.size(), 3u);
  EXPECT_EQ(trimmed[0].f0, 50);
  EXPECT_EQ(trimmed[1].f0, 40);  // equal errors in gear order
  EXPECT_EQ(trimmed[2].f0, 45);
}

TEST(Trimming, FeedWindowOfFiveThousandths) {
  // Actual feed 1 (ratio 1, F = 1).
  std::vector<FoundResult> one = {resultOf(40, 40, 40, 40, "0.0001")};
  EXPECT_EQ(trimResults(one, unitJob(DecFloat("0.9951"))).size(), 1u);   // 0.0049 above
  EXPECT_EQ(trimResults(one, unitJob(DecFloat("1.0049"))).size(), 1u);   // 0.0049 below
  EXPECT_TRUE(trimResults(one, unitJob(DecFloat("0.9949"))).empty());    // 0.0051 above
  EXPECT_TRUE(trimResults(one, unitJob(DecFloat("1.0051"))).empty());    // 0.0051 below
  EXPECT_EQ(trimResults(one, unitJob(std::numeric_limits<DecFloat>::quiet_NaN())).size(), 1u);
}

TEST(Trimming, KeepsTheTwoHundredBest) {
  std::vector<FoundResult> found;
  for (int k = 0; k < 260; ++k) {
    const std::string error = "0.000" + std::to_string(1000 + (k * 37) % 260);
    found.push_back(resultOf(16 + k % 150, 16 + k / 150, 40, 40, error.c_str()));
  }
  // Ratio 1600/(f0 f1) is far from 1 for most: keep the feed test out of the way.
  JobParameters job = unitJob(std::numeric_limits<DecFloat>::quiet_NaN());
  const auto trimmed = trimResults(found, job);
  ASSERT_EQ(trimmed.size(), 200u);
  EXPECT_EQ(trimmed.front().feedError, DecFloat("0.0001000"));
  EXPECT_EQ(trimmed.back().feedError, DecFloat("0.0001199"));
}

}  // namespace
}  // namespace hobwise::solver
