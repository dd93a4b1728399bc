#include <gtest/gtest.h>

#include "solver/solver_internal.h"
#include "test_support.h"

namespace hobwise::solver {
namespace {

using testing::stockOf;

// A job whose index formula is just K c (N = 0, s = +1, T = 1), so that the target and
// the band ends are the C constants themselves.
JobParameters linearJob(const DecFloat& target, const DecFloat& low, const DecFloat& high) {
  JobParameters job;
  job.indexConstant = 1;
  job.hobThreads = 1;
  job.teeth = 0;
  job.sign = 1;
  job.requiredC = target;
  job.cLow = low;
  job.cHigh = high;
  return job;
}

DecFloat ratioOf(const CConstantRecord& r) { return quotient(std::uint64_t{r.g2} * r.g3, std::uint64_t{r.g0} * r.g1); }

// Both forms of the index-train search, which must agree record for record.
std::vector<CConstantRecord> searchBoth(const JobParameters& job, const std::vector<GearPair>& pairs,
                                        const StockSnapshot& stock) {
  RatioErrorSet plainSet, fastSet;
  auto plain = searchIndexTrainsPlain(job, pairs, stock, plainSet);
  auto fast = searchIndexTrains(job, pairs, stock, fastSet);
  EXPECT_EQ(plain.size(), fast.size());
  for (std::size_t k = 0; k < std::min(plain.size(), fast.size()); ++k) {
    EXPECT_EQ(plain[k].g0, fast[k].g0);
    EXPECT_EQ(plain[k].g1, fast[k].g1);
    EXPECT_EQ(plain[k].g2, fast[k].g2);
    EXPECT_EQ(plain[k].g3, fast[k].g3);
    EXPECT_EQ(plain[k].ratioError, fast[k].ratioError);
  }
  EXPECT_EQ(plainSet, fastSet);
  return plain;
}

TEST(IndexTrainSearch, TrainsOfOneRatioGiveOneRecord) {
  // 60 x 20 and 40 x 30 over the same driven pair, and many more trains, all of ratio 1.5.
  const auto pairs = buildPairTable(gearSetFrom(stockOf({{20, 2}, {30, 2}, {40, 2}, {60, 2}})));
  const StockSnapshot stock = StockSnapshot::of(stockOf({{20, 2}, {30, 2}, {40, 2}, {60, 2}}), false);
  const auto records = searchBoth(linearJob(DecFloat("1.52"), DecFloat("1.45"), DecFloat("1.55")), pairs, stock);
  int atOneAndAHalf = 0;
  for (const auto& r : records)
    if (ratioOf(r) == DecFloat("1.5")) ++atOneAndAHalf;
  EXPECT_EQ(atOneAndAHalf, 1);
  for (const auto& r : records) {
    EXPECT_EQ(r.cConstant, 0);
    EXPECT_EQ(r.ratioError, boost::multiprecision::abs(ratioOf(r) - DecFloat("1.52")));
  }
}

TEST(IndexTrainSearch, TrainsEquallyFarAboveAndBelowAreBothRecorded) {
  // 1200/800 = 1.5 and 960/600 = 1.6 lie 0.05 below and above 1.55.
  const GearStock gears = stockOf({{20, 2}, {24, 2}, {30, 2}, {40, 2}, {60, 2}});
  const auto pairs = buildPairTable(gearSetFrom(gears));
  const auto records =
      searchBoth(linearJob(DecFloat("1.55"), DecFloat("1.4"), DecFloat("1.7")), pairs, StockSnapshot::of(gears, false));
  bool below = false, above = false;
  for (const auto& r : records) {
    below |= ratioOf(r) == DecFloat("1.5");
    above |= ratioOf(r) == DecFloat("1.6");
  }
  EXPECT_TRUE(below);
  EXPECT_TRUE(above);
}

TEST(IndexTrainSearch, TrainFailingTheStockCheckDoesNotBlockItsRatio) {
  // Of the trains of ratio 1.5, those that need 20, 40 or 60 twice fail; 60x30 over 40x30
  // passes (two of 30 in stock) and must be recorded.
  const GearStock gears = stockOf({{20, 1}, {30, 2}, {40, 1}, {60, 1}});
  const auto pairs = buildPairTable(gearSetFrom(gears));
  const StockSnapshot stock = StockSnapshot::of(gears, false);
  const auto records = searchBoth(linearJob(DecFloat("1.52"), DecFloat("1.45"), DecFloat("1.55")), pairs, stock);
  int atOneAndAHalf = 0;
  for (const auto& r : records) {
    const std::uint16_t four[] = {r.g0, r.g1, r.g2, r.g3};
    EXPECT_TRUE(checkStockPlain(stock, four));
    if (ratioOf(r) == DecFloat("1.5")) ++atOneAndAHalf;
  }
  EXPECT_EQ(atOneAndAHalf, 1);

  // With the check bypassed the first train of ratio 1.5 is recorded, whatever it needs.
  const auto bypassed = searchBoth(linearJob(DecFloat("1.52"), DecFloat("1.45"), DecFloat("1.55")), pairs,
                                   StockSnapshot::of(gears, true));
  EXPECT_GE(bypassed.size(), records.size());
}

TEST(IndexTrainSearch, EmptyBandAcceptsNothing) {
  const GearStock gears = stockOf({{20, 2}, {30, 2}, {40, 2}, {60, 2}});
  const auto pairs = buildPairTable(gearSetFrom(gears));
  const DecFloat t("1.5");
  EXPECT_TRUE(searchBoth(linearJob(t, t, t), pairs, StockSnapshot::of(gears, false)).empty());
  const DecFloat nan = std::numeric_limits<DecFloat>::quiet_NaN();
  EXPECT_TRUE(searchBoth(linearJob(t, nan, DecFloat(2)), pairs, StockSnapshot::of(gears, false)).empty());
  EXPECT_TRUE(searchBoth(linearJob(nan, nan, nan), pairs, StockSnapshot::of(gears, false)).empty());
}

TEST(IndexTrainSearch, BandEndsMayComeInEitherOrder) {
  const GearStock gears = stockOf({{20, 2}, {30, 2}, {40, 2}, {60, 2}});
  const auto pairs = buildPairTable(gearSetFrom(gears));
  const StockSnapshot stock = StockSnapshot::of(gears, false);
  const auto forward = searchBoth(linearJob(DecFloat("1.52"), DecFloat("1.3"), DecFloat("1.7")), pairs, stock);
  const auto backward = searchBoth(linearJob(DecFloat("1.52"), DecFloat("1.7"), DecFloat("1.3")), pairs, stock);
  EXPECT_FALSE(forward.empty());
  ASSERT_EQ(forward.size(), backward.size());
  for (std::size_t k = 0; k < forward.size(); ++k) EXPECT_EQ(forward[k].ratioError, backward[k].ratioError);
}

TEST(CConstantTests, WholeTest) {
  EXPECT_TRUE(passesWholeTest(DecFloat(5) + DecFloat(1e-110)));
  EXPECT_TRUE(passesWholeTest(DecFloat(5)));
  EXPECT_FALSE(passesWholeTest(DecFloat("4.9999")));
  EXPECT_FALSE(passesWholeTest(DecFloat(5) - DecFloat(1e-95)));
}

TEST(CConstantTests, FiniteTestAllowsElevenDecimals) {
  EXPECT_TRUE(passesFiniteTest(DecFloat("12.34567890123") + DecFloat(1e-110)));
  EXPECT_TRUE(passesFiniteTest(DecFloat("7.5")));
  EXPECT_FALSE(passesFiniteTest(DecFloat(1) / DecFloat(3)));
  EXPECT_FALSE(passesFiniteTest(DecFloat("12.345678901234")));
}

CConstantRecord recordOf(int g0, int g1, int g2, int g3) {
  CConstantRecord r;
  r.g0 = static_cast<std::uint16_t>(g0);
  r.g1 = static_cast<std::uint16_t>(g1);
  r.g2 = static_cast<std::uint16_t>(g2);
  r.g3 = static_cast<std::uint16_t>(g3);
  return r;
}

JobParameters indexJob(int k, int t, int n, int s) {
  JobParameters job;
  job.indexConstant = k;
  job.hobThreads = t;
  job.teeth = n;
  job.sign = s;
  return job;
}

TEST(AssignCConstants, OptionsKeepWholeOrFiniteConstants) {
  const JobParameters job = indexJob(30, 1, 40, 1);
  // 50 x 30 over 67 x 30 = 150/201: c = 5. 28 x 16 over 26 x 23 = 224/299: c = 22.4.
  const std::vector<CConstantRecord> records = {recordOf(67, 30, 50, 30), recordOf(26, 23, 28, 16)};
  for (bool fast : {false, true}) {
    for (unsigned threads : {1u, 2u}) {
      auto all = records;
      assignCConstants(job, all, false, false, fast, threads);
      ASSERT_EQ(all.size(), 2u);
      EXPECT_LT(boost::multiprecision::abs(all[0].cConstant - 5), DecFloat(1e-100));
      EXPECT_LT(boost::multiprecision::abs(all[1].cConstant - DecFloat("22.4")), DecFloat(1e-95));

      auto whole = records;
      assignCConstants(job, whole, true, false, fast, threads);
      ASSERT_EQ(whole.size(), 1u);
      EXPECT_EQ(whole[0].g0, 67);

      auto finite = records;
      assignCConstants(job, finite, false, true, fast, threads);
      EXPECT_EQ(finite.size(), 2u);

      auto both = records;  // the whole test wins
      assignCConstants(job, both, true, true, fast, threads);
      EXPECT_EQ(both.size(), 1u);
    }
  }
}

TEST(AssignCConstants, FiniteOptionDropsRepeatingDecimals) {
  const JobParameters job = indexJob(30, 1, 40, 1);
  // c = 10/3: ratio 100 / (400/3 + 1) = 300/403 = 300/(31 x 13); as gears 600 / 806 =
  // (30 x 20) / (31 x 26).
  std::vector<CConstantRecord> records = {recordOf(31, 26, 30, 20)};
  auto all = records;
  assignCConstants(job, all, false, false, false, 1);
  ASSERT_EQ(all.size(), 1u);
  EXPECT_LT(boost::multiprecision::abs(all[0].cConstant - DecFloat(10) / DecFloat(3)), DecFloat(1e-95));
  assignCConstants(job, records, false, true, false, 1);
  EXPECT_TRUE(records.empty());
}

TEST(CConstantRange, CapIsInclusiveAtNineNineNineNine) {
  std::vector<CConstantRecord> records(3);
  records[0].cConstant = DecFloat("9999.9999");
  records[1].cConstant = DecFloat(10000);
  records[2].cConstant = DecFloat(99999) + DecFloat(1e-110);
  dropOutOfRange(records);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].cConstant, DecFloat("9999.9999"));
}

TEST(CConstantOrder, SortedDistinctToEightyDecimalsSmallerSpreadFirst) {
  std::vector<CConstantRecord> records;
  auto add = [&](int g0, int g1, int g2, int g3, const DecFloat& c) {
    records.push_back(recordOf(g0, g1, g2, g3));
    records.back().cConstant = c;
  };
  const DecFloat five(5);
  add(90, 20, 80, 20, DecFloat(7));                    // spread 130
  add(90, 20, 80, 20, five + DecFloat(1e-85));         // spread 130, same key as 5
  add(50, 40, 45, 40, five);                           // spread 15
  add(60, 40, 50, 40, five - DecFloat(1e-86));         // spread 30, same key
  add(30, 20, 30, 20, five + DecFloat(1e-70));         // a different C constant
  add(40, 40, 40, 40, DecFloat(3));                    // spread 0
  add(41, 40, 40, 40, DecFloat(3));                    // spread 1, same key, after
  orderDistinct(records);
  ASSERT_EQ(records.size(), 4u);
  EXPECT_EQ(records[0].cConstant, DecFloat(3));
  EXPECT_EQ(records[0].g0, 40);
  EXPECT_EQ(records[1].cConstant, five);
  EXPECT_EQ(records[1].g0, 50);
  EXPECT_EQ(records[2].cConstant, five + DecFloat(1e-70));
  EXPECT_EQ(records[3].cConstant, DecFloat(7));
}

TEST(CConstantOrder, EqualKeysAndSpreadsKeepListOrder) {
  std::vector<CConstantRecord> records = {recordOf(50, 40, 45, 35), recordOf(45, 35, 50, 40)};
  records[0].cConstant = DecFloat(2);
  records[1].cConstant = DecFloat(2);
  orderDistinct(records);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].g0, 50);
}

TEST(SolveCConstantFast, SameValueAsThePlainBisection) {
  std::uint32_t seed = 777;
  auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return seed >> 8;
  };
  for (int s : {1, -1}) {
    for (int round = 0; round < 40; ++round) {
      JobParameters job = indexJob(static_cast<int>(1 + next() % 120), static_cast<int>(1 + next() % 3),
                                   static_cast<int>(1 + next() % 200), s);
      const std::uint64_t a = (16 + next() % 154) * (16 + next() % 154);
      const std::uint64_t b = (16 + next() % 154) * (16 + next() % 154);
      const DecFloat ratio = quotient(a, b);
      EXPECT_EQ(solveCConstantFast(job, ratio), solveCConstant(job, ratio)) << s << " " << round;
    }
  }
  // Ratios made by whole and by decimal C constants, both directions.
  for (int s : {1, -1}) {
    const JobParameters job = indexJob(30, 1, 40, s);
    for (const char* c : {"5", "22.4", "0.02", "1234.5", "0.025", "9999.9999"}) {
      const DecFloat ratio = indexRatioFor(job, DecFloat(c));
      EXPECT_EQ(solveCConstantFast(job, ratio), solveCConstant(job, ratio)) << s << " " << c;
    }
    const DecFloat nan = std::numeric_limits<DecFloat>::quiet_NaN();
    EXPECT_EQ(solveCConstantFast(job, nan), solveCConstant(job, nan));
    EXPECT_EQ(solveCConstantFast(job, DecFloat(0)), solveCConstant(job, DecFloat(0)));
    EXPECT_EQ(solveCConstantFast(job, DecFloat("0.75")), solveCConstant(job, DecFloat("0.75")));
  }
}

}  // namespace
}  // namespace hobwise::solver
