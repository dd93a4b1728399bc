// Why Solve is greyed: each input out of its range is named with the range it needs.
#include <gtest/gtest.h>

#include "model/input_ranges.h"

namespace hobwise {
namespace {

SolveInputValues inRange() {
  SolveInputValues v;
  v.indexConstant = 30, v.feedConstant = 0.0625, v.helixAngle = 23.5, v.normalPitch = 8, v.feedRate = 0.025;
  v.teethSelected = true;
  return v;
}

TEST(SolveBlockedText, NamesEachInputOutOfItsRange) {
  const struct { const char* name; void (*change)(SolveInputValues&); const char* text; } cases[] = {
      {"all in range", [](SolveInputValues&) {}, ""},
      {"bounds are inclusive", [](SolveInputValues& v) { v.indexConstant = 1200, v.helixAngle = 0.0001, v.feedRate = 0.1; }, ""},
      {"index constant", [](SolveInputValues& v) { v.indexConstant = 0.49; }, "Index Const: a value from 0.5 to 1200"},
      {"feed constant", [](SolveInputValues& v) { v.feedConstant = 90; }, "Feed Const: a value from 0 to 89.9"},
      {"helix angle", [](SolveInputValues& v) { v.helixAngle = 0; }, "Helix Angle: a value from 0.0001 to 89.9"},
      {"pitch", [](SolveInputValues& v) { v.normalPitch = 361; }, "Normal Diametral Pitch: a value from 0.35 to 360"},
      {"feed rate", [](SolveInputValues& v) { v.feedRate = 0.11; }, "Feed Rate: a value from 0 to 0.1"},
      {"teeth", [](SolveInputValues& v) { v.teethSelected = false; }, "Number of Teeth: one chosen from the list"},
      {"running", [](SolveInputValues& v) { v.running = true; }, "the run going now to end"},
      {"two at once", [](SolveInputValues& v) { v.indexConstant = 0, v.teethSelected = false; },
       "Index Const: a value from 0.5 to 1200\nNumber of Teeth: one chosen from the list"},
  };
  for (const auto& c : cases) {
    SolveInputValues v = inRange();
    c.change(v);
    EXPECT_EQ(solveBlockedText(v), c.text) << c.name;
  }
}

}  // namespace
}  // namespace hobwise
