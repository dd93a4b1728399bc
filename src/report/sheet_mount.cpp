#include "report/internal/sheet_mount.h"

#include <algorithm>
#include <sstream>

namespace hobwise::report {

namespace {

// The words of a text in rows no wider than `room`; a word wider than the room stands
// in a row of its own. At most `most` rows, the last one ending in "..." when cut.
std::vector<std::string> rowsOf(const std::string& text, double room, std::size_t most, const MeasureText& measure) {
  std::vector<std::string> rows;
  std::istringstream words(text);
  std::string word, row;
  while (words >> word) {
    const std::string longer = row.empty() ? word : row + " " + word;
    if (!row.empty() && measure(longer).first > room) {
      rows.push_back(row);
      row = word;
    } else {
      row = longer;
    }
  }
  if (!row.empty()) rows.push_back(row);
  if (rows.size() > most) {
    rows.resize(most);
    rows.back() += " ...";
  }
  return rows;
}

}  // namespace

void addMountTexts(SheetLayout& layout, const SheetInputs& in, int width, int height, const MeasureText& measure) {
  const int lineUnit = height / 36;
  const double x0 = static_cast<int>(width * 0.02);
  const double x = static_cast<int>(width * 0.46);
  const double room = width - x - x0;
  const double pitch = std::max(1, measure("X").second);
  const double tops[2] = {21.3, 29.3};
  const std::size_t most[2] = {4, 3};
  for (std::size_t train = 0; train < 2; ++train) {
    // Drawn texts carry no control characters.
    std::string text;
    for (char ch : in.mounts[train])
      if (static_cast<unsigned char>(ch) >= 0x20 && ch != 0x7f) text.push_back(ch);
    const std::vector<std::string> rows = rowsOf(text, room, most[train], measure);
    for (std::size_t k = 0; k < rows.size(); ++k)
      layout.texts.push_back(SheetText{x, tops[train] * lineUnit + static_cast<double>(k) * pitch, rows[k]});
  }
}

}  // namespace hobwise::report
