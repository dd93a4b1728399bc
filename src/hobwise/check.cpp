#include "hobwise/check.h"

#include "report/sheet_inputs.h"

namespace hobwise {

std::optional<std::uint16_t> toothCountAt(std::string_view text, std::size_t place, std::string& error) {
  return parseToothCount(text, place, error);
}

std::optional<MountedTeeth> mountedTrainOf(std::string_view text, std::string& error) {
  return parseMountedTrain(text, error);
}

std::optional<TrainCheck> checkMountedTrain(const JobInputs& job, const GearStock& stock, const SolveOptions& options,
                                            const MountedTeeth& teeth) {
  return checkTrain(job, stock, options, teeth);
}

std::vector<std::string> checkSummaryLines(const TrainCheck& check) {
  if (check.inStock && check.notes.empty()) return {"In stock, and within every limit of a run."};
  std::vector<std::string> lines;
  if (check.inStock) lines.push_back("In stock.");
  lines.insert(lines.end(), check.notes.begin(), check.notes.end());
  return lines;
}

SheetInputs sheetInputsOf(const JobInputs& job, const TrainCheck& check) {
  SheetInputs sheet = sheetInputsFor(job, check.texts);
  sheet.notes = check.notes;
  return sheet;
}

}  // namespace hobwise
