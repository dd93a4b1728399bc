#include "check_train.h"

#include "hobwise/job.h"
#include "hobwise/json.h"
#include "machine.h"
#include "options.h"
#include "output.h"

namespace hobwise::cli {

std::string checkListing(const TrainCheck& check, const MachineProfile* machine, int setupIndex) {
  std::string out = "Checked train\n" + resultBlock(check.texts);
  if (machine) out += mountListing(*machine, setupIndex, check.result);
  out += "\n";
  for (const std::string& line : checkSummaryLines(check)) out += line + "\n";
  return out;
}

std::string checkJson(const TrainCheck& check, const MachineProfile* machine, int setupIndex) {
  std::string result = resultJson(check.texts);
  if (machine) result = withMount(std::move(result), *machine, setupIndex, check.result);
  return "{\"check\": " + result + ", \"inStock\": " + (check.inStock ? "true" : "false") +
         ", \"notes\": " + jsonStrings(check.notes) + "}\n";
}

int runTrainCheck(const JobInputs& job, const GearStock& stock, const SolveOptions& options,
                  const MountedTeeth& teeth, bool json, const std::optional<std::string>& sheet, Io& io,
                  const MachineProfile* machine) {
  const std::optional<TrainCheck> check = checkMountedTrain(job, stock, options, teeth);
  if (!check) {
    const std::string field = unreadableFieldText(job, false);
    io.err("hobwise-solve: the job could not be evaluated" + (field.empty() ? "" : " (" + field + ")") + "\n");
    return kBadInput;
  }
  io.out(json ? checkJson(*check, machine, job.setupIndex) : checkListing(*check, machine, job.setupIndex));
  if (!sheet) return 0;
  SheetInputs sheetInputs = sheetInputsOf(job, *check);
  if (machine) addMountToSheet(sheetInputs, mountOf(*machine, job.setupIndex, check->result), *machine);
  return writeSheetFile(sheetInputs, *sheet, json ? std::string() : "the checked train", io);
}

}  // namespace hobwise::cli
