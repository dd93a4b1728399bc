// Step B alone: the C constants of every index train that step A records, on one
// thread, with the shortcuts on. Pitch 360 helix 60 on two of each tooth count, and
// J7 on seven of each. Reports the time per train.
#include <benchmark/benchmark.h>

#include <chrono>

#include "sample_jobs.h"
#include "solver/internal/c_constant_search.h"
#include "solver/internal/pair_table.h"

namespace {

using namespace hobwise;
using namespace hobwise::solver;

void assign(benchmark::State& state, const JobInputs& inputs, const GearStock& gears) {
  const JobParameters job = *readJob(inputs);
  const auto pairs = buildPairTable(gearSetFrom(gears));
  const StockSnapshot stock = StockSnapshot::of(gears, false);
  RatioErrorSet errors;
  const std::vector<CConstantRecord> trains = searchIndexTrainsFast(job, pairs, stock, errors);
  double seconds = 0;
  for (auto _ : state) {
    std::vector<CConstantRecord> records = trains;
    const auto start = std::chrono::steady_clock::now();
    assignCConstants(job, records, SolveOptions{}, 1);
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    benchmark::DoNotOptimize(records.data());
  }
  state.counters["trains"] = static_cast<double>(trains.size());
  if (!trains.empty() && state.iterations() > 0)
    state.counters["perTrain_us"] =
        seconds * 1e6 / static_cast<double>(state.iterations()) / static_cast<double>(trains.size());
}

void Pitch360Helix60(benchmark::State& state) { assign(state, exampleJobWith("360", "60"), fullGearStock(2)); }
void J7(benchmark::State& state) { assign(state, j7JobInputs(), fullGearStock(7)); }

}  // namespace

BENCHMARK(Pitch360Helix60)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(J7)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

BENCHMARK_MAIN();
