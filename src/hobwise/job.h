#pragma once
// Hobwise's public face: the job. What a front end hands the engine is the texts of
// the Main page's inputs exactly as the user typed them, in a JobInputs:
//
//   JobInputs (model/job.h)  indexConstant 2001, feedConstant 2002, helixAngle 2004,
//                            normalPitch 2006, feedRate 2007, hobThreads 3002 ("1" to
//                            "24"), teeth (the text of the chosen item of 2003, empty
//                            when none), setupIndex (item of 2005, 0 to 7; -1 none).
//
// Texts are cut to their field's length by the engine itself; whether they make a job
// that Solve may start is hobwise/fields.h's. Everything here is plain data and pure
// functions: safe on any thread, never throws.
#include <string>
#include <string_view>

#include "model/job.h"

namespace hobwise {

// The built-in example job: index constant 30, feed constant 0.0625, feed rate .025,
// helix angle 23.5, pitch 8, 30 teeth, one hob thread, set-up 0.
JobInputs exampleJob();

// The value of a text as the window reads numbers: the number at its front, taken as
// the C library's atof and atoi take it (blanks skipped, optional sign, 0 when no
// number stands in front), whatever the locale. numberInText saturates at the 32-bit
// limits.
double valueOfText(std::string_view text);
int numberInText(std::string_view text);

// Whether the engine reads the whole text as a number, as a run reads the job's texts
// ("12.5", ".025"; not "", ".", "1.2.3" or "12a"). A run on a job with a text that is
// none fails.
bool readsAsNumber(std::string_view text);

// Which field keeps a run from reading the job, with its label, its text and what it
// needs: `Feed Const "" is not a number (it needs a value from 0 to 89.9)`. The first
// such field in the order a run reads them (index constant, feed constant, helix
// angle, pitch, feed rate); the empty text when every field reads. `withFeedRate`
// false: as a result is judged, without the feed rate.
std::string unreadableFieldText(const JobInputs& inputs, bool withFeedRate = true);

}  // namespace hobwise
