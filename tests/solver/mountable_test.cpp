// "Mountable Trains Only" against the literal algorithm: a run with the option equals a
// plain run whose stock check of an index train and whose test of a feed train also
// ask whether the train mounts, written out here as the loops they are. And the
// option's reach: the run in parts, any number of workers, the advisor.
#include <gtest/gtest.h>

#include <set>

#include "advisor_reference.h"
#include "sample_jobs.h"
#include "solver/run_parts.h"
#include "test_support.h"

namespace hobwise {
namespace {

using namespace solver;

GearStock everyNth(int first, int last, int step, int count) {
  GearStock stock;
  for (int t = first; t <= last; t += step) stock.setCount(t, count);
  return stock;
}

// The literal run: steps A to D with the mounting check beside the stock check, the
// feed search of every C constant into one worker's list, the trimming.
std::vector<FoundResult> literalRun(const JobInputs& in, const GearStock& stock, const MountQuadrants& machine) {
  const JobParameters job = *readJob(in);
  const std::vector<GearPair> P = buildPairTable(gearSetFrom(stock));
  const std::size_t n = P.size();
  const StockSnapshot snapshot = StockSnapshot::of(stock, false);
  const MountCheck indexCheck(machine.index, TrainKind::kIndex, intermediateStuds(in.setupIndex, TrainKind::kIndex));
  const MountCheck feedCheck(machine.feed, TrainKind::kFeed, intermediateStuds(in.setupIndex, TrainKind::kFeed));
  const auto q = [&](std::size_t m, std::size_t i) { return DecFloat(P[m].product) / DecFloat(P[i].product); };

  const FeedBand band = FeedBand::of(job);
  std::set<DecFloat> ratioErrors;
  std::vector<CConstantRecord> records;
  for (std::size_t i = 0; i < n; ++i)
    bisectPairs(
        n, [&](std::size_t mid) { return compare(q(mid, i), band.target); },
        [&](std::size_t, std::size_t, std::size_t mid) {
          if (!band.contains(q(mid, i))) return;
          const DecFloat error = q(mid, i) - band.target;
          const std::uint16_t four[4] = {P[mid].larger, P[mid].smaller, P[i].larger, P[i].smaller};
          if (ratioErrors.contains(error) || !checkStockPlain(snapshot, four) ||
              !indexCheck.mounts(shownTrain(P[mid].larger, P[mid].smaller, P[i].larger, P[i].smaller)))
            return;
          ratioErrors.insert(error);
          records.push_back({P[i].larger, P[i].smaller, P[mid].larger, P[mid].smaller, abs(error), 0});
        });
  assignCConstants(job, records, SolveOptions{.exact = true}, 1);
  dropOutOfRange(records);
  orderDistinct(records);

  const FeedWindow window = FeedWindow::of(job);
  WorkerList list;
  for (const CConstantRecord& r : records) {
    const DecFloat T = feedRatioFor(job, r.cConstant);
    for (std::size_t j = 0; j < n; ++j) {
      const Range range = bisectPairs(
          n, [&](std::size_t mid) { return compare(q(mid, j), T); }, [](std::size_t, std::size_t, std::size_t) {});
      for (std::size_t m = range.lo; m <= range.hi; ++m) {
        const DecFloat error = abs(q(m, j) - T);
        const std::uint16_t eight[8] = {r.g3, r.g2, r.g1, r.g0, P[m].smaller, P[m].larger, P[j].smaller, P[j].larger};
        if (!withinFeedErrorLimit(error) || !checkStockPlain(snapshot, eight) ||
            !feedCheck.mounts(shownTrain(P[m].larger, P[m].smaller, P[j].larger, P[j].smaller)) ||
            !window.contains(actualFeed(job, q(m, j))))
          continue;
        FoundResult find = makeFind(r, P[m], P[j]);
        find.feedError = error;
        list.insert(find);
      }
    }
  }
  return trimResults(list.entries(), job);
}

bool bothMount(const FoundResult& r, const JobInputs& in, const MountQuadrants& machine) {
  const MountRule rule(machine.index, machine.feed, in.setupIndex);
  return rule.indexMounts(r.i2, r.i3, r.i0, r.i1) && rule.feedMounts(r.f2, r.f3, r.f0, r.f1);
}

struct Case {
  const char* what;
  JobInputs in;
  GearStock stock;
  MountQuadrants machine;
};

// Jobs on which the option changes the results: without it, some result does not mount.
std::vector<Case> cases() {
  JobInputs climb = exampleJobInputs();
  std::tie(climb.feedRate, climb.helixAngle, climb.teeth, climb.setupIndex) = std::tuple(".04", "31", "47", 4);
  MountQuadrants tight = exampleMachineQuadrants();
  tight.index = quadrantOf(2.5, 170, 100, 135, 40, 190, 0);
  tight.feed.drivingShaftDiameter = Decimal4::whole(60);
  MountQuadrants idlers = exampleMachineQuadrants();
  idlers.feed = quadrantOf(2, 120, 0, 0, 30, 150, 30);
  return {
      {"example machine, sparse stock of 2", exampleJobInputs(), everyNth(20, 100, 3, 2), exampleMachineQuadrants()},
      {"tight machine, one of 30 to 80", exampleJobInputs(), GearStock::defaultStock(), tight},
      {"two studs, idlers, every other gear", climb, everyNth(20, 120, 2, 1), idlers},
  };
}

TEST(MountableTrainsOnly, EqualsTheLiteralRunWithTheMountingCheck) {
  for (const Case& c : cases()) {
    const std::vector<FoundResult> expected = literalRun(c.in, c.stock, c.machine);
    ASSERT_FALSE(expected.empty()) << c.what;
    const SolveReport without = solve(c.in, c.stock, {.processors = 2});
    EXPECT_TRUE(std::any_of(without.results.begin(), without.results.end(),
                            [&](const FoundResult& r) { return !bothMount(r, c.in, c.machine); }))
        << c.what << ": the option changes nothing";
    for (const auto& [exact, workers] : {std::pair{true, 1u}, {false, 1u}, {false, 3u}}) {
      const SolveReport got = solve(c.in, c.stock, {.processors = workers, .exact = exact, .mountableOnly = c.machine});
      const std::string what = std::string(c.what) + (exact ? " exact" : " fast") + " on " + std::to_string(workers);
      ASSERT_EQ(got.results.size(), expected.size()) << what;
      for (std::size_t k = 0; k < expected.size(); ++k)
        EXPECT_TRUE(testing::gearsOf(got.results[k]) == testing::gearsOf(expected[k]) &&
                    got.results[k].feedError == expected[k].feedError &&
                    got.results[k].cConstant == expected[k].cConstant) << what << " result " << k;
      EXPECT_EQ(got.stages.kept, expected.size()) << what;
    }
  }
}

// The feed search counts its trains before the mounting check, as before the stock
// check: the same counts with and without it, in both forms; its finds are those
// without it that mount.
TEST(MountableTrainsOnly, TheFeedSearchCountsBeforeTheCheckAndFindsWhatMounts) {
  const Case c = cases()[0];
  const JobParameters job = *readJob(c.in);
  const std::vector<GearPair> pairs = buildPairTable(gearSetFrom(c.stock));
  const StockSnapshot stock = StockSnapshot::of(c.stock, false);
  std::vector<CConstantRecord> records = findCConstants(job, pairs, stock, {});
  records.resize(std::min<std::size_t>(records.size(), 2));
  const MountRule rule(c.machine.index, c.machine.feed, c.in.setupIndex);
  const FeedSearch any(job, pairs, stock), mountable(job, pairs, stock, &rule);
  for (bool exact : {true, false}) {
    WorkerList all, mounting;
    FeedCounts allCounts, mountingCounts;
    any.search(records, all, &allCounts, exact);
    mountable.search(records, mounting, &mountingCounts, exact);
    ASSERT_LT(all.size(), kWorkerListLimit);
    EXPECT_EQ(allCounts, mountingCounts) << exact;
    std::vector<FoundResult> expected;
    for (const FoundResult& f : all.entries())
      if (rule.feedMounts(f.f2, f.f3, f.f0, f.f1)) expected.push_back(f);
    ASSERT_EQ(mounting.size(), expected.size()) << exact;
    EXPECT_LT(expected.size(), all.size()) << exact;
    for (std::size_t k = 0; k < expected.size(); ++k) EXPECT_TRUE(sameGears(mounting.at(k), expected[k])) << k;
  }
}

// The plan's text carries the machine: pieces searched in other instances merge to the
// run with the option.
TEST(MountableTrainsOnly, TheRunInPartsCarriesTheOption) {
  const Case c = cases()[2];
  const SolveOptions options{.processors = 3, .mountableOnly = c.machine};
  const RunPlan plan = RunPlan::make(c.in, c.stock, options);
  const std::optional<RunPlan> elsewhere = RunPlan::fromWorkerText(plan.workerText());
  ASSERT_TRUE(elsewhere);
  std::vector<RunPartial> partials;
  for (std::size_t piece = 0; piece < plan.pieces().size(); ++piece)
    partials.push_back(*RunPartial::fromText(elsewhere->search(std::vector{piece}).toText()));
  testing::expectSameReport(solve(c.in, c.stock, options), plan.merge(partials), c.what);
}

// The advisor with the option: its shortcuts (the additions judged without a run) as
// whole runs with the option, on a full stock of two where every addition keeps the
// gear set.
TEST(MountableTrainsOnly, TheAdvisorAsWholeRunsWithTheOption) {
  const SolveOptions options{.processors = 2, .mountableOnly = exampleMachineQuadrants()};
  const GearStock stock = everyNth(16, 169, 1, 2);
  const AdvisorReport report = advise(exampleJobInputs(), stock, options);
  EXPECT_EQ(testing::differenceOf(report, testing::adviceByWholeRuns(exampleJobInputs(), stock, options)), "");
  ASSERT_TRUE(report.nowBest);
  EXPECT_TRUE(bothMount(*report.nowBest, exampleJobInputs(), *options.mountableOnly));
}

}  // namespace
}  // namespace hobwise
