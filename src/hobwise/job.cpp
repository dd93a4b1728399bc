#include "hobwise/job.h"

#include <sstream>

#include "model/decfloat.h"
#include "model/field_rules.h"
#include "model/text_value.h"
#include "model/unreadable_field.h"

namespace hobwise {

JobInputs exampleJob() { return exampleJobInputs(); }

double valueOfText(std::string_view text) { return textToDouble(text); }

int numberInText(std::string_view text) { return textToInt(text); }

bool readsAsNumber(std::string_view text) { return parseDecFloat(text).has_value(); }

std::string unreadableFieldText(const JobInputs& inputs, bool withFeedRate) {
  const std::optional<UnreadableField> field = unreadableField(inputs, withFeedRate);
  if (!field) return {};
  const FieldRule rule = *fieldRule(field->id);
  std::ostringstream text;
  text.imbue(std::locale::classic());
  // The label without its colon, as Solve's tooltip names the fields.
  text << rule.label.substr(0, rule.label.size() - 1) << " \"" << field->text << "\" is not a number (it needs a value from "
       << rule.low << " to " << rule.high << ")";
  return text.str();
}

}  // namespace hobwise
