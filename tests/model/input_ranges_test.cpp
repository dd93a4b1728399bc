// Why Solve is greyed: each input out of its range is named with the range it needs.
#include <gtest/gtest.h>

#include "model/input_ranges.h"

namespace hobwise {
namespace {

TEST(SolveBlockedText, NamesEachInputOutOfItsRange) {
  const struct { double index, feedConstant, helix, pitch, feedRate; bool teeth, running; const char* text; } cases[] = {
      {30, 0.0625, 23.5, 8, 0.025, true, false, ""},
      {1200, 0, 0.0001, 360, 0.1, true, false, ""},  // the bounds belong to the ranges
      {0.49, 0.0625, 23.5, 8, 0.025, true, false, "Index Const: a value from 0.5 to 1200"},
      {30, 90, 90, 0.34, 0.11, true, false,
       "Feed Const: a value from 0 to 89.9\nHelix Angle: a value from 0.0001 to 89.9\n"
       "Normal Diametral Pitch: a value from 0.35 to 360\nFeed Rate: a value from 0 to 0.1"},
      {30, -1, 23.5, 8, 0.025, false, true,
       "Feed Const: a value from 0 to 89.9\nNumber of Teeth: one chosen from the list\nthe run going now to end"},
  };
  for (const auto& c : cases) {
    const SolveInputValues v{c.index, c.feedConstant, c.helix, c.pitch, c.feedRate, c.teeth, c.running};
    EXPECT_EQ(solveBlockedText(v), c.text) << c.text;
  }
}

}  // namespace
}  // namespace hobwise
