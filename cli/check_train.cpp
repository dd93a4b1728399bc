#include "check_train.h"

#include <cstdio>

#include <QJsonArray>

#include "options.h"
#include "output.h"
#include "report/sheet_inputs.h"
#include "results/result_json.h"

namespace hobwise::cli {

std::string checkListing(const TrainCheck& check) {
  std::string out = "Checked train\n" + resultBlock(check.texts) + "\n";
  if (check.inStock && check.notes.empty()) return out + "In stock, and within every limit of a run.\n";
  if (check.inStock) out += "In stock.\n";
  for (const std::string& note : check.notes) out += note + "\n";
  return out;
}

std::string checkJson(const TrainCheck& check) {
  QJsonArray notes;
  for (const std::string& note : check.notes) notes.append(QString::fromStdString(note));
  const QByteArray text = "{\"check\": " + jsonText(resultJson(check.texts)) +
                          ", \"inStock\": " + (check.inStock ? "true" : "false") + ", \"notes\": " + jsonText(notes) +
                          "}\n";
  return text.toStdString();
}

int runTrainCheck(const JobInputs& job, const GearStock& stock, const SolveOptions& options,
                  const MountedTeeth& teeth, bool json, const std::optional<std::string>& sheet) {
  const std::optional<TrainCheck> check = checkTrain(job, stock, options, teeth);
  if (!check) {
    std::fputs("hobwise-solve: the job could not be evaluated (a field is no number)\n", stderr);
    return kBadInput;
  }
  std::fputs((json ? checkJson(*check) : checkListing(*check)).c_str(), stdout);
  std::fflush(stdout);
  if (!sheet) return 0;
  return writeSheetFile(sheetInputsFor(job, check->texts), *sheet, json ? std::string() : "the checked train");
}

}  // namespace hobwise::cli
