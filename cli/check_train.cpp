#include "check_train.h"

#include "hobwise/job.h"
#include "hobwise/json.h"
#include "options.h"
#include "output.h"

namespace hobwise::cli {

std::string checkListing(const TrainCheck& check) {
  std::string out = "Checked train\n" + resultBlock(check.texts) + "\n";
  for (const std::string& line : checkSummaryLines(check)) out += line + "\n";
  return out;
}

std::string checkJson(const TrainCheck& check) {
  return "{\"check\": " + resultJson(check.texts) + ", \"inStock\": " + (check.inStock ? "true" : "false") +
         ", \"notes\": " + jsonStrings(check.notes) + "}\n";
}

int runTrainCheck(const JobInputs& job, const GearStock& stock, const SolveOptions& options,
                  const MountedTeeth& teeth, bool json, const std::optional<std::string>& sheet, Io& io) {
  const std::optional<TrainCheck> check = checkMountedTrain(job, stock, options, teeth);
  if (!check) {
    const std::string field = unreadableFieldText(job, false);
    io.err("hobwise-solve: the job could not be evaluated" + (field.empty() ? "" : " (" + field + ")") + "\n");
    return kBadInput;
  }
  io.out(json ? checkJson(*check) : checkListing(*check));
  if (!sheet) return 0;
  return writeSheetFile(sheetInputsOf(job, *check), *sheet, json ? std::string() : "the checked train", io);
}

}  // namespace hobwise::cli
