#pragma once
// The C-constant search: the index trains in the feed band (step A, plain and fast
// forms), their C constants and the user's option (B), the cap (C), and the order
// with one record per C constant (D).
#include <functional>
#include <set>
#include <vector>

#include "model/job.h"
#include "solver/internal/run_control.h"
#include "solver/run_rules.h"
#include "solver/solver.h"

namespace hobwise::solver {

// The set of signed ratio errors (ratio - target) of the recorded index trains.
using RatioErrorSet = std::set<DecFloat>;

// Step A: the index trains whose ratio lies strictly inside the feed band, in the
// order they are found; a train is recorded when its signed ratio error is new and
// the stock holds its gears (and, with `mounts`, the train mounts: "Mountable Trains
// Only"). cConstant is left 0. `control` (if given) gains
// indexTrains and inStock and may end the search early. The plain form bisects for
// every driven pair in DecFloat; the fast form bisects once per driven product, on
// `threads` threads, comparing in double where that is certain, and records in the
// same order. `searchIndexTrains` picks the form.
std::vector<CConstantRecord> searchIndexTrainsPlain(const JobParameters& job, const std::vector<GearPair>& pairs,
                                                    const StockSnapshot& stock, RatioErrorSet& ratioErrors,
                                                    RunControl* control = nullptr, const MountRule* mounts = nullptr);
std::vector<CConstantRecord> searchIndexTrainsFast(const JobParameters& job, const std::vector<GearPair>& pairs,
                                                   const StockSnapshot& stock, RatioErrorSet& ratioErrors,
                                                   RunControl* control = nullptr, unsigned threads = 1,
                                                   const MountRule* mounts = nullptr);
std::vector<CConstantRecord> searchIndexTrains(const JobParameters& job, const std::vector<GearPair>& pairs,
                                               const StockSnapshot& stock, RatioErrorSet& ratioErrors, bool exact,
                                               RunControl* control = nullptr, unsigned threads = 1,
                                               const MountRule* mounts = nullptr);

// Step B: gives each record its C constant (CConstantStep) and drops those that fail
// the option the user chose. `threads` > 1 spreads the records over that many threads,
// which take them in turns of a few; a stop ends each thread after its current record,
// and the records not reached are dropped.
void assignCConstants(const JobParameters& job, std::vector<CConstantRecord>& records, const SolveOptions& options,
                      unsigned threads, RunControl* control = nullptr);

// Step C: drops the C constants above the cap.
void dropOutOfRange(std::vector<CConstantRecord>& records);

// Step D: orders by the C constant to 80 decimals (smaller spread first among
// equals) and keeps the first record of each run of equal keys.
void orderDistinct(std::vector<CConstantRecord>& records);

// Step A as findCConstants takes it (stageStarted hears of it).
std::vector<CConstantRecord> findIndexTrains(const JobParameters& job, const std::vector<GearPair>& pairs,
                                             const StockSnapshot& stock, const SolveOptions& options,
                                             RunControl* control = nullptr,
                                             const std::function<void(SolveStage)>& stageStarted = {},
                                             const MountRule* mounts = nullptr);

// Steps C and D, after step B; `control` (if given) gains cConstants.
void finishCConstants(std::vector<CConstantRecord>& records, RunControl* control = nullptr);

// Steps A to D; `stageStarted` (if given) hears of steps A and B as they begin;
// `mounts`: "Mountable Trains Only" (options.mountableOnly prepared for the set-up).
std::vector<CConstantRecord> findCConstants(const JobParameters& job, const std::vector<GearPair>& pairs,
                                            const StockSnapshot& stock, const SolveOptions& options,
                                            RunControl* control = nullptr,
                                            const std::function<void(SolveStage)>& stageStarted = {},
                                            const MountRule* mounts = nullptr);

}  // namespace hobwise::solver
