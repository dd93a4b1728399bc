// advisor_compare [CASES] [SEED]: the advisor against whole runs on random jobs and
// stocks (run by scripts/advisor-compare.sh, not by ctest). For each case, every
// addition is tried with a whole run on the stock with that gear more, the rule applied
// to it and the report made of those outcomes; it must equal advise()'s, suggestion
// for suggestion. Prints one line per case and the number of cases that differ.
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "advisor_reference.h"

namespace {

using namespace hobwise;

std::string pick(std::mt19937& rng, std::initializer_list<const char*> texts) {
  std::uniform_int_distribution<std::size_t> at(0, texts.size() - 1);
  return *(texts.begin() + at(rng));
}

int between(std::mt19937& rng, int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); }

JobInputs randomJob(std::mt19937& rng) {
  JobInputs in;
  in.indexConstant = pick(rng, {"30", "24", "40", "48", "60", "72", "96", "120", "20"});
  in.feedConstant = pick(rng, {"0.0625", "0.1", "0.125", "4", "8", "10", "0.25", "16"});
  in.feedRate = pick(rng, {".025", "0.025", ".04", ".0125", ".02", "0.03", ".015", ".05", "0.0315", ".035"});
  in.helixAngle = std::to_string(between(rng, 5, 45)) + pick(rng, {"", ".5", ".25"});
  in.normalPitch = pick(rng, {"8", "6", "10", "12", "5", "4", "16", "20"});
  in.teeth = std::to_string(between(rng, 12, 120));
  in.hobThreads = std::to_string(between(rng, 1, 2));
  in.setupIndex = between(rng, 0, 7);
  return in;
}

// Sparse (a few tooth counts, one or two of each) or dense (most tooth counts, 0 to 3
// of each, some at 7).
GearStock randomStock(std::mt19937& rng) {
  GearStock stock;
  const bool dense = between(rng, 0, 2) == 0;
  const int first = between(rng, 16, 40), last = between(rng, dense ? 100 : 70, dense ? 169 : 120);
  const int step = dense ? 1 : between(rng, 2, 5);
  for (int t = first; t <= last; t += step)
    stock.setCount(t, dense ? (between(rng, 0, 9) == 0 ? 7 : between(rng, 0, 3)) : between(rng, 1, 2));
  return stock;
}

}  // namespace

int main(int argc, char** argv) {
  const int cases = argc > 1 ? std::atoi(argv[1]) : 20;
  std::mt19937 rng(argc > 2 ? static_cast<unsigned>(std::atoi(argv[2])) : 1u);
  int differ = 0;
  for (int c = 0; c < cases; ++c) {
    const JobInputs in = randomJob(rng);
    const GearStock stock = randomStock(rng);
    SolveOptions options;
    options.processors = 2;
    const int option = between(rng, 0, 5);
    options.wholeOnly = option == 0;
    options.finiteOnly = option == 1;
    options.bypassDuplicates = option == 2;
    const AdvisorReport got = advise(in, stock, options);
    const AdvisorReport expected = testing::adviceByWholeRuns(in, stock, options);
    const std::string difference = testing::differenceOf(got, expected);
    const bool ok = difference.empty();
    differ += !ok;
    std::printf("case %d: %s; now %zu, %zu suggestions, option %d, stock %s %s\n", c + 1, ok ? "same" : "DIFFERS",
                expected.nowCount, expected.suggestions.size(), option, stock.toText().c_str(), difference.c_str());
    if (!ok)
      std::printf("  job: K %s, Cf %s, f %s, helix %s, Pn %s, N %s, T %s, set-up %d\n", in.indexConstant.c_str(),
                  in.feedConstant.c_str(), in.feedRate.c_str(), in.helixAngle.c_str(), in.normalPitch.c_str(),
                  in.teeth.c_str(), in.hobThreads.c_str(), in.setupIndex);
    std::fflush(stdout);
  }
  std::printf("%d of %d cases differ\n", differ, cases);
  return differ == 0 ? 0 : 1;
}
