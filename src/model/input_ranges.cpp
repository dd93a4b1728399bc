#include "model/input_ranges.h"

#include <sstream>

namespace hobwise {

std::string solveBlockedText(const SolveInputValues& v) {
  struct Rule {
    const char* label;
    double value, low, high;
  };
  const Rule rules[] = {
      {"Index Const", v.indexConstant, 0.5, 1200},
      {"Feed Const", v.feedConstant, 0, 89.9},
      {"Helix Angle", v.helixAngle, 0.0001, 89.9},
      {"Normal Diametral Pitch", v.normalPitch, 0.35, 360},
      {"Feed Rate", v.feedRate, 0, 0.1},
  };
  std::string lines;
  auto add = [&lines](const std::string& line) { lines += (lines.empty() ? "" : "\n") + line; };
  for (const Rule& r : rules) {
    if (r.value >= r.low && r.value <= r.high) continue;
    std::ostringstream range;
    range << r.low << " to " << r.high;
    add(std::string(r.label) + ": a value from " + range.str());
  }
  if (!v.teethSelected) add("Number of Teeth: one chosen from the list");
  if (v.running) add("the run going now to end");
  return lines;
}

}  // namespace hobwise
