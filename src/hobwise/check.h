#pragma once
// Hobwise's public face: a mounted train checked against the job. The eight tooth
// counts an operator holds (on the machine, on an old set-up sheet, one gear away from
// a result) judged exactly as a found result with these gears, with the stock and the
// plain reasons a run would not have found it.
//
//   MountedTeeth (results/train_check.h)  the eight tooth counts by place, in the order
//       of kGearPlaceNames: "index upper left", "index upper right", "index lower
//       left", "index lower right", then the feed train's four the same.
//   TrainCheck  texts (the result display's, hobwise/results.h), inStock, shortfalls,
//       notes (plain sentences), result and evaluation.
//
// Pure functions: safe on any thread, never throw.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/gear_stock.h"
#include "model/job.h"
#include "report/sheet.h"
#include "results/train_check.h"
#include "solver/solver.h"

namespace hobwise {

// One place's text as a tooth count 16 to 169 (blanks around it allowed); nothing for
// any other text, with a message naming the place in `error`.
std::optional<std::uint16_t> toothCountAt(std::string_view text, std::size_t place, std::string& error);

// "A,B,C,D:E,F,G,H": the index gears, then the feed gears, each upper left, upper
// right, lower left, lower right; nothing, with a message in `error`, for another text.
std::optional<MountedTeeth> mountedTrainOf(std::string_view text, std::string& error);

// Checks the gears against the job, the stock and the options as a run would read
// them (options.exact: every shortcut off). Nothing when the job cannot be judged (a
// field that must be a number is none: hobwise/job.h's unreadableFieldText(job, false)
// names it); a feed rate that is not a number only leaves the feed unjudged.
std::optional<TrainCheck> checkMountedTrain(const JobInputs& job, const GearStock& stock, const SolveOptions& options,
                                            const MountedTeeth& teeth);

// The lines that sum a check up below its figures: "In stock." and the notes, or
// "In stock, and within every limit of a run." when nothing is amiss.
std::vector<std::string> checkSummaryLines(const TrainCheck& check);

// The set-up sheet of a checked train (hobwise/sheet.h): the sheet of a result with
// its texts and, when the check has notes, "NOT A VALID SET-UP" below the title and
// the notes at the foot of the page.
SheetInputs sheetInputsOf(const JobInputs& job, const TrainCheck& check);

}  // namespace hobwise
