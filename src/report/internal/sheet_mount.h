#pragma once
// How each train goes on the machine, printed beside its fraction block.
#include "report/sheet.h"

namespace hobwise::report {

// The texts of SheetInputs::mounts, each in rows beside its train's fraction block
// (right of it, from 46 % of the width), broken between words to the room there: the
// index train's at most four rows from line 21.3, the feed train's at most three from
// line 29.3, so that they end above line 31.5, where a checked train's notes begin.
void addMountTexts(SheetLayout& layout, const SheetInputs& in, int width, int height, const MeasureText& measure);

}  // namespace hobwise::report
