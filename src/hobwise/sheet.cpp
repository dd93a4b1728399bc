#include "hobwise/sheet.h"

#include "report/sheet_inputs.h"

namespace hobwise {

SheetInputs sheetInputsOf(const JobInputs& job, const ResultTexts& texts) { return sheetInputsFor(job, texts); }

SheetLayout sheetLayoutOf(const SheetInputs& inputs, int width, int height, const MeasureText& measure) {
  return layoutSheet(inputs, width, height, measure);
}

std::string setupSheetLine(int setupIndex, int line) { return setupLine(setupIndex, line); }

}  // namespace hobwise
