#pragma once
// What a run's plan holds (run_parts.cpp, run_text.cpp).
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/job.h"
#include "solver/internal/feed_search.h"
#include "solver/run_parts.h"
#include "solver/run_rules.h"
#include "solver/solver.h"

namespace hobwise {

struct RunPlan::Impl {
  JobInputs inputs;
  std::string stockText;
  SolveOptions options;  // without the memo, which only the C-constant search uses
  unsigned processors = 1;
  bool statusShown = false;
  bool failed = false;
  bool cConstantsPending = false;  // cConstants holds the index trains, without C constants
  std::optional<JobParameters> job;
  std::vector<GearPair> pairs;
  StockSnapshot stock;
  // "Mountable Trains Only": options.mountableOnly prepared for the set-up.
  std::optional<MountRule> mounts;
  std::vector<CConstantRecord> cConstants;
  StageCounts counts;
  SolveStage stoppedIn = SolveStage::None;
  // The feed search: its tables, T of each C constant where the fast form decides (none
  // when exact, or where it cannot decide for this pair table), and the pieces.
  std::unique_ptr<solver::FeedSearch> search;
  std::optional<std::vector<double>> targets;
  std::vector<WorkRange> pieces;

  // A plan up to the index trains found (stage A), its C constants pending, or nothing
  // more when there is nothing to search.
  static std::shared_ptr<Impl> upToCConstants(const JobInputs& inputs, const GearStock& stock,
                                              const SolveOptions& options, const SolveCallbacks& callbacks);
  // The mounting checks from the options and the set-up.
  void prepareMounts();
  // The feed search's tables from the job, the pairs, the stock and the mounting checks.
  void buildSearch();
  // The targets and the pieces: blocks of the fast form, or the plain form's ranges of
  // C constants, one per processor.
  void planPieces();
};

}  // namespace hobwise
