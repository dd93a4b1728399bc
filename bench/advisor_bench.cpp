// Gear-advisor benchmarks: the example job on the default stock (154 additions tried),
// on the full stock (two of every tooth count) and on a sparse stock, beside one run of
// the literal algorithm on the example job, the figure the advisor is held against,
// and beside the 154 whole runs done one after the other with every worker each.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <thread>

#include "sample_jobs.h"
#include "solver/advisor.h"
#include "solver/internal/c_constant_memo.h"

namespace {

using namespace hobwise;

unsigned processors() { return std::max(1u, std::thread::hardware_concurrency()); }

// Every fourth tooth count from 20 to 100, one of each.
GearStock sparseStock() {
  GearStock stock;
  for (int t = 20; t <= 100; t += 4) stock.setCount(t, 1);
  return stock;
}

void advisor(benchmark::State& state, const GearStock& stock,
             const std::optional<MountQuadrants>& mountableOnly = std::nullopt) {
  SolveOptions options;
  options.processors = processors();
  options.mountableOnly = mountableOnly;
  AdvisorReport report;
  for (auto _ : state) {
    report = advise(exampleJobInputs(), stock, options);
    benchmark::DoNotOptimize(report.suggestions.data());
  }
  state.counters["tried"] = report.tried;
  state.counters["suggestions"] = static_cast<double>(report.suggestions.size());
}

void Advisor_J1(benchmark::State& state) { advisor(state, GearStock::defaultStock()); }
// The full stock of two with "Mountable Trains Only" on the example machine.
void Advisor_FullStock2_Mountable(benchmark::State& state) {
  advisor(state, fullGearStock(2), exampleMachineQuadrants());
}
void Advisor_FullStock2(benchmark::State& state) {
  GearStock stock;
  for (int t = kFirstToothCount; t <= kLastToothCount; ++t) stock.setCount(t, 2);
  advisor(state, stock);
}
void Advisor_Sparse(benchmark::State& state) { advisor(state, sparseStock()); }

// The additions the plain way: a whole run for each, one after the other with every
// worker (sharing the C constants as the advisor does).
void Additions_OneAtATime_J1(benchmark::State& state) {
  const GearStock stock = GearStock::defaultStock();
  for (auto _ : state) {
    CConstantMemo memo;
    SolveOptions options;
    options.processors = processors();
    options.cConstantMemo = &memo;
    for (int t : additionsTo(stock)) benchmark::DoNotOptimize(solve(exampleJobInputs(), withOneMore(stock, t), options));
  }
}

void Literal_J1(benchmark::State& state) {
  SolveOptions options;
  options.processors = processors();
  options.exact = true;
  for (auto _ : state) benchmark::DoNotOptimize(solve(exampleJobInputs(), GearStock::defaultStock(), options));
}

}  // namespace

BENCHMARK(Literal_J1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(Advisor_J1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(Advisor_FullStock2)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(Advisor_FullStock2_Mountable)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(Additions_OneAtATime_J1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(Advisor_Sparse)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

BENCHMARK_MAIN();
