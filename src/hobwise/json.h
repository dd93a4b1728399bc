#pragma once
// Hobwise's public face: results as JSON, byte for byte the same from every front end
// (hobwise-solve --json, the window's export, the web page). The layout is fixed: keys
// in the order given, ": " after a key, ", " between items, texts escaped as JSON
// wants them ("\r\n" as \r\n, other control characters as \u00XX, everything else,
// UTF-8 included, as it is).
//
// A result: {"index": [4 gears], "feed": [4 gears], "c": TEXT, "feedError": TEXT,
// "feedLine": TEXT, "leadLine": TEXT}, the gears as numbers in the order upper left,
// upper right, lower left, lower right, the texts those of the result display.
//
// Pure functions: safe on any thread, never throw.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "model/job.h"
#include "results/results.h"
#include "solver/solver.h"

namespace hobwise {

struct MachineProfile;

// One result object, on one line.
std::string resultJson(const ResultTexts& texts);

// A whole run judged with its job, ending in a line break:
// {"count": N, "results": [
//   RESULT,
//   RESULT
// ], "stages": {"indexTrains": N, "inStock": N, "cConstants": N, "feedTrains": N,
// "feedTest": N, "kept": N}, "stopped": BOOL}
// "count" is the number of results the run kept; "results" lists the first `listed`
// of them (all by default); "stopped" is true when a stop request ended the run early.
// With a machine (hobwise/machines.h) every RESULT ends in ", "mount": MOUNT" (mountJson:
// its two trains checked on the machine for the job's set-up).
inline constexpr std::size_t kAllResults = static_cast<std::size_t>(-1);
std::string reportJson(const JobInputs& inputs, const SolveReport& report, bool exact = false,
                       std::size_t listed = kAllResults, const MachineProfile* machine = nullptr);

// A text as a JSON string, quotes included.
std::string jsonString(std::string_view text);

// Texts as a JSON array: ["a", "b"], or [].
std::string jsonStrings(const std::vector<std::string>& texts);

}  // namespace hobwise
