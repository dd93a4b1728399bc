// Solve-run benchmarks: the example job J1 on the default stock with every shortcut
// off, and J3 (J1 on a full stock, two of every tooth count) with them on. The peak
// resident memory of the process is reported after J3.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <thread>

#include "solver/solver.h"

namespace {

using namespace hobwise;

JobInputs j1Inputs() {
  return exampleJobInputs();
}

GearStock fullStock() {
  GearStock stock;
  for (int t = kFirstToothCount; t <= kLastToothCount; ++t) stock.setCount(t, 2);
  return stock;
}

unsigned processors() { return std::max(1u, std::thread::hardware_concurrency()); }

void run(benchmark::State& state, const GearStock& stock, bool exact) {
  SolveOptions options;
  options.processors = processors();
  options.exact = exact;
  const JobInputs inputs = j1Inputs();
  SolveReport report;
  for (auto _ : state) {
    report = solve(inputs, stock, options);
    benchmark::DoNotOptimize(report.results.data());
  }
  state.counters["processors"] = options.processors;
  state.counters["cConstants"] = static_cast<double>(report.cConstantCount);
  state.counters["results"] = static_cast<double>(report.results.size());
}

void peakMemory(benchmark::State& state) {
  struct rusage usage {};
  for (auto _ : state) getrusage(RUSAGE_SELF, &usage);
  state.counters["peakMB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void J1_Exact(benchmark::State& state) { run(state, GearStock::defaultStock(), true); }
void J1_Fast(benchmark::State& state) { run(state, GearStock::defaultStock(), false); }
void J3_Fast(benchmark::State& state) { run(state, fullStock(), false); }
void J3_PeakMemory(benchmark::State& state) { peakMemory(state); }

}  // namespace

BENCHMARK(J1_Exact)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(J1_Fast)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(J3_Fast)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(J3_PeakMemory)->Iterations(1);

BENCHMARK_MAIN();
