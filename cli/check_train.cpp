#include "check_train.h"

namespace hobwise::cli {

std::string checkListing(const TrainCheck& check) {
  std::string out = "Checked train\n" + resultBlock(check.texts) + "\n";
  if (check.inStock && check.notes.empty()) return out + "In stock, and within every limit of a run.\n";
  if (check.inStock) out += "In stock.\n";
  for (const std::string& note : check.notes) out += note + "\n";
  return out;
}

std::string checkJson(const TrainCheck& check) {
  std::string out = "{\"check\": " + resultJson(check.texts) + ", \"inStock\": ";
  out += check.inStock ? "true" : "false";
  out += ", \"notes\": [";
  for (std::size_t k = 0; k < check.notes.size(); ++k) out += (k == 0 ? "" : ", ") + jsonString(check.notes[k]);
  return out + "]}\n";
}

}  // namespace hobwise::cli
