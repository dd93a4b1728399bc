#pragma once
// The order of results, a worker's list of its best finds, the division of the C
// constants among workers, and the trimming of the combined finds.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "model/decfloat.h"
#include "model/job.h"
#include "solver/run_parts.h"
#include "solver/solver.h"

namespace hobwise::solver {

inline constexpr std::size_t kWorkerListLimit = 400;
inline constexpr std::size_t kResultLimit = 200;

// Result order: feed error ascending, then the eight tooth counts ascending.
bool resultBefore(const FoundResult& a, const FoundResult& b);
bool sameGears(const FoundResult& a, const FoundResult& b);

// A worker's list of its best finds, at most 400, in result order, no two with the
// same eight gears. The finds stay where they were put (`slots`); `order` holds their
// places in result order, so that a find that enters moves two bytes of each entry
// behind it rather than the entry, and `approxError` keeps the feed error of each
// entry, in result order, as a double.
struct WorkerList {
  std::vector<FoundResult> slots;
  std::vector<std::uint16_t> order;
  std::vector<double> approxError;
  // Set (SolveOptions::feedErrorBelow): only finds with a smaller feed error enter;
  // ceilingApprox is its value in double.
  std::optional<DecFloat> ceiling;
  double ceilingApprox = 0;

  explicit WorkerList(const std::optional<DecFloat>& feedErrorBelow = std::nullopt);

  std::size_t size() const { return order.size(); }
  const FoundResult& at(std::size_t k) const { return slots[order[k]]; }
  std::vector<FoundResult> entries() const;  // in result order

  // True when a find of this error (and these gears) would enter the list.
  bool admits(const FoundResult& find) const;
  // Puts the find in its place and cuts the list to 400; a find already in the list,
  // or one that does not beat the last entry of a full list, is left out. `approx`:
  // its feed error in double, if the caller has it to a few units in the last place
  // of the ratios (cheaper than converting the DecFloat error).
  void insert(const FoundResult& find);
  void insert(const FoundResult& find, double approx);
};

// The find of a feed train (driving over driven pair) with the index train of a record.
FoundResult makeFind(const CConstantRecord& record, const GearPair& driving, const GearPair& driven);

// The ranges of C constants of the workers: k C constants on p processors.
std::vector<WorkRange> divideWork(std::size_t k, unsigned processors);

// Sorting, removal of repeats, the feed window, and the cut to 200.
std::vector<FoundResult> trimResults(std::vector<FoundResult> found, const JobParameters& job);

}  // namespace hobwise::solver
