#pragma once
// The feed-train search of the workers, in its plain form (one C constant at a time,
// every bisection and ratio in DecFloat) and its fast form (a block of C constants
// swept at once, in double where that is certain; feed_sweep.cpp).
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "model/decided.h"
#include "model/job.h"
#include "solver/internal/pair_table.h"
#include "solver/internal/worker_list.h"
#include "solver/run_parts.h"
#include "solver/run_rules.h"

namespace hobwise::solver {

class FeedSearch {
 public:
  // `mounts` (if given, kept by pointer): "Mountable Trains Only"; a feed train that does
  // not mount is passed over beside the stock check of the eight gears.
  FeedSearch(const JobParameters& job, const std::vector<GearPair>& pairs, const StockSnapshot& stock,
             const MountRule* mounts = nullptr);

  // The step: the feed trains of the C constants (ascending) into the list, by the fast
  // form unless `exact` or it cannot decide, else by the plain form; `counts` (if
  // given) gains the stage counts, the same from both forms.
  void search(std::span<const CConstantRecord> records, WorkerList& list, FeedCounts* counts, bool exact) const;

  // The step in pieces, for workers that take them in turns. targetsFor: the form of
  // the search, the fast form's T of each C constant (targetsFast), or nothing for the
  // plain form (when exact, or where the fast form cannot decide). piecesOf: its pieces,
  // the fast form's blocks or the plain form's ranges of C constants, one per
  // processor. searchPiece: one piece by that form; `proceed(k)` (if given) is asked
  // before C constant k (by the fast form for the whole piece before it searches it)
  // and false ends the piece before k; `stop` as for searchPlain. False when cut short.
  Decided<std::vector<double>> targetsFor(std::span<const CConstantRecord> records, bool exact) const;
  static std::vector<WorkRange> piecesOf(const Decided<std::vector<double>>& ts, std::size_t count,
                                         unsigned processors);
  bool searchPiece(std::span<const CConstantRecord> records, const Decided<std::vector<double>>& ts, WorkRange piece,
                   WorkerList& list, FeedCounts* counts, const std::function<bool(std::size_t)>& proceed = {},
                   const std::atomic<bool>* stop = nullptr) const;

  // The plain form for one C constant. `stop` (if given) is looked at every few hundred
  // driven pairs; false is returned when it cut the search short.
  static constexpr std::size_t kStopCheckEvery = 256;
  bool searchPlain(const CConstantRecord& record, WorkerList& list, FeedCounts* counts = nullptr,
                   const std::atomic<bool>* stop = nullptr) const;

  // The fast form, in pieces for workers that take blocks in turns: T of each C
  // constant in double (NaN where no train can come within 0.001 of it), or nothing
  // where the fast form cannot decide for this pair table at all (products beyond its
  // tables); the blocks (up to 1024 C constants of a run in which T falls, at least
  // four blocks per worker where there are enough, or one C constant); and the search
  // of one block. A worker's C constants come in ascending order, so that T falls: a
  // driven product is looked at again only when T comes near a place where its trains
  // change. The same finds and counts as the plain form on each C constant.
  Decided<std::vector<double>> targetsFast(std::span<const CConstantRecord> records) const;
  static std::vector<WorkRange> blocksOf(const std::vector<double>& ts, unsigned workers);
  void searchFast(std::span<const CConstantRecord> records, const std::vector<double>& ts, WorkRange block,
                  WorkerList& list, FeedCounts* counts) const;

 private:
  // The runs of equal product in the pair table.
  struct Group {
    std::uint32_t first;
    std::uint32_t end;
    std::uint32_t product;
    std::uint32_t distinct;  // pairs of distinct gears in the group
  };
  // A place the target can take among the products: the products next below and above
  // it (0 and 65535 where there is none), and the products of the entries that count
  // in the range the bisection ends with (each pair of two gears once), with how many
  // entries have each; size kLongRange where there are more than three products.
  struct Place {
    std::uint16_t below, above;
    std::uint16_t product[3];
    std::uint8_t weight[3];
    std::uint8_t size;
  };
  static constexpr std::uint8_t kLongRange = 255;
  struct Target;
  struct Visit;
  struct Pass;

  void buildGroups();
  void buildPlaces();
  void buildApproximations();
  std::size_t rangeStart(std::size_t place) const { return place < groups.size() ? groups[place].first : pairs.size(); }
  // True when entry m of the bisection's range [lo, ..] is the first one there with its
  // two gears.
  bool countedIn(std::size_t m, std::size_t lo) const { return otherCopy[m] >= m || otherCopy[m] < lo; }
  // The feed train (driving pair m, driven pair j) mounts, or the option is off.
  bool mountable(std::size_t m, std::size_t j) const {
    return !mounts || mounts->feedMounts(pairs[m].larger, pairs[m].smaller, pairs[j].larger, pairs[j].smaller);
  }

  // Whether a feed in double (a few units in its last place off) lies inside the
  // window, where that is certain; nothing where it is too close to an end to tell.
  Decided<bool> inWindowFast(double feed) const;
  template <class RatioFn>
  bool inWindow(double q, RatioFn&& ratio) const;
  void processRange(const CConstantRecord& record, const Group& g, Range r, Target& target, WorkerList& list) const;
  Visit visit(const CConstantRecord& record, const Group& g, Target& target, WorkerList& list, Pass& state) const;
  Visit visitExactly(const CConstantRecord& record, const Group& g, Target& target, WorkerList& list,
                     Pass& state) const;
  Range nearProductRange(std::size_t v, const Group& g, Target& target) const;
  void judgeRange(const Group& g, const Place* place, Range r, Target& target, const Pass& state,
                  Visit& visit) const;
  void sweepBlock(std::span<const CConstantRecord> records, const std::vector<double>& ts, std::size_t first,
                  std::size_t end, WorkerList& list, FeedCounts* counts) const;

  const JobParameters& job;
  const std::vector<GearPair>& pairs;
  const StockSnapshot& stock;
  const MountRule* mounts;
  FeedWindow window;

  // Made once per run for the fast form: the groups of equal product, where the
  // bisection ends for every place the target can take among the products, the other
  // copy of every pair, the places, and the feed window and the ratio's factors in
  // double.
  std::vector<Group> groups;
  std::vector<Range> outcomeAt;          // [p]: products before p lie below the target, the rest above
  std::vector<std::uint32_t> otherCopy;  // [k]: the other entry with the same two gears (or k)
  std::vector<Place> places;             // [q]: the place before group q (q = groups.size(): above all)
  std::vector<std::uint16_t> placeOf;    // [v]: the place of a target between the products v and v + 1
  double feedFactorApprox = 0;
  double feedLowApprox = 0;
  double feedHighApprox = 0;
  bool feedWindowApprox = false;  // the three above are finite numbers
  double normalPitchApprox = 0;   // for T in double
  double sinHelixApprox = 0;
  bool ratioApprox = false;       // the two above and feedFactorApprox are normal numbers
  double lowestRatio = 0;         // smallest and largest ratio of two pairs
  double highestRatio = 0;
};

}  // namespace hobwise::solver
