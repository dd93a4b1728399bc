// The run's rules: band, C-constant tests and cap, feed-error limit, feed window and
// the stock check.
#include "solver/run_rules.h"

#include <algorithm>
#include <vector>

namespace hobwise {

namespace {

const DecFloat& capValue() {
  static const DecFloat value = fromDouble(kCConstantCap);
  return value;
}

const DecFloat& toleranceValue() {
  static const DecFloat value = fromDouble(kCConstantTolerance);
  return value;
}

const DecFloat& feedErrorLimitValue() {
  static const DecFloat value = fromDouble(kFeedErrorLimit);
  return value;
}

const DecFloat& feedWindowValue() {
  static const DecFloat value = fromDouble(kFeedWindow);
  return value;
}

// Tooth count that marks a merged entry of the plain stock check; no gear has it.
constexpr std::uint16_t kMerged = 200;

}  // namespace

Order compare(const DecFloat& value, const DecFloat& other) {
  if (value > other) return Order::Greater;
  if (value < other) return Order::Less;
  return Order::Equal;
}

FeedBand FeedBand::of(const JobParameters& job) {
  return {indexRatioFor(job, job.requiredC), indexRatioFor(job, job.cLow), indexRatioFor(job, job.cHigh)};
}

bool FeedBand::contains(const DecFloat& indexRatio) const {
  return strictlyBetween(compare(indexRatio, lowEnd), compare(indexRatio, highEnd));
}

bool passesWholeTest(const DecFloat& c) { return c - boost::multiprecision::floor(c) < toleranceValue(); }

bool passesFiniteTest(const DecFloat& c) {
  const DecFloat scaled = c * kFiniteScale;
  return boost::multiprecision::abs(scaled - boost::multiprecision::floor(scaled)) < toleranceValue();
}

bool passesCConstantOption(const DecFloat& c, bool wholeOnly, bool finiteOnly) {
  if (wholeOnly) return passesWholeTest(c);
  if (finiteOnly) return passesFiniteTest(c);
  return true;
}

bool withinCap(const DecFloat& c) { return !(c > capValue()); }

bool withinFeedErrorLimit(const DecFloat& error) { return error < feedErrorLimitValue(); }

FeedWindow FeedWindow::of(const JobParameters& job) {
  return {job.feedRate - feedWindowValue(), job.feedRate + feedWindowValue()};
}

StockSnapshot StockSnapshot::of(const GearStock& stock, bool bypassDuplicates) {
  StockSnapshot s;
  for (int t = kFirstToothCount; t <= kLastToothCount; ++t)
    s.counts[static_cast<std::size_t>(t)] = static_cast<std::uint8_t>(stock.count(t));
  s.bypassDuplicates = bypassDuplicates;
  return s;
}

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
    if (e.count > stock.count(e.toothCount)) return false;
  return true;
}

bool checkStockFast(const StockSnapshot& stock, std::span<const std::uint16_t> gears) {
  if (stock.bypassDuplicates) return true;
  // At most eight gears: count each tooth count at its first gear, by comparing with
  // the others.
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
    if (first && uses > 1 && uses > stock.count(gears[k])) return false;
  }
  return true;
}

MountRule::MountRule(const Quadrant& index, const Quadrant& feed, int setupIndex)
    : index_(index, TrainKind::kIndex, intermediateStuds(setupIndex, TrainKind::kIndex)),
      feed_(feed, TrainKind::kFeed, intermediateStuds(setupIndex, TrainKind::kFeed)) {}

}  // namespace hobwise
