#pragma once
// Hobwise's public face: the one-page set-up sheet, apart from any painting. The sheet
// of a result (or of a checked train) is its lines of text and the bars of its two
// fraction blocks, each at its place on the printable area; a front end draws them
// with its own fonts and lines.
//
//   SheetInputs (report/sheet.h)  what the sheet reads: the job's texts, the set-up,
//       the hob threads, the readouts and the result's texts and gears.
//   SheetLayout  fontHeight (the page font's cell height, device units), texts (each
//       SheetText at x, y: its top-left corner) and bars (SheetBar: x1, y1 to x2, y2).
//   MeasureText  the width and height of a text in the page font, in device units.
//
// Texts are UTF-8 (the sheet holds "°" and "•"). Pure functions: safe on any thread,
// never throw.
#include <string>

#include "model/job.h"
#include "report/sheet.h"
#include "results/results.h"

namespace hobwise {

// The sheet for the job and the texts of a result (hobwise/results.h): the sheet the
// window prints for a result with these texts. A checked train's sheet, which carries
// the check's notes, is hobwise/check.h's sheetInputsOf.
SheetInputs sheetInputsOf(const JobInputs& job, const ResultTexts& texts);

// Lays the sheet out on a printable area of width x height device units.
SheetLayout sheetLayoutOf(const SheetInputs& inputs, int width, int height, const MeasureText& measure);

// Line `line` (0 to 4) of the set-up block of the sheet for a set-up item, e.g. "Using:
// Right-Handed Hob to cut: Right-Handed Gear" for item 0, line 0; empty for no item.
std::string setupSheetLine(int setupIndex, int line);

}  // namespace hobwise
