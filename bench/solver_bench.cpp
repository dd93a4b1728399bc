// Solve-run benchmarks. J1: the example job on the default stock with every shortcut
// off (the literal algorithm, the yardstick of the others). J3: the example job on a
// full stock (two of every tooth count), and with "Mountable Trains Only" on the example
// machine. The fine-pitch and steep-helix jobs of the
// example machine on full stocks of two and of seven, J7 and J8, with the shortcuts on,
// on all processors and on one. Each reports its C constants, the time per C constant
// and the peak resident memory of the process so far.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <thread>

#include "sample_jobs.h"
#include "solver/solver.h"

namespace {

using namespace hobwise;

unsigned processors() { return std::max(1u, std::thread::hardware_concurrency()); }

double peakMegabytes() {
  struct rusage usage {};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void run(benchmark::State& state, const JobInputs& inputs, const GearStock& stock, bool exact, unsigned workers,
         const std::optional<MountQuadrants>& mountableOnly = std::nullopt) {
  SolveOptions options;
  options.mountableOnly = mountableOnly;
  options.processors = workers;
  options.exact = exact;
  SolveReport report;
  double seconds = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    report = solve(inputs, stock, options);
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    benchmark::DoNotOptimize(report.results.data());
  }
  state.counters["workers"] = options.processors;
  state.counters["cConstants"] = static_cast<double>(report.cConstantCount);
  state.counters["results"] = static_cast<double>(report.results.size());
  if (report.cConstantCount > 0 && state.iterations() > 0)
    state.counters["perCConstant_us"] =
        seconds * 1e6 / static_cast<double>(state.iterations()) / static_cast<double>(report.cConstantCount);
  state.counters["peakMB"] = peakMegabytes();
}

void J1_Exact(benchmark::State& state) {
  run(state, exampleJobInputs(), GearStock::defaultStock(), true, processors());
}
void J1_Fast(benchmark::State& state) {
  run(state, exampleJobInputs(), GearStock::defaultStock(), false, processors());
}
void J3_Fast(benchmark::State& state) { run(state, exampleJobInputs(), fullGearStock(2), false, processors()); }
// J3 with "Mountable Trains Only" on the example machine (data/example-machine.json),
// beside J3 in the same run: at most 1.5 times J3's time.
void J3_Mountable(benchmark::State& state) {
  run(state, exampleJobInputs(), fullGearStock(2), false, processors(), exampleMachineQuadrants());
}

// Pitch, helix angle, gears of each tooth count, workers (0: all processors).
void Table(benchmark::State& state) {
  static const char* pitches[] = {"8", "48", "120", "360"};
  static const char* helices[] = {"23.5", "60", "85"};
  const unsigned workers = state.range(3) == 0 ? processors() : static_cast<unsigned>(state.range(3));
  run(state, exampleJobWith(pitches[state.range(0)], helices[state.range(1)]),
      fullGearStock(static_cast<int>(state.range(2))), false, workers);
  state.SetLabel(std::string("pitch ") + pitches[state.range(0)] + " helix " + helices[state.range(1)] + ", " +
                 std::to_string(state.range(2)) + " of each");
}

void J8_Fast(benchmark::State& state) {
  const unsigned workers = state.range(0) == 0 ? processors() : static_cast<unsigned>(state.range(0));
  run(state, j8JobInputs(), fullGearStock(7), false, workers);
}

void J7_Fast(benchmark::State& state) {
  const unsigned workers = state.range(0) == 0 ? processors() : static_cast<unsigned>(state.range(0));
  run(state, j7JobInputs(), fullGearStock(7), false, workers);
}

}  // namespace

BENCHMARK(J1_Exact)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(J1_Fast)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(J3_Fast)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(J3_Mountable)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
// The table on two of each, then pitch 48 and 360 at helix 60 on seven of each,
// and those two on one worker against all.
BENCHMARK(Table)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3)
    ->ArgsProduct({{0, 1, 2, 3}, {0, 1, 2}, {2}, {0}})
    ->Args({1, 1, 7, 0})
    ->Args({3, 1, 7, 0})
    ->Args({1, 1, 2, 1})
    ->Args({3, 1, 2, 1});
BENCHMARK(J7_Fast)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3)->Arg(0)->Arg(1);
BENCHMARK(J8_Fast)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3)->Arg(0)->Arg(1);

BENCHMARK_MAIN();
