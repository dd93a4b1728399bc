#pragma once
// Whether Solve may go, and why it is greyed: every number field in its range (the
// ranges of model/field_rules.h), a number of teeth chosen and no run going.
#include <string>
#include <string_view>

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

// The value Solve's rule reads from the text of number field `id`: the number at the
// front of its first 58 characters (10 for the feed rate 2007); an empty text is 0.
double solveValueOf(int id, std::string_view text);

// Solve may go: every rule below is met.
bool solveAllowed(const SolveInputValues& values);

// One line per input that is out of its range, in the order of the rule, e.g.
// "Index Const: a value from 0.5 to 1200", then "Number of Teeth: ..." when none is
// chosen and a line for a run going; the empty text when nothing keeps Solve greyed.
std::string solveBlockedText(const SolveInputValues& values);

}  // namespace hobwise
