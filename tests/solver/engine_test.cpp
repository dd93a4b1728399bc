// The engine's shortcuts against the plain 100-digit algorithm: the whole-number
// midpoints of the C-constant bisection step by step, the C constants of many trains,
// whole runs on fine-pitch and steep-helix jobs, the stage counts and the stop.
#include <gtest/gtest.h>

#include <random>

#include "solver/solver.h"
#include "solver/solver_internal.h"
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
// below 1 to the cap and beyond, and the near-pole trains of J7's kind.
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
    if (k % 3 == 0) {  // a ratio near K T / N, where the C constant is large or near the pole
      b = std::max<std::uint64_t>(1, static_cast<std::uint64_t>(a * n / kt * (1 + s * 1e-3 * pick(1, 900))));
    } else if (k % 3 == 1) {  // a C constant between 0.3 and 3, where the digits change limbs
      const double c = 0.3 + 2.7 * pick(0, 1000) / 1000.0;
      b = std::max<std::uint64_t>(1, static_cast<std::uint64_t>(a * (c * n + s) / (kt * c)));
    }
    trains.push_back({job, a, b, std::string(kc) + " T" + std::to_string(t) + " N" + std::to_string(n) + " s" +
                                     std::to_string(s) + " " + std::to_string(a) + "/" + std::to_string(b)});
  }
  return trains;
}

int trainCount(int plain) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  return plain / 10;
#else
  return plain;
#endif
}

// Every halving of the plain bisection, formed again from the whole-number forms of
// its operands, gives the same DecFloat.
TEST(Midpoints, EveryHalvingAsDecFloatFormsIt) {
  int steps = 0;
  for (const Train& train : randomTrains(trainCount(60))) {
    const DecFloat ratio = quotient(train.a, train.b);
    const DecFloat root = solveCConstant(train.job, ratio);
    const Midpoints mid(root >= 1 ? 120 : 128);
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
      const DecFloat next = (x + other) / 2;
      Wide sum, half;
      if (mid.add(wx, wo, sum) && mid.halve(sum, half)) {
        ASSERT_EQ(mid.toDecFloat(half), next) << train.what << " step " << step;
        ++steps;
      }
      (up ? lo : hi) = x;
      x = next;
      if (x > 99999 || !(hi > lo + DecFloat(1e-110))) break;
    }
  }
  EXPECT_GT(steps, trainCount(60) * 150);
}

TEST(CConstantSolver, SameDigitsAsThePlainBisection) {
  for (const Train& train : randomTrains(trainCount(600))) {
    const CConstantSolver solver(train.job);
    ASSERT_EQ(solver.solve(train.a, train.b), solveCConstant(train.job, quotient(train.a, train.b))) << train.what;
  }
}

}  // namespace
}  // namespace hobwise::solver
