#pragma once
// The gear set, the pair table and the bisection over it.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/gear_stock.h"
#include "solver/run_rules.h"
#include "solver/solver.h"

namespace hobwise::solver {

// The tooth counts of which the stock holds at least one, ascending.
std::vector<std::uint32_t> gearSetFrom(const GearStock& stock);

// Every pair (GearSet[max(i, j)], GearSet[min(i, j)]) for i and j over the gear set,
// i outer, j inner, sorted by product with a stable sort.
std::vector<GearPair> buildPairTable(const std::vector<std::uint32_t>& gearSet);

// The bisection over the pair table for one driven pair: `order(mid)` compares the
// train with driving pair mid against the target (NaN compares as Equal, which leaves
// the bisection where it is), `afterStep(lo, hi, mid)` sees the state after every
// step. Returns the final lo and hi.
struct Range {
  std::size_t lo = 0;
  std::size_t hi = 0;
};
template <class OrderFn, class StepFn>
Range bisectPairs(std::size_t n, OrderFn&& order, StepFn&& afterStep) {
  std::size_t lo = 0, hi = n - 1, mid = (n - 1) / 2;
  while (true) {
    const std::size_t width = hi - lo;
    const Order o = order(mid);
    if (o == Order::Greater) {
      hi = (mid % 2 == 1 && mid < n - 1 && mid > 2) ? mid + 1 : mid;
      mid = (lo + hi) / 2;
    } else if (o == Order::Less) {
      lo = (mid % 2 == 1) ? mid - 1 : mid;
      mid = (lo + hi) / 2;
    }
    afterStep(lo, hi, mid);
    if (!(hi - lo < width)) break;
  }
  return {lo, hi};
}

}  // namespace hobwise::solver
