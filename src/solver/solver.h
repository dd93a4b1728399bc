#pragma once
// The change-gear solver: a solve run from the stock and the job to the trimmed,
// ordered list of found results.
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "model/decfloat.h"
#include "model/gear_stock.h"
#include "model/job.h"
#include "model/machine_profile.h"

namespace hobwise {

class CConstantMemo;

// Two gears of a four-gear train: a driving pair (numerator) or a driven pair
// (denominator).
struct GearPair {
  std::uint16_t larger = 0;
  std::uint16_t smaller = 0;
  std::uint64_t product = 0;
};

// One index train with a feed train, as found by the workers.
struct FoundResult {
  std::uint16_t f0 = 0, f1 = 0;  // feed train, driven pair (larger, smaller)
  std::uint16_t f2 = 0, f3 = 0;  // feed train, driving pair (larger, smaller)
  std::uint16_t i0 = 0, i1 = 0;  // index train, driven pair (larger, smaller)
  std::uint16_t i2 = 0, i3 = 0;  // index train, driving pair (larger, smaller)
  DecFloat feedError;            // |feed ratio - ratio the C constant asks for|
  DecFloat cConstant;
};

// An index train that lies in the feed band, with its C constant.
struct CConstantRecord {
  std::uint16_t g0 = 0, g1 = 0;  // driven pair (larger, smaller), the denominator
  std::uint16_t g2 = 0, g3 = 0;  // driving pair (larger, smaller), the numerator
  DecFloat ratioError;
  DecFloat cConstant;
};

// The quadrants of a machine's two trains, for "Mountable Trains Only".
struct MountQuadrants {
  Quadrant index;
  Quadrant feed;
  bool operator==(const MountQuadrants&) const = default;
};

struct SolveOptions {
  bool wholeOnly = false;         // "Use Whole C Constants Only"
  bool finiteOnly = false;        // "Use Finite C Constants Only"
  bool bypassDuplicates = false;  // "Bypass Duplicates Check"
  unsigned processors = 1;        // logical processors: one worker each; 0 means one
  // The one switch between the shortcuts and the literal algorithm: set, every step
  // takes its plain form (the same results, slower). Passed down to every step.
  bool exact = false;
  CConstantMemo* cConstantMemo = nullptr;  // shared by runs of this one job; unused when exact
  // Set: keep only results whose feed error is smaller (the advisor's first look at a
  // stock: does it beat the best result now?).
  std::optional<DecFloat> feedErrorBelow{};
  // Set: "Mountable Trains Only" on the machine of these quadrants. An index train that
  // does not mount (model/mounting.h, with the set-up's intermediate studs) is passed
  // over where the stock check passes over a train, so that its ratio error is not
  // taken and a later train of the same ratio that mounts can be recorded; a feed train
  // that does not mount is passed over where the stock check of the eight gears passes
  // over a find. Not set: the run is exactly as without a machine.
  std::optional<MountQuadrants> mountableOnly{};
};

// The stages of a run that a stop can end.
enum class SolveStage { None, IndexTrains, CConstants, FeedTrains };

// Everything a run hands back to its caller while it runs. Both may be called from
// the run's thread and from worker threads, concurrently.
struct SolveCallbacks {
  std::function<void(const std::string&)> status;  // progress texts for the status line
  // Set: every stage ends after its current piece of work (a few driven pairs of the
  // index-train search, one train's C constant on each thread, one C constant on each
  // worker) and hands on what it has; the stages after it each do their first piece.
  const std::atomic<bool>* stop = nullptr;
  std::function<void(SolveStage)> stageStarted;  // on the run's thread, as each stage begins
};

// How many candidates each stage of a run let through, counted once each at the
// place where the plain algorithm decides it, so that the counts are the same for
// any number of workers and with or without the shortcuts:
// - indexTrains: the distinct index ratios (driving product over driven product) of
//   the trains the index-train search meets strictly inside the feed band. Trains of
//   one ratio are one candidate: the search records the first of them the stock holds
//   and passes over the rest.
// - inStock: of those ratios, the ones met with a train the stock check lets through
//   (the index trains recorded, one per ratio); with "Mountable Trains Only", a train
//   that both the stock check and the mounting check let through.
// - cConstants: the distinct C constants left after the whole/finite option and the
//   cap of 9999.9999.
// - feedTrains: over all C constants, the feed trains of distinct gears (a driving and
//   a driven pair, each counted once whichever copy of the pair table the search
//   meets) in the ranges the workers' bisections end with, whose ratio lies within
//   0.001 of the ratio the C constant asks for. Counted before the stock check of the
//   eight gears and before the worker's list, whose 400 places depend on how the C
//   constants are divided among the workers.
// - feedTest: of those, the ones whose actual feed lies within 0.005 of the wanted
//   feed (the stock check of the eight gears comes after this count, and so does the
//   mounting check of the feed train with "Mountable Trains Only", which stands
//   beside it: both counts are the same with the option on or off).
// - kept: the results kept, at most 200.
// A stopped run counts what it did.
struct StageCounts {
  std::size_t indexTrains = 0;
  std::size_t inStock = 0;
  std::size_t cConstants = 0;
  std::size_t feedTrains = 0;
  std::size_t feedTest = 0;
  std::size_t kept = 0;
  bool operator==(const StageCounts&) const = default;
};

struct SolveReport {
  std::vector<FoundResult> results;  // trimmed, ordered by feed error, at most 200
  std::size_t cConstantCount = 0;    // distinct C constants the search kept
  bool rangeSet = false;             // the trimming ran: the result browser's range is 1..results.size()
  bool failed = false;               // a text was not a number, or memory ran out: no results
  StageCounts stages;
  SolveStage stoppedIn = SolveStage::None;  // the stage in which the run saw the stop
};

// One whole solve run on the calling thread (workers on threads of their own), made of
// the parts of solver/run_parts.h. Status texts in order: "Finding Applicable C Constants..." once the pair table is
// built, "Processing %i of %i C constants using %i logical processors..." as workers
// start on C constants, and the empty text at the end of every run that got as far
// as the first text (none at all when the stock is empty). Never throws.
SolveReport solve(const JobInputs& inputs, const GearStock& stock, const SolveOptions& options,
                  const SolveCallbacks& callbacks = {});

}  // namespace hobwise
