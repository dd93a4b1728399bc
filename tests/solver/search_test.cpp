// The searches of the solver: pairs and stock, index trains and their C constants, feed
// trains, the workers' lists and the trimming.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>

#include "solver/internal/c_constant_search.h"
#include "solver/internal/feed_search.h"
#include "solver/internal/pair_table.h"
#include "solver/internal/worker_list.h"
#include "test_support.h"

namespace hobwise::solver {
namespace {

using testing::stockOf;

TEST(PairTable, PairsOfTheGearSetInProductOrder) {
  EXPECT_EQ(gearSetFrom(stockOf({{40, 3}, {16, 1}, {169, 7}, {90, 0}})), (std::vector<std::uint32_t>{16, 40, 169}));
  EXPECT_EQ(gearSetFrom(GearStock::defaultStock()).size(), 51u);
  // 20 x 60 and 30 x 40 both make 1200: equal products keep the order they were made in.
  const auto pairs = buildPairTable(gearSetFrom(stockOf({{20, 1}, {30, 1}, {40, 1}, {60, 1}})));
  ASSERT_EQ(pairs.size(), 16u);
  std::vector<std::pair<int, int>> at1200;
  for (const auto& p : pairs)
    if (p.product == 1200) at1200.emplace_back(p.larger, p.smaller);
  EXPECT_EQ(at1200, (std::vector<std::pair<int, int>>{{60, 20}, {40, 30}, {40, 30}, {60, 20}}));
  for (std::size_t k = 1; k < pairs.size(); ++k) EXPECT_LE(pairs[k - 1].product, pairs[k].product);
  EXPECT_EQ(pairs.front().product, 400u);
  EXPECT_EQ(pairs.back().product, 3600u);
  GearStock full;
  for (int t = kFirstToothCount; t <= kLastToothCount; ++t) full.setCount(t, 2);
  EXPECT_EQ(buildPairTable(gearSetFrom(full)).size(), 154u * 154u);
}

TEST(StockCheck, EachToothCountUsedMoreThanOnceMustBeInStock) {
  const GearStock stock = stockOf({{40, 2}, {50, 1}});
  const struct {
    const char* what;
    std::vector<std::uint16_t> gears;
    bool bypass, expected;
  } cases[] = {
      {"three 40s of two", {40, 50, 40, 40}, false, false},
      {"two 40s of two", {40, 50, 40, 60}, false, true},
      {"bypassed", {40, 50, 40, 40}, true, true},
      {"two 50s of one", {50, 50, 40, 60}, false, false},
      {"used once, out of stock", {20, 30, 40, 50, 60, 70, 80, 90}, false, true},
  };
  for (const auto& c : cases) {
    const StockSnapshot snap = StockSnapshot::of(stock, c.bypass);
    EXPECT_EQ(checkStockPlain(snap, c.gears), c.expected) << c.what;
    EXPECT_EQ(checkStockFast(snap, c.gears), c.expected) << c.what;
  }
}

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

DecFloat ratioOf(const CConstantRecord& r) { return trainRatio(std::uint64_t{r.g2} * r.g3, std::uint64_t{r.g0} * r.g1); }

TEST(IndexTrainSearch, TrainsInTheBandOnePerRatioError) {
  const GearStock four = stockOf({{20, 2}, {30, 2}, {40, 2}, {60, 2}});
  const GearStock five = stockOf({{20, 2}, {24, 2}, {30, 2}, {40, 2}, {60, 2}});
  // The ratios that must be recorded once each, and how many records in all (-1: not pinned).
  const struct { const char* what; GearStock stock; const char *target, *low, *high; std::vector<const char*> ratios; int records; } cases[] = {
      {"one ratio of many trains", four, "1.52", "1.45", "1.55", {"1.5"}, 1},
      {"equally far above and below", five, "1.55", "1.4", "1.7", {"1.5", "1.6"}, -1},
      {"band ends reversed", five, "1.55", "1.7", "1.4", {"1.5", "1.6"}, -1},
      // Trains of 1.5 needing 20, 40 or 60 twice fail; 60x30 over 40x30 passes.
      {"stock check", stockOf({{20, 1}, {30, 2}, {40, 1}, {60, 1}}), "1.52", "1.45", "1.55", {"1.5"}, 1},
      {"empty band", four, "1.5", "1.5", "1.5", {}, 0},
      {"NaN band end", four, "1.5", nullptr, "1.51", {}, 0},
      {"NaN job", four, nullptr, nullptr, nullptr, {}, 0},
  };
  for (const auto& c : cases) {
    const JobParameters job = linearJob(c.target, c.low, c.high);
    const auto pairs = buildPairTable(gearSetFrom(c.stock));
    const StockSnapshot stock = StockSnapshot::of(c.stock, false);
    RatioErrorSet plainSet, fastSet;
    const auto plain = searchIndexTrainsPlain(job, pairs, stock, plainSet);
    const auto fast = searchIndexTrainsFast(job, pairs, stock, fastSet);
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
    for (bool exact : {false, true})
      for (unsigned threads : {1u, 2u}) {
        auto out = records;
        assignCConstants(job, out, {.wholeOnly = c.whole, .finiteOnly = c.finite, .exact = exact}, threads);
        ASSERT_EQ(out.size(), c.kept.size()) << c.whole << c.finite << exact << threads;
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
      recordOf(90, 20, 80, 20, 7), recordOf(90, 20, 80, 20, five + DecFloat(1e-85)),  // spread 130; the second is 5 to 80 decimals
      recordOf(50, 40, 45, 40, five), recordOf(60, 40, 50, 40, five - DecFloat(1e-86)),  // spreads 15 and 30
      recordOf(30, 20, 30, 20, five + DecFloat(1e-70)),                                 // a different C constant
      recordOf(45, 35, 50, 40, 3), recordOf(50, 40, 45, 35, 3)};                        // equal spreads
  orderDistinct(records);
  ASSERT_EQ(records.size(), 4u);
  EXPECT_EQ(records[0].g0, 45);
  EXPECT_EQ(records[1].g0, 50);
  EXPECT_EQ(records[1].cConstant, five);
  EXPECT_EQ(records[2].cConstant, five + DecFloat(1e-70));
  EXPECT_EQ(records[3].cConstant, 7);
}

const DecFloat kNaN = std::numeric_limits<DecFloat>::quiet_NaN();

DecFloat decimal(int digits, int exponent) { return DecFloat((std::to_string(digits) + "e" + std::to_string(exponent)).c_str()); }

FoundResult resultOf(const DecFloat& error, int f0, int f1 = 40) {
  return FoundResult{static_cast<std::uint16_t>(f0), static_cast<std::uint16_t>(f1), 40, 40, 53, 50, 52, 51, error, 1};
}

TEST(WorkerList, HoldsTheFourHundredBestOnceEach) {
  WorkerList list;
  list.insert(resultOf(DecFloat("0.0005"), 50));
  list.insert(resultOf(DecFloat("0.0005"), 50));  // the other copy of the same pair
  list.insert(resultOf(DecFloat("0.0005"), 49));
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list.at(0).f0, 49);  // equal errors in gear order
  for (int k = 450; k >= 1; --k) list.insert(resultOf(decimal(k, -6), 16 + k % 150, 16 + k / 150));
  ASSERT_EQ(list.size(), 400u);
  ASSERT_EQ(list.approxError.size(), 400u);
  EXPECT_EQ(list.at(0).feedError, DecFloat("0.000001"));
  EXPECT_EQ(list.approxError.front(), 0.000001);
  EXPECT_EQ(list.at(list.size() - 1).feedError, DecFloat("0.0004"));
  for (std::size_t k = 1; k < list.size(); ++k) EXPECT_TRUE(resultBefore(list.at(k - 1), list.at(k)));
  EXPECT_FALSE(list.admits(resultOf(DecFloat("0.0004"), 169, 169)));  // tie, later gears
  list.insert(resultOf(DecFloat("0.0004"), 16, 16));                   // tie, earlier gears
  EXPECT_EQ(list.size(), 400u);
  EXPECT_EQ(list.at(list.size() - 1).f0, 16);
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
  const struct { const char* what; int forties; bool bypass; DecFloat feedRate, c; std::size_t found; } cases[] = {
      {"error 0.00099", 4, false, 1, 1 / DecFloat("1.00099"), 1}, {"error 0.0009 below", 4, false, 1, 1 / DecFloat("0.9991"), 1},
      {"error 0.0011", 4, false, 1, 1 / DecFloat("1.0011"), 0},   {"error 0.0011 below", 4, false, 1, 1 / DecFloat("0.9989"), 0},
      // The limit is the double nearest 0.001, 2.08e-20 above it.
      {"error 0.001", 4, false, 1, 1 / DecFloat("1.001"), 1},     {"error 3e-20 above 0.001", 4, false, 1, 1 / DecFloat("1.00100000000000000003"), 0},
      {"error 0.001, feed outside", 4, false, DecFloat("1.01"), 1 / DecFloat("1.001"), 0},
      {"error 3e-20 above 0.001, feed outside", 4, false, DecFloat("1.01"), 1 / DecFloat("1.00100000000000000003"), 0},
      {"three 40s for four", 3, false, 1, 1, 0},                 {"three 40s, bypassed", 3, true, 1, 1, 1},
      {"feed 0.0049 below", 4, false, DecFloat("1.0049"), 1, 1}, {"feed 0.0049 above", 4, false, DecFloat("0.9951"), 1, 1},
      {"feed 0.0051 below", 4, false, DecFloat("1.0051"), 1, 0}, {"feed 0.0051 above", 4, false, DecFloat("0.9949"), 1, 0},
      {"NaN feed rate", 4, false, kNaN, 1, 1},                   {"infinite ratio", 4, false, 1, 0, 0},
      {"NaN ratio", 4, false, 1, kNaN, 0},                       {"negative ratio", 4, false, 1, -1, 0},
      {"tiny c", 4, false, 1, DecFloat("1e-300"), 0},            {"huge c", 4, false, 1, DecFloat("1e300"), 0}};

  for (const auto& c : cases) {
    const GearStock gears = stockOf({{40, c.forties}});
    const auto pairs = buildPairTable(gearSetFrom(gears));
    const StockSnapshot stock = StockSnapshot::of(gears, c.bypass);
    const JobParameters job = unitJob(c.feedRate);
    const FeedSearch search(job, pairs, stock);
    const CConstantRecord record{53, 50, 52, 51, 0, c.c};  // index train 52 x 51 over 53 x 50
    WorkerList plain, fast;
    FeedCounts plainCounts, fastCounts;
    search.searchPlain(record, plain, &plainCounts), search.search({&record, 1}, fast, &fastCounts, false);
    EXPECT_EQ(fastCounts, plainCounts) << c.what;
    for (const WorkerList* list : {&plain, &fast}) {
      ASSERT_EQ(list->size(), c.found) << c.what;
      if (c.found == 0) continue;
      const FoundResult& f = list->at(0);
      EXPECT_EQ(std::tie(f.f0, f.f3, f.i0, f.i1, f.i2, f.i3), std::make_tuple(40, 40, 53, 50, 52, 51)) << c.what;
      EXPECT_EQ(f.cConstant, c.c) << c.what;
      EXPECT_EQ(f.feedError, boost::multiprecision::abs(1 - 1 / c.c)) << c.what;
    }
  }
}

// A worker's sweep over its C constants against the plain search of each: T = 1 / c
// falls through the band 1 +- 0.012 in fine steps, meets ratios of the table and the
// 0.001 limits around them exactly, and crosses the feed window's ends; NaN, negative,
// huge and repeated C constants (T rising again) break the falling runs.
TEST(FeedSearch, SweepFindsAndCountsAsThePlainSearchOfEach) {
  GearStock gears;
  for (int t = kFirstToothCount; t <= kLastToothCount; t += 6) gears.setCount(t, 2);
  const auto pairs = buildPairTable(gearSetFrom(gears));
  const StockSnapshot stock = StockSnapshot::of(gears, false);
  const JobParameters job = unitJob(1);
  std::vector<DecFloat> ts;
  for (int k = 0; k < 60; ++k) ts.push_back(DecFloat("0.988") + DecFloat(k) * DecFloat("0.0004"));
  for (std::size_t k = 0; k < pairs.size(); k += 97) {
    const DecFloat ratio = trainRatio(pairs[k].product, pairs[(k * 7 + 3) % pairs.size()].product);
    if (ratio > DecFloat("0.99") && ratio < DecFloat("1.01"))
      for (const char* offset : {"0", "0.001", "-0.001"}) ts.push_back(ratio + DecFloat(offset));
  }
  std::vector<CConstantRecord> records;  // each its own index train, as in a run
  for (const DecFloat& t : ts) records.push_back({53, 50, 52, 51, 0, 1 / t});
  std::sort(records.begin(), records.end(), [](auto& a, auto& b) { return a.cConstant < b.cConstant; });
  for (const DecFloat& c : {kNaN, DecFloat(-1), DecFloat("1e300"), records[3].cConstant})
    records.insert(records.begin() + static_cast<std::ptrdiff_t>(records.size() / 2), {53, 50, 52, 51, 0, c});
  ASSERT_LE(records.size(), 154u);
  for (std::size_t k = 0; k < records.size(); ++k) records[k].g0 = static_cast<std::uint16_t>(16 + k);

  const FeedSearch search(job, pairs, stock);
  for (const char* ceiling : {"", "0.0003"}) {
    const std::optional<DecFloat> below = *ceiling ? std::optional(DecFloat(ceiling)) : std::nullopt;
    WorkerList plain(below), swept(below);
    FeedCounts plainCounts, sweptCounts;
    for (const CConstantRecord& record : records) search.searchPlain(record, plain, &plainCounts);
    search.search(records, swept, &sweptCounts, false);
    EXPECT_GT(plainCounts.feedTrains, plainCounts.feedTest) << ceiling;
    EXPECT_EQ(sweptCounts.feedTrains, plainCounts.feedTrains) << ceiling;
    EXPECT_EQ(sweptCounts.feedTest, plainCounts.feedTest) << ceiling;
    ASSERT_EQ(swept.size(), plain.size()) << ceiling;
    EXPECT_GT(plain.size(), 10u) << ceiling;
    for (std::size_t k = 0; k < plain.size(); ++k) {
      EXPECT_TRUE(sameGears(swept.at(k), plain.at(k))) << ceiling << " entry " << k;
      EXPECT_EQ(swept.at(k).feedError, plain.at(k).feedError) << ceiling << " entry " << k;
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
