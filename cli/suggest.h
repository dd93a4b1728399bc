#pragma once
// hobwise-solve --suggest [N]: the gears worth buying for the job, as a listing or as
// JSON, each suggestion's best result written as the listing and --json write a result.
#include <atomic>
#include <optional>
#include <string>

#include "command_line.h"
#include "hobwise/advisor.h"
#include "hobwise/job.h"
#include "hobwise/machines.h"

namespace hobwise::cli {

inline constexpr int kDefaultSuggestions = 10;

// The N of --suggest N: a whole number 1 to 154, or nothing (bad input).
std::optional<int> suggestionCount(const std::string& text);

// The outcome of an advisor with nothing to try.
inline constexpr const char* kEveryCountFull =
    "Every tooth count holds 7 gears: no tooth count can take one more, so nothing was tried.";

// "Stopped after N of M tooth counts".
std::string stoppedText(const AdvisorReport& report);

// {"now": {"count": n, "best": RESULT or null}, "tried": n, "suggestions": [the first
// `shown`, each {"add": t, "count": n, "best": RESULT, "nowFeedError": TEXT or null,
// "feedError": TEXT, "leadError": TEXT}], "candidates": n, "stopped": BOOL}
// With a machine, every RESULT gains "mount" (as in --json).
std::string suggestionsJson(const JobInputs& in, const AdvisorReport& report, int shown,
                            const MachineProfile* machine = nullptr);

// The results now; the first `shown` suggestions (tooth count to add, results kept,
// the feed errors now and with it, the lead error, the best result), or that nothing
// improves; the number of tooth counts tried; whether a stop came first; or that every
// tooth count holds 7 gears.
// With a machine, each best result's mount lines follow it.
std::string suggestionsListing(const JobInputs& in, const AdvisorReport& report, int shown,
                               const MachineProfile* machine = nullptr);

// Runs the advisor (its progress on standard error when that is a terminal; a stop
// request ends it early) and prints its listing or JSON. The exit status: 0, kStopped
// when a stop request ended it early, or kBadInput when the job cannot be solved.
int printSuggestions(const JobInputs& in, const GearStock& stock, const SolveOptions& options, int shown, bool json,
                     Io& io, const MachineProfile* machine = nullptr);

}  // namespace hobwise::cli
