#pragma once
// hobwise-solve --check-train: the check of a mounted train, as the listing prints a
// result, or as JSON, followed by its stock and notes.
#include <string>

#include "results/train_check.h"

namespace hobwise::cli {

// The result block as the listing prints one, then the stock and the notes.
std::string checkListing(const TrainCheck& check);

// {"check": RESULT, "inStock": true|false, "notes": [...]}, RESULT an entry of
// "results" of --json, and a line end.
std::string checkJson(const TrainCheck& check);

}  // namespace hobwise::cli
