#pragma once
// What hobwise-solve prints: the listing of the results, the JSON of the report, and
// the set-up sheet of one result as a PDF file.
#include <string>

#include "model/job.h"
#include "solver/solver.h"

namespace hobwise::cli {

// The first `count` results as the window shows them, after a line with the totals.
void printListing(const JobInputs& in, const SolveReport& report, int count, bool stopped);

// Every kept result as one JSON object.
void printJson(const JobInputs& in, const SolveReport& report);

// Every kept result as CSV, a header row first: the window's results table export.
void printCsv(const JobInputs& in, const SolveReport& report);

// Writes the set-up sheet of result `number` (1-based) to `file`; a message on
// standard error and the exit status on failure, 0 on success.
int writeSheet(const JobInputs& in, const SolveReport& report, int number, const std::string& file, bool quiet);

}  // namespace hobwise::cli
