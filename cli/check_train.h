#pragma once
// hobwise-solve --check-train: a mounted train checked against the job instead of a
// solve run, printed as the listing prints a result (or as JSON), followed by its
// stock and the reasons a run would not find it; optionally its set-up sheet.
#include <optional>
#include <string>

#include "command_line.h"
#include "hobwise/check.h"
#include "hobwise/job.h"
#include "hobwise/run.h"
#include "hobwise/stock.h"

namespace hobwise::cli {

// The result block as the listing prints one, then the stock and the notes.
std::string checkListing(const TrainCheck& check);

// {"check": RESULT, "inStock": true|false, "notes": [...]} and a line end, RESULT
// written as an entry of "results" of --json.
std::string checkJson(const TrainCheck& check);

// Checks the train, prints it and writes its sheet when asked. The exit status.
int runTrainCheck(const JobInputs& job, const GearStock& stock, const SolveOptions& options,
                  const MountedTeeth& teeth, bool json, const std::optional<std::string>& sheet, Io& io);

}  // namespace hobwise::cli
