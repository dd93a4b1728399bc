#pragma once
// What hobwise-solve prints: the listing of the results, the JSON of the report, and
// the set-up sheet of one result as a PDF file.
#include <string>

#include "model/job.h"
#include "report/sheet.h"
#include "results/results.h"
#include "solver/solver.h"

namespace hobwise::cli {

// The first `count` results as the window shows them, after a line with the totals.
void printListing(const JobInputs& in, const SolveReport& report, int count, bool stopped);

// The lines of one result in the listing: both trains as fractions, then the texts.
std::string resultBlock(const ResultTexts& texts);

// Every kept result as one JSON object.
void printJson(const JobInputs& in, const SolveReport& report);

// Every kept result as CSV, a header row first: the window's results table export.
void printCsv(const JobInputs& in, const SolveReport& report);

// Writes the set-up sheet of result `number` (1-based) to `file`; a message on
// standard error and the exit status on failure, 0 on success.
int writeSheet(const JobInputs& in, const SolveReport& report, int number, const std::string& file, bool quiet);

// Writes a sheet to `file`, then says so naming `what` (nothing when empty); the exit
// status as for writeSheet.
int writeSheetFile(const SheetInputs& sheet, const std::string& file, const std::string& what);

}  // namespace hobwise::cli
