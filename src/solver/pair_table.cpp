// The gear set, the pair table and the stock check.
#include <algorithm>
#include <cmath>

#include "solver/solver_internal.h"

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

StockSnapshot StockSnapshot::of(const GearStock& stock, bool bypassDuplicates) {
  StockSnapshot s;
  for (int t = kFirstToothCount; t <= kLastToothCount; ++t)
    s.counts[static_cast<std::size_t>(t)] = static_cast<std::uint8_t>(stock.count(t));
  s.bypassDuplicates = bypassDuplicates;
  return s;
}

namespace {
// Tooth count that marks a merged entry; no gear has it.
constexpr std::uint16_t kMerged = 200;

int stockCount(const StockSnapshot& stock, std::uint16_t toothCount) {
  return toothCount < stock.counts.size() ? stock.counts[toothCount] : 0;
}
}  // namespace

bool checkStockPlain(const StockSnapshot& stock, std::span<const std::uint16_t> gears) {
  if (stock.bypassDuplicates) return true;
  struct Entry {
    std::uint16_t count;
    std::uint16_t toothCount;
  };
  std::vector<Entry> entries;
  entries.reserve(gears.size());
  for (auto g : gears) entries.push_back({1, g});
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
    return a.toothCount != b.toothCount ? a.toothCount < b.toothCount : a.count < b.count;
  });
  for (std::size_t k = 0; k < entries.size(); ++k)
    for (std::size_t l = k + 1; l < entries.size(); ++l)
      if (entries[l].toothCount != kMerged && entries[l].toothCount == entries[k].toothCount) {
        ++entries[k].count;
        entries[l].toothCount = kMerged;
      }
  std::erase_if(entries, [](const Entry& e) { return e.toothCount == kMerged || e.count == 1; });
  for (const Entry& e : entries)
    if (e.count > stockCount(stock, e.toothCount)) return false;
  return true;
}

bool checkStock(const StockSnapshot& stock, std::span<const std::uint16_t> gears) {
  if (stock.bypassDuplicates) return true;
  // At most eight gears: count each tooth count by comparing with the earlier ones.
  for (std::size_t k = 0; k < gears.size(); ++k) {
    int uses = 1;
    bool first = true;
    for (std::size_t l = 0; l < gears.size(); ++l) {
      if (l == k || gears[l] != gears[k]) continue;
      if (l < k) {
        first = false;
        break;
      }
      ++uses;
    }
    if (first && uses > 1 && uses > stockCount(stock, gears[k])) return false;
  }
  return true;
}

DecFloat quotient(std::uint64_t a, std::uint64_t b) { return DecFloat(a) / DecFloat(b); }

Threshold::Threshold(const DecFloat& value) : exact_(value), nan_(hobwise::isNaN(value)) {
  approx_ = nan_ ? 0.0 : roughDouble(value);
}

std::optional<Order> Threshold::certainOrderOf(std::uint64_t a, std::uint64_t b) const {
  if (nan_) return Order::Equal;
  // Beyond the range of a double: far beyond every ratio of two tooth-count products.
  if (std::isinf(approx_)) return approx_ > 0 ? Order::Less : Order::Greater;
  const double x = approx_ * static_cast<double>(b);
  if (std::isinf(x)) return x > 0 ? Order::Less : Order::Greater;
  const double d = static_cast<double>(a) - x;
  const double room = kSafety * std::fabs(x);
  if (d > room) return Order::Greater;
  if (d < -room) return Order::Less;
  return std::nullopt;
}

Order Threshold::orderOf(std::uint64_t a, std::uint64_t b) const {
  if (const auto certain = certainOrderOf(a, b)) return *certain;
  const DecFloat q = quotient(a, b);
  if (q > exact_) return Order::Greater;
  if (q < exact_) return Order::Less;
  return Order::Equal;
}

}  // namespace hobwise::solver
