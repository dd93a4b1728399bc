#pragma once
// Why Solve is greyed: the inputs that keep it so, each with the range it needs.
#include <string>

namespace hobwise {

// The values as Solve's rule reads them (the number at the front of each text).
struct SolveInputValues {
  double indexConstant = 0;
  double feedConstant = 0;
  double helixAngle = 0;
  double normalPitch = 0;
  double feedRate = 0;
  bool teethSelected = false;
  bool running = false;  // a solve run is going (Exit is greyed)
};

// One line per input that is out of its range, in the order of the rule, e.g.
// "Index Const: a value from 0.5 to 1200", then "Number of Teeth: ..." when none is
// chosen and a line for a run going; the empty text when nothing keeps Solve greyed.
std::string solveBlockedText(const SolveInputValues& values);

}  // namespace hobwise
