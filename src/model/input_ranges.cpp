#include "model/input_ranges.h"

#include <sstream>

#include "model/field_rules.h"
#include "model/text_value.h"

namespace hobwise {

double solveValueOf(int id, std::string_view text) { return textToDouble(text.substr(0, id == 2007 ? 10 : 58)); }

bool solveAllowed(const SolveInputValues& values) { return solveBlockedText(values).empty(); }

std::string solveBlockedText(const SolveInputValues& v) {
  // The number fields in the order of the rule, each with the range of its field.
  const std::pair<int, double> fields[] = {
      {2001, v.indexConstant}, {2002, v.feedConstant}, {2004, v.helixAngle}, {2006, v.normalPitch}, {2007, v.feedRate}};
  std::string lines;
  auto add = [&lines](const std::string& line) { lines += (lines.empty() ? "" : "\n") + line; };
  for (const auto& [id, value] : fields) {
    const FieldRule rule = *fieldRule(id);
    if (value >= rule.low && value <= rule.high) continue;
    std::ostringstream range;
    range << rule.low << " to " << rule.high;
    add(rule.label.substr(0, rule.label.size() - 1) + ": a value from " + range.str());
  }
  if (!v.teethSelected) add("Number of Teeth: one chosen from the list");
  if (v.running) add("the run going now to end");
  return lines;
}

}  // namespace hobwise
