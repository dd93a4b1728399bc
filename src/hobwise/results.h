#pragma once
// Hobwise's public face: a found result as the user sees it. Its texts exactly as the
// Main page shows them, its row of the results table, the table as CSV and as
// tab-separated text, and the geometry readouts beside the job's fields.
//
//   ResultTexts (results/results.h)  gears: the eight gear fields in the order of
//       kGearFieldIds (index upper left, upper right, lower left, lower right; feed the
//       same); status 3011 ("C: p/q", empty without a fraction); indexError 3008;
//       feedError 3012; feedLine 3013 (two lines joined by "   \r\n"); leadLine 3014.
//   ResultRow (results/result_rows.h)  one text per ResultColumn (kNumberColumn ...
//       kLeadErrorColumn: result, index gears, feed gears, C constant, index error,
//       feed error, actual feed rate, feed rate along the helix angle, theoretical
//       lead, lead from gearing, lead error), headed by kResultColumnHeaders.
//   GeometryReadouts  pitchDiameter 3009 and outsideDiameter 3010.
//
// The JSON of results is hobwise/json.h's. Pure functions: safe on any thread (a
// result is judged in 100-digit arithmetic, some milliseconds each), never throw.
// Texts are UTF-8.
#include <string>
#include <vector>

#include "model/job.h"
#include "results/result_rows.h"
#include "results/results.h"
#include "solver/solver.h"

namespace hobwise {

// The texts of a result judged with the job as the fields hold it now (the feed rate
// takes no part); only the gears when the job cannot be judged (a field that must be
// a number is none). `exact` turns the shortcuts of the judging off (same texts).
ResultTexts resultTextsOf(const JobInputs& inputs, const FoundResult& result, bool exact = false);
// The texts of each of many results (of one run): the same texts, some times quicker
// than one by one, since results that share an index train share its judging.
std::vector<ResultTexts> resultTextsOf(const JobInputs& inputs, const std::vector<FoundResult>& results,
                                       bool exact = false);

// The row of result `number` (1-based) from its texts; a text that could not be
// formed leaves its columns empty.
ResultRow resultRowOf(int number, const ResultTexts& texts);

// The rows of every result, numbered from 1.
std::vector<ResultRow> resultRowsOf(const JobInputs& inputs, const std::vector<FoundResult>& results,
                                    bool exact = false);

// A header row, then one row per result; "," between fields, quoted with '"' where a
// field holds a comma, a quote or a line break; lines end with "\n".
std::string resultsCsv(const std::vector<ResultRow>& rows);

// A header line, then one line per row; tabs between fields, lines ended by "\n".
std::string resultsTabText(const std::vector<ResultRow>& rows);

// The readouts 3009 and 3010 from the texts of the number of teeth (empty when none is
// chosen), the normal diametral pitch and the helix angle; both empty when those are
// out of range.
GeometryReadouts geometryReadoutsOf(const std::string& teethText, const std::string& normalPitchText,
                                    const std::string& helixAngleText);

}  // namespace hobwise
