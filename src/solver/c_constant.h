#pragma once
// The C constant of an index ratio.
#include "model/decfloat.h"
#include "model/job.h"

namespace hobwise {

// The C constant c for which indexRatioFor(job, c) equals the ratio, found by the
// bisection of c over [0, 100000] (x from 50000; the halvings stop once x exceeds
// 99999 or hi no longer exceeds lo + 1e-110), plus 1e-110. `exact` turns the shortcut
// off (the halvings clearly on one side of the root decided without the formula); the
// value is the same to the last digit.
DecFloat solveCConstant(const JobParameters& job, const DecFloat& ratio, bool exact);

}  // namespace hobwise
