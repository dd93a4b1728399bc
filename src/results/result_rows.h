#pragma once
// The found results as rows of a table: the texts the Main page shows for a result,
// split into one value per column (the column's header holds the label), and those
// rows as CSV and as tab-separated text.
#include <array>
#include <string>
#include <vector>

#include "model/job.h"
#include "results/results.h"
#include "solver/solver.h"

namespace hobwise {

enum ResultColumn {
  kNumberColumn,          // result number, 1-based, as the result browser counts
  kIndexGearsColumn,      // "a × b / c × d": upper gears over lower gears
  kFeedGearsColumn,       // the same for the feed train
  kCConstantColumn,       // "p/q" of the status line, empty without a fraction
  kIndexErrorColumn,      // "None", as the index error line says
  kFeedErrorColumn,
  kActualFeedColumn,
  kHelixFeedColumn,       // feed rate along the helix angle
  kTheoreticalLeadColumn,
  kGearingLeadColumn,     // lead from gearing
  kLeadErrorColumn,
  kResultColumnCount
};

// Headers of the columns: the labels of the Main page's texts.
extern const std::array<std::string, kResultColumnCount> kResultColumnHeaders;

using ResultRow = std::array<std::string, kResultColumnCount>;

// The row of result `number` (1-based) from the texts the Main page shows for it.
// A text that lacks its label (the job could not be evaluated) leaves its columns
// empty.
ResultRow resultRow(int number, const ResultTexts& texts);

// Rows of every result, numbered from 1.
std::vector<ResultRow> resultRows(const JobInputs& inputs, const std::vector<FoundResult>& results);

// A header row, then one row per result; fields separated by ",", quoted with '"'
// when they hold a comma, a quote or a line break (quotes doubled); lines end with
// "\n". Texts are UTF-8.
std::string csvText(const std::vector<ResultRow>& rows);

// A header line, then one line per row; fields separated by tabs, lines ended by
// "\n"; a tab or line break inside a field becomes a blank.
std::string tabText(const std::vector<ResultRow>& rows);

}  // namespace hobwise
