#pragma once
// hobwise-solve --check-train: a mounted train checked against the job instead of a
// solve run, printed as the listing prints a result (or as JSON), followed by its
// stock and the reasons a run would not find it; optionally its set-up sheet.
#include <optional>
#include <string>

#include "command_line.h"
#include "hobwise/check.h"
#include "hobwise/job.h"
#include "hobwise/machines.h"
#include "hobwise/run.h"
#include "hobwise/stock.h"

namespace hobwise::cli {

// The result block as the listing prints one, then the stock and the notes; with a
// machine, the mount lines after the result block.
std::string checkListing(const TrainCheck& check, const MachineProfile* machine = nullptr, int setupIndex = 0);

// {"check": RESULT, "inStock": true|false, "notes": [...]} and a line end, RESULT
// written as an entry of "results" of --json (with "mount" when there is a machine).
std::string checkJson(const TrainCheck& check, const MachineProfile* machine = nullptr, int setupIndex = 0);

// Checks the train, prints it and writes its sheet when asked. The exit status.
int runTrainCheck(const JobInputs& job, const GearStock& stock, const SolveOptions& options,
                  const MountedTeeth& teeth, bool json, const std::optional<std::string>& sheet, Io& io,
                  const MachineProfile* machine = nullptr);

}  // namespace hobwise::cli
