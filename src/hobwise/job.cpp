#include "hobwise/job.h"

#include "model/decfloat.h"
#include "model/text_value.h"

namespace hobwise {

JobInputs exampleJob() { return exampleJobInputs(); }

double valueOfText(std::string_view text) { return textToDouble(text); }

int numberInText(std::string_view text) { return textToInt(text); }

bool readsAsNumber(std::string_view text) { return parseDecFloat(text).has_value(); }

}  // namespace hobwise
