#pragma once
// The one-page set-up sheet: its lines and their places, apart from any painting.
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace hobwise {

// What the sheet reads from the window, as the controls hold it when printing.
// Texts are UTF-8.
struct SheetInputs {
  std::string indexConstant;    // 2001
  std::string feedConstant;     // 2002
  std::string helixAngle;       // 2004
  std::string normalPitch;      // 2006
  std::string teeth;            // selected item of 2003, empty when none
  int setupIndex = 0;           // 2005, -1 when none
  std::string hobThreads;       // 3002
  std::string pitchDiameter;    // 3009
  std::string outsideDiameter;  // 3010
  std::string leadLine;         // 3014
  std::string feedLine;         // 3013
  std::string status;           // 3011
  std::string feedErrorLine;    // 3012
  std::array<std::string, 8> gears;  // 3003, 3005, 3004, 3006, 3024, 3026, 3025, 3027
  std::vector<std::string> notes;    // a checked train's reasons a run would not give it
  // With a machine chosen: how the index train and the feed train go on it, printed
  // beside their fraction blocks; empty without one.
  std::array<std::string, 2> mounts;
};

// Helix angle in degrees as degrees, minutes and seconds: 23.5 -> 23°30'00.0000"
std::string FormatDms(double degrees);

// Line 12 + line (line 0 to 4) of the set-up block for a set-up item; empty for no
// selection or an item outside 0 to 7.
std::string setupLine(int setupIndex, int line);

// The six derivation lines (sheet lines 19, 20, 25, 26, 27, 28), or nothing when
// the index constant is not whole or there is no honest derivation.
std::optional<std::array<std::string, 6>> BuildDerivationLines(const SheetInputs& inputs);

struct SheetText {
  double x = 0, y = 0;  // top-left corner, device units of the printable area
  std::string text;
};
struct SheetBar {
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};
struct SheetLayout {
  int fontHeight = 0;  // character-cell height of the page font
  std::vector<SheetText> texts;
  std::vector<SheetBar> bars;
};

// Width and height of a text in the page font, in device units.
using MeasureText = std::function<std::pair<int, int>(const std::string&)>;

// Lays the sheet out on a printable area of width x height device units.
SheetLayout layoutSheet(const SheetInputs& inputs, int width, int height, const MeasureText& measure);

}  // namespace hobwise
