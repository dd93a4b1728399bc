#pragma once
// What the set-up sheet reads, from the job and the texts of a result.
#include "model/job.h"
#include "report/sheet.h"
#include "results/results.h"

namespace hobwise {

// The sheet's inputs for the job and the result texts on display (or of a checked
// train): the same sheet the window prints for a result with these texts.
SheetInputs sheetInputsFor(const JobInputs& job, const ResultTexts& texts);

}  // namespace hobwise
