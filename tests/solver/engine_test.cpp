// The engine's shortcuts against the plain 100-digit algorithm: the whole-number
// midpoints of the C-constant bisection step by step, the C constants of many trains,
// whole runs on fine-pitch and steep-helix jobs, the stage counts and the stop.
#include <gtest/gtest.h>

#include <random>

#include "sample_jobs.h"
#include "solver/c_constant.h"
#include "solver/internal/c_constant_bisection.h"
#include "solver/internal/feed_search.h"
#include "solver/internal/pair_table.h"
#include "solver/solver.h"
#include "test_support.h"

namespace hobwise::solver {
namespace {

JobParameters indexJob(const char* k, int threads, int teeth, int sign) {
  JobInputs in = exampleJobInputs();
  in.indexConstant = k;
  in.hobThreads = std::to_string(threads);
  in.teeth = std::to_string(teeth);
  in.setupIndex = sign < 0 ? 0 : 1;
  return *readJob(in);
}

struct Train {
  JobParameters job;
  std::uint64_t a, b;
  std::string what;
};

// Random trains of random jobs, both directions of the formula, C constants from far
// below 1 to the cap and beyond (or none), and the near-pole trains of J7's kind.
std::vector<Train> randomTrains(int count) {
  std::mt19937 rng(4242);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  const char* constants[] = {"30", ".5", "40", "12.5", "1200", "2.75", "96", "0.5"};
  std::vector<Train> trains;
  for (int k = 0; k < count; ++k) {
    const char* kc = constants[pick(0, 7)];
    const int t = pick(1, 3), n = pick(1, 400), s = pick(0, 1) ? 1 : -1;
    JobParameters job = indexJob(kc, t, n, s);
    const std::uint64_t a = std::uint64_t(pick(16, 169)) * pick(16, 169);
    std::uint64_t b = std::uint64_t(pick(16, 169)) * pick(16, 169);
    const double kt = job.indexConstant.convert_to<double>() * t;
    if (k % 4 == 0) {  // a ratio near K T / N, where the C constant is large or near the pole
      b = std::max<std::uint64_t>(1, static_cast<std::uint64_t>(a * n / kt * (1 + s * 1e-3 * pick(1, 900))));
    } else if (k % 4 == 3) {  // closer still: a root beyond the cap, or none
      b = std::max<std::uint64_t>(1, static_cast<std::uint64_t>(a * n / kt * (1 + s / (n * 99999.6 * pick(1, 9)))));
    } else if (k % 4 == 1) {  // C constants where the digits change limbs, where sums reach 1, near 1e-7
      const double low[] = {0.3, 0.5, 1e-7}, high[] = {3, 1, 1e-6};
      const int range = k / 4 % 3;
      const double c = low[range] + (high[range] - low[range]) * pick(0, 1000) / 1000.0;
      if (c * n + s > 0) b = std::max<std::uint64_t>(1, static_cast<std::uint64_t>(a * (c * n + s) / (kt * c)));
    }
    trains.push_back({job, a, b, std::string(kc) + " T" + std::to_string(t) + " N" + std::to_string(n) + " s" +
                                     std::to_string(s) + " " + std::to_string(a) + "/" + std::to_string(b)});
  }
  // C constants of exactly 1/2 and 1 (K 30, N 20), where the bounds lie on both sides
  // of a change of limbs to the end.
  for (int s : {1, -1}) {
    trains.push_back({indexJob("30", 1, 20, s), s > 0 ? 1500u : 500u, s > 0 ? 1100u : 300u, "c 1/2"});
    trains.push_back({indexJob("30", 1, 20, s), s > 0 ? 1000u : 1500u, s > 0 ? 700u : 950u, "c 1"});
  }
  return trains;
}

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

int trainCount(int plain) { return kSanitized ? plain / 10 : plain; }

// Every halving of the plain bisection, formed again from the whole-number forms of
// its operands, gives the same DecFloat.
TEST(Midpoints, EveryHalvingAsDecFloatFormsIt) {
  int steps = 0, limbSteps = 0;
  for (const Train& train : randomTrains(trainCount(60))) {
    const DecFloat ratio = trainRatio(train.a, train.b);
    const DecFloat root = solveCConstantPlain(train.job, ratio);
    const Midpoints mid(root > DecFloat("1.000000001") ? 120 : 128);
    DecFloat lo = 0, hi = 100000, x = 50000;
    for (int step = 0; step < 400; ++step) {
      const DecFloat e = indexRatioFor(train.job, x);
      const bool rises = train.job.sign > 0;
      const bool up = rises ? ratio > e : ratio < e;
      const bool down = rises ? ratio < e : ratio > e;
      if (!up && !down) break;
      const DecFloat& other = up ? hi : lo;
      const Wide wx = mid.fromDecFloat(x), wo = mid.fromDecFloat(other);
      if (mid.order(wx) < -1) break;  // below 1e-8: left to DecFloat
      ASSERT_EQ(mid.toDecFloat(wx), x) << train.what << " step " << step;
      ASSERT_EQ(mid.toDecFloat(wo, wx, x), other) << train.what << " step " << step;
      const DecFloat next = (x + other) / 2;
      Wide sum, half;
      if (mid.add(wx, wo, sum) && mid.halve(sum, half)) {
        ASSERT_EQ(mid.toDecFloat(half), next) << train.what << " step " << step;
        ++steps;
      }
      BelowOne mean1;  // on DecFloat's limbs
      if (mid.g() == 128 && mid.order(wx) == -1 && mid.order(wo) == -1 &&
          mean(BelowOne::of(wx), BelowOne::of(wo), mean1)) {
        ASSERT_EQ(mid.toDecFloat(mean1.units()), next) << train.what << " step " << step << " on limbs";
        ++limbSteps;
      }
      (up ? lo : hi) = x;
      x = next;
      if (x > 99999 || !(hi > lo + DecFloat(1e-110))) break;
    }
  }
  EXPECT_GT(steps, trainCount(60) * 150);
  EXPECT_GT(limbSteps, trainCount(60) * 20);
}

// Both fast forms, the whole-number one of the search and the DecFloat one of the result
// evaluation, and the run's step through them, near the pole of the falling formula too
// (J7's hole): where a fast form decides, the plain bisection's digits. Most trains are
// decided by each.
TEST(CConstantForms, SameDigitsAsThePlainBisection) {
  int wideDecided = 0, fastDecided = 0, trains = 0;
  for (const Train& train : randomTrains(trainCount(600))) {
    const DecFloat ratio = trainRatio(train.a, train.b);
    const DecFloat plain = solveCConstantPlain(train.job, ratio);
    const Decided<DecFloat> wide = CConstantWide(train.job).solve(train.a, train.b);
    const Decided<DecFloat> fast = solveCConstantFast(train.job, ratio);
    if (wide) {
      ASSERT_EQ(*wide, plain) << train.what;
    }
    if (fast) {
      ASSERT_EQ(*fast, plain) << train.what;
    }
    ASSERT_EQ(CConstantStep(train.job, false).solveCConstant(train.a, train.b), plain) << train.what;
    ASSERT_EQ(solveCConstant(train.job, ratio, false), plain) << train.what;
    wideDecided += wide.has_value(), fastDecided += fast.has_value(), ++trains;
  }
  EXPECT_GT(wideDecided, trains * 8 / 10);
  EXPECT_GT(fastDecided, trains * 7 / 10);
}

// ---- Whole runs ----

GearStock everyToothCount(int count, int first = kFirstToothCount, int last = kLastToothCount, int step = 1) {
  GearStock stock;
  for (int t = first; t <= last; t += step) stock.setCount(t, count);
  return stock;
}

// Fine pitches and steep helices (many C constants) on sparse stocks that the plain
// algorithm answers in a few seconds: the same results and counts, and the same counts
// for 1, 2 and 8 workers.
TEST(WholeRun, FineAndSteepJobsAsThePlainAlgorithm) {
  struct Case {
    const char* pitch;
    const char* helix;
    const char* feed;
    int setup;
    GearStock stock;
  };
  std::vector<Case> cases = {
      {"48", "60", ".0250", 0, everyToothCount(2, 20, 100, 3)},
      {"360", "60", ".02500", 0, everyToothCount(2, 16, 169, 6)},
      {"J8", "", "", 0, everyToothCount(2, 16, 169, 5)},  // C constants between 0.5 and 1
      {"120", "85", ".0250", 1, everyToothCount(7, 24, 120, 4)},
      {"360", "23.5", ".02500", 3, everyToothCount(1, 30, 90, 2)},
      {"8", "85", ".025", 6, everyToothCount(2, 40, 160, 4)},
  };
  if (kSanitized) cases.resize(3);
  for (const Case& c : cases) {
    JobInputs in = exampleJobWith(c.pitch, c.helix);
    in.setupIndex = c.setup;
    in.feedRate = c.feed;
    if (std::string(c.pitch) == "J8") in = j8JobInputs();
    const std::string what = std::string("pitch ") + c.pitch + " helix " + c.helix;
    SolveOptions exact;
    exact.exact = true;
    const SolveReport plain = solve(in, c.stock, exact);
    ASSERT_GT(plain.stages.cConstants, 10u) << what;
    ASSERT_FALSE(plain.results.empty()) << what;
    for (unsigned workers : {1u, 2u, 8u}) {
      SolveOptions fast;
      fast.processors = workers;
      testing::expectSameReport(plain, solve(in, c.stock, fast), what + " on " + std::to_string(workers) + " workers");
    }
    exact.processors = 3;
    EXPECT_EQ(plain.stages, solve(in, c.stock, exact).stages) << what << " exact on 3 workers";
  }
}

// Runs that run dry at each stage, with the counts of what they did. K = 29.975 makes
// the ratio 1 (four gears of one tooth count) the index ratio of C constant 40, which
// lies in the example job's band; a pitch of .01575 and one tooth put every C constant
// near 20000.
TEST(StageCounts, RunsThatRunDryAtEachStage) {
  JobInputs ratioOne = exampleJobInputs();
  ratioOne.indexConstant = "29.975";
  JobInputs noBand = exampleJobInputs();
  noBand.feedRate = "1";  // one character: no tolerance, no band
  JobInputs capped = exampleJobInputs();  // C constants near 20000, above the cap
  capped.teeth = "1";
  capped.normalPitch = ".01575";
  const GearStock example = GearStock::defaultStock();
  struct Case {
    const char* what;
    JobInputs in;
    GearStock stock;
    SolveOptions options;
    StageCounts expected;
  };
  const std::vector<Case> cases = {
      {"empty stock", exampleJobInputs(), GearStock{}, {}, {0, 0, 0, 0, 0, 0}},
      {"no index train in the band", noBand, example, {}, {0, 0, 0, 0, 0, 0}},
      {"one gear of 40: the train needs four", ratioOne, testing::stockOf({{40, 1}}), {}, {1, 0, 0, 0, 0, 0}},
      {"four gears of 40: no feed train near 0.39", ratioOne, testing::stockOf({{40, 4}}), {}, {1, 1, 1, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    for (bool exact : {false, true}) {
      SolveOptions options = c.options;
      options.exact = exact;
      const SolveReport report = solve(c.in, c.stock, options);
      EXPECT_EQ(report.stages, c.expected) << c.what << (exact ? " (exact)" : "");
      EXPECT_EQ(report.stoppedIn, SolveStage::None) << c.what;
    }
  }
  // Index trains in the stock, but every C constant above 9999.9999.
  const SolveReport report = solve(capped, fullGearStock(2), SolveOptions{});
  EXPECT_GT(report.stages.inStock, 0u);
  EXPECT_GE(report.stages.indexTrains, report.stages.inStock);
  EXPECT_EQ(report.stages.cConstants, 0u);
  EXPECT_EQ(report.stages.kept, 0u);
}

// Feed trains within 0.001 whose feed lies outside the window: only three trains of
// ratio 1 (each pair over itself) come within 0.001 of the ratio 1 asked for.
TEST(StageCounts, FeedTrainsOutsideTheFeedWindow) {
  const GearStock gears = testing::stockOf({{40, 4}, {50, 4}});
  const auto pairs = buildPairTable(gearSetFrom(gears));
  const StockSnapshot stock = StockSnapshot::of(gears, false);
  JobParameters job;
  job.normalPitch = 1;
  job.sinHelix = 1;
  job.feedFactor = 1;  // T = 1 / c, the feed is the feed ratio
  CConstantRecord record;
  record.g0 = record.g2 = 50;
  record.g1 = record.g3 = 40;
  record.cConstant = 1;
  for (const char* wanted : {"1", "1.01"}) {
    job.feedRate = DecFloat(wanted);
    const FeedSearch search(job, pairs, stock);
    FeedCounts plain, fast;
    WorkerList plainList, fastList;
    search.searchPlain(record, plainList, &plain);
    search.search({&record, 1}, fastList, &fast, false);
    EXPECT_EQ(plain.feedTrains, 3u) << wanted;
    EXPECT_EQ(plain.feedTest, std::string(wanted) == "1" ? 3u : 0u) << wanted;
    EXPECT_EQ(fast.feedTrains, plain.feedTrains) << wanted;
    EXPECT_EQ(fast.feedTest, plain.feedTest) << wanted;
  }
}

// A stop as a stage begins ends that stage after its first piece of work; the run
// returns with what it has. J7 of the benchmarks: the plain algorithm spends half a
// minute in its C-constant search.
TEST(Stop, EndsTheStageItIsSeenIn) {
  for (SolveStage stage : {SolveStage::IndexTrains, SolveStage::CConstants, SolveStage::FeedTrains}) {
    for (bool exact : {false, true}) {
      if (exact && (stage == SolveStage::FeedTrains || kSanitized)) continue;  // half a minute
      std::atomic<bool> stop{false};
      SolveCallbacks callbacks;
      callbacks.stop = &stop;
      callbacks.stageStarted = [&](SolveStage started) {
        if (started == stage) stop = true;
      };
      SolveOptions options;
      options.processors = 2;
      options.exact = exact;
      const SolveReport report = solve(j7JobInputs(), fullGearStock(7), options, callbacks);
      const std::string what = "stage " + std::to_string(static_cast<int>(stage)) + (exact ? " exact" : "");
      EXPECT_EQ(report.stoppedIn, stage) << what;
      EXPECT_FALSE(report.failed) << what;
      if (stage == SolveStage::IndexTrains) {
        EXPECT_LT(report.stages.inStock, 100u) << what;  // a few driven pairs only
      }
      if (stage != SolveStage::FeedTrains) {
        EXPECT_LE(report.stages.cConstants, 2u) << what;  // one train on each thread
      } else {
        EXPECT_GT(report.stages.cConstants, 1000u) << what;
      }
    }
  }
}

}  // namespace
}  // namespace hobwise::solver
