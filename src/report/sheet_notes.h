#pragma once
// The notes of a checked train that a run would not give, on its set-up sheet, so
// that such a sheet cannot pass for a valid set-up: a heading on line 2, just below
// the sheet's title, and the notes at the foot of the page, below the feed
// change-gears, each wrapped to the printable width.
#include <string>
#include <vector>

#include "report/sheet.h"

namespace hobwise {

// The heading of line 2 on the sheet of a train with notes.
inline constexpr const char* kNotValidHeading = "NOT A VALID SET-UP: see the notes at the foot of the sheet";

// Adds the heading and the notes to a laid-out sheet of a printable area of width x
// height device units; nothing when there are no notes. Notes that do not all fit
// end in a line that says so.
void addSheetNotes(SheetLayout& layout, const std::vector<std::string>& notes, int width, int height,
                   const MeasureText& measure);

}  // namespace hobwise
