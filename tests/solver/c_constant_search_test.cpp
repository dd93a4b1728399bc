#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "solver/solver_internal.h"
#include "test_support.h"

namespace hobwise::solver {
namespace {

using testing::stockOf;

// A job whose index formula is K T c / (c N + s).
JobParameters indexJob(int k, int t, int n, int s) {
  JobParameters job;
  job.indexConstant = k, job.hobThreads = t, job.teeth = n, job.sign = s;
  return job;
}

// A job whose index formula is just c (N = 0), so that the target and the band ends
// are the C constants themselves.
JobParameters linearJob(const char* target, const char* low, const char* high) {
  JobParameters job = indexJob(1, 1, 0, 1);
  const auto value = [](const char* t) { return t ? DecFloat(t) : std::numeric_limits<DecFloat>::quiet_NaN(); };
  job.requiredC = value(target), job.cLow = value(low), job.cHigh = value(high);
  return job;
}

CConstantRecord recordOf(int g0, int g1, int g2, int g3, const DecFloat& c = 0) {
  const auto u = [](int teeth) { return static_cast<std::uint16_t>(teeth); };
  return CConstantRecord{u(g0), u(g1), u(g2), u(g3), 0, c};
}

DecFloat ratioOf(const CConstantRecord& r) { return quotient(std::uint64_t{r.g2} * r.g3, std::uint64_t{r.g0} * r.g1); }

TEST(IndexTrainSearch, TrainsInTheBandOnePerRatioError) {
  const GearStock four = stockOf({{20, 2}, {30, 2}, {40, 2}, {60, 2}});
  const GearStock five = stockOf({{20, 2}, {24, 2}, {30, 2}, {40, 2}, {60, 2}});
  const struct {
    const char* what;
    GearStock stock;
    const char *target, *low, *high;
    std::vector<const char*> ratios;  // ratios that must be recorded once each
    int records;                      // how many records in all (-1: not pinned)
  } cases[] = {
      {"one ratio of many trains", four, "1.52", "1.45", "1.55", {"1.5"}, 1},
      {"equally far above and below", five, "1.55", "1.4", "1.7", {"1.5", "1.6"}, -1},
      {"band ends reversed", five, "1.55", "1.7", "1.4", {"1.5", "1.6"}, -1},
      // Trains of 1.5 needing 20, 40 or 60 twice fail; 60x30 over 40x30 passes.
      {"stock check", stockOf({{20, 1}, {30, 2}, {40, 1}, {60, 1}}), "1.52", "1.45", "1.55", {"1.5"}, 1},
      {"empty band", four, "1.5", "1.5", "1.5", {}, 0},
      {"NaN band end", four, "1.5", nullptr, "2", {}, 0},
      {"NaN job", four, nullptr, nullptr, nullptr, {}, 0},
  };
  for (const auto& c : cases) {
    const JobParameters job = linearJob(c.target, c.low, c.high);
    const auto pairs = buildPairTable(gearSetFrom(c.stock));
    const StockSnapshot stock = StockSnapshot::of(c.stock, false);
    RatioErrorSet plainSet, fastSet;
    const auto plain = searchIndexTrainsPlain(job, pairs, stock, plainSet);
    const auto fast = searchIndexTrains(job, pairs, stock, fastSet);
    ASSERT_EQ(plain.size(), fast.size()) << c.what;
    if (c.records >= 0) {
      EXPECT_EQ(plain.size(), static_cast<std::size_t>(c.records)) << c.what;
    }
    EXPECT_EQ(plainSet, fastSet) << c.what;
    for (std::size_t k = 0; k < plain.size(); ++k) {
      EXPECT_EQ(std::tie(plain[k].g0, plain[k].g1, plain[k].g2, plain[k].g3),
                std::tie(fast[k].g0, fast[k].g1, fast[k].g2, fast[k].g3)) << c.what << " " << k;
      EXPECT_EQ(plain[k].ratioError, boost::multiprecision::abs(ratioOf(plain[k]) - DecFloat(c.target))) << c.what;
      const std::uint16_t four[] = {plain[k].g0, plain[k].g1, plain[k].g2, plain[k].g3};
      EXPECT_TRUE(checkStockPlain(stock, four)) << c.what;
    }
    for (const char* ratio : c.ratios)
      EXPECT_EQ(std::count_if(plain.begin(), plain.end(), [&](const auto& r) { return ratioOf(r) == DecFloat(ratio); }), 1)
          << c.what << " " << ratio;
  }
}

TEST(CConstants, WholeAndFiniteTests) {
  EXPECT_TRUE(passesWholeTest(DecFloat(5) + DecFloat(1e-110)));
  EXPECT_FALSE(passesWholeTest(DecFloat("4.9999")));
  EXPECT_FALSE(passesWholeTest(DecFloat(5) - DecFloat(1e-95)));
  EXPECT_TRUE(passesFiniteTest(DecFloat("12.34567890123") + DecFloat(1e-110)));
  EXPECT_FALSE(passesFiniteTest(DecFloat(1) / DecFloat(3)));
  EXPECT_FALSE(passesFiniteTest(DecFloat("12.345678901234")));
}

TEST(CConstants, AssignedAndFilteredByTheOptions) {
  const JobParameters job = indexJob(30, 1, 40, 1);
  // 50 x 30 over 67 x 30 = 150/201: c = 5; 28 x 16 over 26 x 23: c = 22.4; 30 x 20 over
  // 31 x 26 = 300/403: c = 10/3.
  const std::vector<CConstantRecord> records = {recordOf(67, 30, 50, 30), recordOf(26, 23, 28, 16),
                                                recordOf(31, 26, 30, 20)};
  const DecFloat expected[] = {5, DecFloat("22.4"), DecFloat(10) / 3};
  const struct {
    bool whole, finite;
    std::vector<int> kept;
  } cases[] = {{false, false, {0, 1, 2}}, {true, false, {0}}, {false, true, {0, 1}}, {true, true, {0}}};
  for (const auto& c : cases)
    for (bool fast : {false, true})
      for (unsigned threads : {1u, 2u}) {
        auto out = records;
        assignCConstants(job, out, c.whole, c.finite, fast, threads);
        ASSERT_EQ(out.size(), c.kept.size()) << c.whole << c.finite << fast << threads;
        for (std::size_t k = 0; k < out.size(); ++k) {
          EXPECT_EQ(out[k].g0, records[c.kept[k]].g0);
          EXPECT_LT(boost::multiprecision::abs(out[k].cConstant - expected[c.kept[k]]), DecFloat(1e-95));
        }
      }
}

TEST(CConstants, CapOrderAndDistinctness) {
  std::vector<CConstantRecord> capped = {recordOf(1, 1, 1, 1, DecFloat("9999.9999")), recordOf(1, 1, 1, 1, 10000),
                                         recordOf(1, 1, 1, 1, DecFloat(99999) + DecFloat(1e-110))};
  dropOutOfRange(capped);
  ASSERT_EQ(capped.size(), 1u);
  EXPECT_EQ(capped[0].cConstant, DecFloat("9999.9999"));

  // Equal to 80 decimals: one record, the one of the smaller spread (then the first).
  const DecFloat five(5);
  std::vector<CConstantRecord> records = {
      recordOf(90, 20, 80, 20, 7),                          // spread 130
      recordOf(90, 20, 80, 20, five + DecFloat(1e-85)),     // spread 130, same key as 5
      recordOf(50, 40, 45, 40, five),                       // spread 15
      recordOf(60, 40, 50, 40, five - DecFloat(1e-86)),     // spread 30, same key
      recordOf(30, 20, 30, 20, five + DecFloat(1e-70)),     // a different C constant
      recordOf(45, 35, 50, 40, 3), recordOf(50, 40, 45, 35, 3)};  // equal spreads
  orderDistinct(records);
  ASSERT_EQ(records.size(), 4u);
  EXPECT_EQ(records[0].g0, 45);
  EXPECT_EQ(records[1].g0, 50);
  EXPECT_EQ(records[1].cConstant, five);
  EXPECT_EQ(records[2].cConstant, five + DecFloat(1e-70));
  EXPECT_EQ(records[3].cConstant, 7);
}

}  // namespace
}  // namespace hobwise::solver
