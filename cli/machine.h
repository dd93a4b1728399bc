#pragma once
// hobwise-solve --machine FILE and --mountable: the machine profile of a job, and what
// the outputs say of each result's trains on that machine.
#include <optional>
#include <string>

#include "command_line.h"
#include "hobwise/machines.h"
#include "options.h"

namespace hobwise::cli {

// Reads the profile of --machine (nothing without it) and lets it fill the job: its
// index and feed constants where the command line gives none (before --example fills
// the rest), its stock where neither --stock nor --stock-file is given. Throws
// BadInput for --mountable without --machine and for a damaged profile (the message
// names the file and the field).
std::optional<MachineProfile> machineOf(Options& options, Io& io);

// The mount lines of a result for the listing, each indented by two blanks and ended
// by a line break.
std::string mountListing(const MachineProfile& machine, int setupIndex, const FoundResult& result);

// A result's JSON object with ", "mount": MOUNT" before its closing brace.
std::string withMount(std::string resultObject, const MachineProfile& machine, int setupIndex,
                      const FoundResult& result);

}  // namespace hobwise::cli
