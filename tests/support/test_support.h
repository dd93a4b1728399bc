#pragma once
// Helpers the tests share.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <tuple>

#include "model/gear_stock.h"
#include "model/job.h"
#include "solver/solver.h"

namespace hobwise::testing {

inline JobInputs exampleInputs() {
  return exampleJobInputs();
}

inline GearStock stockOf(std::initializer_list<std::pair<int, int>> counts) {
  GearStock stock;
  for (auto [teeth, count] : counts) stock.setCount(teeth, count);
  return stock;
}

inline auto gearsOf(const FoundResult& r) { return std::tie(r.f0, r.f1, r.f2, r.f3, r.i0, r.i1, r.i2, r.i3); }

// Two reports alike: outcome, stage counts, and the results gear for gear, with their
// feed errors and C constants to the last digit.
inline void expectSameReport(const SolveReport& a, const SolveReport& b, const std::string& what) {
  EXPECT_EQ(std::tie(a.failed, a.rangeSet, a.cConstantCount, a.stoppedIn),
            std::tie(b.failed, b.rangeSet, b.cConstantCount, b.stoppedIn)) << what;
  EXPECT_EQ(a.stages, b.stages) << what;
  ASSERT_EQ(a.results.size(), b.results.size()) << what;
  for (std::size_t k = 0; k < a.results.size(); ++k)
    EXPECT_TRUE(gearsOf(a.results[k]) == gearsOf(b.results[k]) && a.results[k].feedError == b.results[k].feedError &&
                a.results[k].cConstant == b.results[k].cConstant) << what << " result " << k;
}

}  // namespace hobwise::testing
