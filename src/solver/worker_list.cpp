// The order of results, the workers' lists, the division of the work and the trimming.
#include "solver/internal/worker_list.h"

#include <algorithm>
#include <tuple>

#include "solver/run_rules.h"

namespace hobwise::solver {

namespace {
auto gearsOf(const FoundResult& r) { return std::tie(r.f0, r.f1, r.f2, r.f3, r.i0, r.i1, r.i2, r.i3); }
}  // namespace

bool resultBefore(const FoundResult& a, const FoundResult& b) {
  if (a.feedError < b.feedError) return true;
  if (b.feedError < a.feedError) return false;
  return gearsOf(a) < gearsOf(b);
}

bool sameGears(const FoundResult& a, const FoundResult& b) { return gearsOf(a) == gearsOf(b); }

WorkerList::WorkerList(const std::optional<DecFloat>& feedErrorBelow) : ceiling(feedErrorBelow) {
  if (ceiling) ceilingApprox = ceiling->convert_to<double>();
}

bool WorkerList::admits(const FoundResult& find) const {
  if (ceiling && !(find.feedError < *ceiling)) return false;
  return order.size() < kWorkerListLimit || resultBefore(find, slots[order.back()]);
}

void WorkerList::insert(const FoundResult& find) {
  if (admits(find)) insert(find, find.feedError.convert_to<double>());
}

void WorkerList::insert(const FoundResult& find, double approx) {
  if (!admits(find)) return;
  const auto pos = std::lower_bound(order.begin(), order.end(), find, [&](std::uint16_t k, const FoundResult& f) {
    return resultBefore(slots[k], f);
  });
  if (pos != order.end() && sameGears(slots[*pos], find)) return;  // the other copy of the same pair
  const auto index = pos - order.begin();
  std::uint16_t slot = 0;
  if (order.size() < kWorkerListLimit) {
    slot = static_cast<std::uint16_t>(slots.size());
    slots.push_back(find);
  } else {  // the last entry leaves (the find comes before it) and gives up its slot
    slot = order.back();
    order.pop_back();
    approxError.pop_back();
    slots[slot] = find;
  }
  order.insert(order.begin() + index, slot);
  approxError.insert(approxError.begin() + index, approx);
}

std::vector<FoundResult> WorkerList::entries() const {
  std::vector<FoundResult> sorted;
  sorted.reserve(order.size());
  for (std::uint16_t k : order) sorted.push_back(slots[k]);
  return sorted;
}

FoundResult makeFind(const CConstantRecord& record, const GearPair& driving, const GearPair& driven) {
  FoundResult f;
  f.f0 = driven.larger;
  f.f1 = driven.smaller;
  f.f2 = driving.larger;
  f.f3 = driving.smaller;
  f.i0 = record.g0;
  f.i1 = record.g1;
  f.i2 = record.g2;
  f.i3 = record.g3;
  f.cConstant = record.cConstant;
  return f;
}

std::vector<WorkRange> divideWork(std::size_t k, unsigned processors) {
  const std::size_t p = std::max(1u, processors);
  std::vector<WorkRange> ranges;
  if (k == 0) return ranges;
  if (k > p) {
    const std::size_t chunk = (k + p - 1) / p;
    std::size_t start = 0;
    for (std::size_t w = 0; w < p; ++w) {
      const std::size_t end = w + 1 == p ? k : std::min(k, start + chunk);
      ranges.push_back({static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(end)});
      start = end;
    }
  } else {
    for (std::size_t w = 0; w < k; ++w)
      ranges.push_back({static_cast<std::uint32_t>(w), static_cast<std::uint32_t>(w + 1)});
  }
  return ranges;
}

std::vector<FoundResult> trimResults(std::vector<FoundResult> found, const JobParameters& job) {
  std::stable_sort(found.begin(), found.end(), resultBefore);
  // Equal gears sort next to each other (they have equal errors too).
  found.erase(std::unique(found.begin(), found.end(), sameGears), found.end());
  // The first kResultLimit in the feed window, in that order: the window is asked of
  // no more of them than that takes (every find of every worker would be thousands).
  const FeedWindow window = FeedWindow::of(job);
  std::vector<FoundResult> kept;
  kept.reserve(std::min(found.size(), kResultLimit));
  for (FoundResult& r : found) {
    if (kept.size() == kResultLimit) break;
    if (window.contains(actualFeed(job, trainRatio(std::uint64_t{r.f2} * r.f3, std::uint64_t{r.f0} * r.f1))))
      kept.push_back(std::move(r));
  }
  return kept;
}

}  // namespace hobwise::solver
