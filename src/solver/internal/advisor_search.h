#pragma once
// The advisor's look at the additions that keep the gear set (one more gear of a tooth
// count the stock holds already). The pair table, the index-train search's bisections
// and the feed-train search's ranges are then those of the stock as it is; only the
// stock check changes, and only for trains that use the added tooth count once more
// than the stock holds:
// - the index-train search records, of each ratio error, the first train the stock
//   holds: a train met before it that the stock lacked one gear for can take its
//   place, and a ratio error none of whose trains the stock held can gain one;
// - a feed train with an index train can pass the stock check of its eight gears.
// So an addition changes the C constants only where one of the first kind exists, and
// otherwise adds to the finds of the stock as it is only finds the stock lacked one
// gear of that tooth count for.
#include <array>
#include <atomic>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "model/decfloat.h"
#include "solver/solver.h"
#include "solver/solver_internal.h"

namespace hobwise::solver {

// The trains the index-train search meets inside the feed band, whatever the stock:
// per run of equal driven product in the pair table, the driving pairs met in order,
// each with the number of its signed ratio error (errors[k]); equal numbers, equal
// errors.
struct IndexTrainsMet {
  struct Train {
    std::uint32_t mid;
    std::uint32_t error;
  };
  std::vector<std::size_t> runStart;  // runs of equal driven product, and the table's end
  std::vector<std::vector<Train>> met;
  std::vector<DecFloat> errors;  // by number
};

// The bisections of the index-train search (its fast form, the same trains in the same
// order as the plain one), on `threads` threads. Nothing when `stop` ended them.
std::optional<IndexTrainsMet> meetIndexTrains(const JobParameters& job, const std::vector<GearPair>& pairs,
                                              unsigned threads, const std::atomic<bool>* stop);

// The recording of the index-train search on the trains met, for a stock: of each
// ratio error the first train the stock holds, in the order met. `missing` (if given)
// gains, for each train the stock lacks gears for that is met before the train
// recorded for its error (or whose error gets none), the tooth count of which one gear
// more would let the stock hold it (see missingOne).
std::vector<CConstantRecord> recordIndexTrains(const IndexTrainsMet& met, const std::vector<GearPair>& pairs,
                                               const StockSnapshot& stock, std::vector<char>* missing = nullptr);

// The tooth count of which one gear more lets the stock hold the gears, when the stock
// lacks exactly one gear of exactly one tooth count for them; 0 otherwise (also when
// it holds them).
int missingOne(const StockSnapshot& stock, std::span<const std::uint16_t> gears);

// The gears of a find, for the stock check.
std::array<std::uint16_t, 8> gearsOf(const FoundResult& find);

// The finds of the C constants (each record's feed trains within 0.001 and with a feed
// in the window, whatever the stock) whose feed error lies below `below` (all of them
// without it), on `threads` threads. Nothing when more than a worker list's 400 of
// one C constant are such finds (the caller then runs whole runs) or when `stop`
// ended the search.
std::optional<std::vector<FoundResult>> findsBelow(const FeedSearch& anyStock,
                                                   std::span<const CConstantRecord> cConstants,
                                                   const std::optional<DecFloat>& below, unsigned threads,
                                                   const std::atomic<bool>* stop);

}  // namespace hobwise::solver
