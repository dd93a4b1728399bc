#include "report/sheet_notes.h"

#include <algorithm>
#include <sstream>

namespace hobwise {

namespace {

// Where the notes begin: below the feed fraction block, whose denominator ends about
// 31.2 line units down.
constexpr double kNotesTop = 31.5;
constexpr const char* kMoreNotes = "(More notes: see the train's check.)";

// A note in lines no wider than `room`, broken between words; a word wider than the
// room stands on a line of its own. Lines after the first are indented.
std::vector<std::string> wrapped(const std::string& note, double room, const MeasureText& measure) {
  std::vector<std::string> lines;
  std::istringstream words(note);
  std::string word, line = "- ";
  bool lineHasWord = false;
  while (words >> word) {
    const std::string longer = line + (lineHasWord ? " " : "") + word;
    if (lineHasWord && measure(longer).first > room) {
      lines.push_back(line);
      line = "   " + word;
    } else {
      line = longer;
    }
    lineHasWord = true;
  }
  if (lineHasWord) lines.push_back(line);
  return lines;
}

}  // namespace

void addSheetNotes(SheetLayout& layout, const std::vector<std::string>& notes, int width, int height,
                   const MeasureText& measure) {
  if (notes.empty()) return;
  const int lineUnit = height / 36;
  const double x0 = static_cast<int>(width * 0.02);
  layout.texts.push_back(SheetText{x0, static_cast<double>(2 * lineUnit), kNotValidHeading});

  // Line after line, one character cell apart, as many as the page holds. Only whole
  // notes go on the page: where they do not all fit, the last line that fits says so.
  const double pitch = std::max(1, measure("X").second);
  const double top = kNotesTop * lineUnit;
  const std::size_t room = height > top + pitch ? static_cast<std::size_t>((height - top) / pitch) : 0;
  std::vector<std::string> lines;
  for (std::size_t k = 0; k < notes.size(); ++k) {
    const std::vector<std::string> noteLines = wrapped(notes[k], width - 2 * x0, measure);
    const bool last = k + 1 == notes.size();
    if (lines.size() + noteLines.size() + (last ? 0 : 1) > room) {
      if (room > 0) lines.push_back(kMoreNotes);
      break;
    }
    lines.insert(lines.end(), noteLines.begin(), noteLines.end());
  }
  for (std::size_t k = 0; k < lines.size(); ++k)
    layout.texts.push_back(SheetText{x0, top + static_cast<double>(k) * pitch, lines[k]});
}

}  // namespace hobwise
