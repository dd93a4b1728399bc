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
#include <unordered_map>
#include <vector>

#include "model/decfloat.h"
#include "solver/solver.h"
#include "solver/internal/c_constant_search.h"
#include "solver/internal/feed_search.h"
#include "solver/internal/pair_table.h"
#include "solver/internal/run_control.h"
#include "solver/internal/threshold.h"
#include "solver/internal/worker_list.h"

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
// ratio error the first train the stock holds, in the order met, each with its place
// among the trains met; and the trains the stock lacks exactly one gear for (see
// missingOne) that are met before the train recorded for their error (or whose error
// gets none): one more gear of that tooth count records them instead. With `mounts`
// ("Mountable Trains Only") a train that does not mount is neither recorded nor
// lacking, as a run passes it over beside the stock check.
struct IndexRecords {
  struct Lacking {
    std::uint16_t toothCount;
    std::uint32_t error;
    std::uint32_t place;
    CConstantRecord record;  // the record it makes
  };
  std::vector<CConstantRecord> records;
  std::vector<std::uint32_t> places;  // [k]: of records[k]
  std::vector<std::uint32_t> errors;  // [k]: the error number of records[k]
  std::vector<Lacking> lacking;
};
IndexRecords recordIndexTrains(const IndexTrainsMet& met, const std::vector<GearPair>& pairs,
                               const StockSnapshot& stock, const MountRule* mounts = nullptr);

// The C constants of the stock as it is (steps B to D of the C-constant search on its
// recorded trains), kept so that those of the stock with one more gear follow from
// the few trains that gear records instead: a new train's record stands or falls
// with its ratio error's old one, and step D's choice changes only among the records
// whose C constants agree with one of them to 80 decimals.
class CConstantChanges {
 public:
  CConstantChanges(const JobParameters& job, IndexRecords recorded, const SolveOptions& options, unsigned threads,
                   RunControl* control);

  const std::vector<CConstantRecord>& cConstants() const { return cConstants_; }
  // The place in cConstants() of the record with these index gears, if any.
  std::optional<std::size_t> find(std::uint16_t g0, std::uint16_t g1, std::uint16_t g2, std::uint16_t g3) const;
  // True when one more gear of the tooth count records other index trains.
  bool changedBy(int toothCount) const;

  struct Change {
    std::vector<char> kept;               // [k]: cConstants()[k] stays
    std::vector<CConstantRecord> added;   // the C constants that come, ascending
  };
  Change changeBy(int toothCount) const;

 private:
  std::vector<CConstantRecord> assigned(std::vector<CConstantRecord> records, unsigned threads,
                                        RunControl* control) const;
  std::vector<std::size_t> sameKeyAs(const CConstantRecord& r) const;

  const JobParameters& job_;
  SolveOptions options_;
  IndexRecords recorded_;
  std::vector<CConstantRecord> valid_;      // [k]: recorded_.records[k] with its C constant
  std::vector<char> isValid_;               // [k]: it passed the option's test and the cap
  std::vector<std::size_t> byC_;            // the valid ones by C constant
  std::vector<CConstantRecord> cConstants_;
  std::unordered_map<std::uint64_t, std::size_t> recordAt_;    // by index gears: place in records
  std::unordered_map<std::uint64_t, std::size_t> cConstantAt_; // by index gears: place in cConstants_
  std::vector<std::size_t> recordOfError_;  // [error]: place in records, or none
  std::vector<char> changes_;               // [toothCount]
};

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
