#pragma once
// Found results as JSON, the same for the command line and the window: one result,
// a whole report, and the report's text in the layout hobwise-solve writes.
#include <QByteArray>
#include <QJsonObject>

#include "model/job.h"
#include "results/results.h"
#include "solver/solver.h"

namespace hobwise {

// One result: "index" and "feed", the four gears of each train (upper left, upper
// right, lower left, lower right) as numbers; "c", "feedError", "feedLine" and
// "leadLine", the texts of the result display.
QJsonObject resultJson(const ResultTexts& texts);

// A solve report judged with its job: "count", "results" (every kept result, in the
// report's order) and "stages" (the run's stage counts: "indexTrains", "inStock",
// "cConstants", "feedTrains", "feedTest", "kept").
QJsonObject reportJson(const JobInputs& inputs, const SolveReport& report);

// The text of a report object, ending in a newline: the keys in the order listed
// above, ": " after a key, ", " between items, each result on a line of its own.
QByteArray reportJsonText(const QJsonObject& report);

// The text of one value in the same layout: a result object with its keys in the
// order listed above, arrays and texts as in a report.
QByteArray jsonText(const QJsonValue& value);

}  // namespace hobwise
