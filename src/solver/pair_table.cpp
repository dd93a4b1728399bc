// The gear set, the pair table, and ratios of the table against a threshold.
#include "solver/internal/pair_table.h"

#include <algorithm>
#include <cmath>

#include "solver/internal/threshold.h"

namespace hobwise::solver {

std::vector<std::uint32_t> gearSetFrom(const GearStock& stock) {
  std::vector<std::uint32_t> set;
  for (int t = kFirstToothCount; t <= kLastToothCount; ++t)
    if (stock.count(t) != 0) set.push_back(static_cast<std::uint32_t>(t));
  return set;
}

std::vector<GearPair> buildPairTable(const std::vector<std::uint32_t>& gearSet) {
  const std::size_t n = gearSet.size();
  std::vector<GearPair> pairs;
  pairs.reserve(n * n);
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t j = 0; j < n; ++j) {
      GearPair p;
      p.larger = static_cast<std::uint16_t>(gearSet[std::max(i, j)]);
      p.smaller = static_cast<std::uint16_t>(gearSet[std::min(i, j)]);
      p.product = static_cast<std::uint32_t>(p.larger) * static_cast<std::uint32_t>(p.smaller);
      pairs.push_back(p);
    }
  }
  std::stable_sort(pairs.begin(), pairs.end(),
                   [](const GearPair& a, const GearPair& b) { return a.product < b.product; });
  return pairs;
}

Threshold::Threshold(const DecFloat& value) : exact_(value), nan_(hobwise::isNaN(value)) {
  approx_ = nan_ ? 0.0 : roughDouble(value);
}

Decided<Order> Threshold::orderFast(std::uint64_t a, std::uint64_t b) const {
  if (nan_) return Order::Equal;
  // Beyond the range of a double: far beyond every ratio of two tooth-count products.
  if (std::isinf(approx_)) return approx_ > 0 ? Order::Less : Order::Greater;
  const double x = approx_ * static_cast<double>(b);
  if (std::isinf(x)) return x > 0 ? Order::Less : Order::Greater;
  const double d = static_cast<double>(a) - x;
  const double room = kSafety * std::fabs(x);
  if (d > room) return Order::Greater;
  if (d < -room) return Order::Less;
  return kCannotDecide;
}

}  // namespace hobwise::solver
