#pragma once
// What hobwise-solve prints: the listing of the results and the set-up sheet of one
// result as a PDF file.
#include <optional>
#include <string>

#include "command_line.h"
#include "hobwise/job.h"
#include "hobwise/machines.h"
#include "hobwise/results.h"
#include "hobwise/run.h"
#include "hobwise/sheet.h"

namespace hobwise::cli {

// The first `count` results as the window shows them, after a line with the totals,
// and the stage counts when the run kept fewer than 200; with a machine, each result's
// mount lines under it.
std::string listingText(const JobInputs& in, const SolveReport& report, int count, bool stopped, bool exact,
                        const MachineProfile* machine = nullptr);

// The lines of one result in the listing: both trains as fractions, then the texts.
std::string resultBlock(const ResultTexts& texts);

// Writes the set-up sheet of result `number` (1-based, --result; result 1 when not
// given) to `file`; a message on standard error and the exit status on failure, 0 on
// success.
int writeSheet(const JobInputs& in, const SolveReport& report, std::optional<int> number, const std::string& file,
               bool quiet, bool exact, Io& io, const MachineProfile* machine = nullptr);

// Writes a sheet to `file`, then says so naming `what` (nothing when empty); the exit
// status as for writeSheet (kBadInput when it cannot be written).
int writeSheetFile(const SheetInputs& sheet, const std::string& file, const std::string& what, Io& io);

}  // namespace hobwise::cli
