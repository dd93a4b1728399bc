#include "report/sheet.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <locale>
#include <sstream>
#include <string_view>

#include "model/decfloat.h"
#include "model/job.h"
#include "model/text_value.h"
#include "report/internal/sheet_limits.h"
#include "report/sheet_notes.h"
#include "report/internal/sheet_mount.h"

namespace hobwise {

namespace {

using namespace report;

std::string fixedDouble(double value, int decimals) {
  std::ostringstream out;
  out.imbue(std::locale::classic());
  out.setf(std::ios::fixed, std::ios::floatfield);
  out.precision(decimals);
  out << value;
  return out.str();
}

std::string twoDigits(long long value) { return (value < 10 ? "0" : "") + std::to_string(value); }

std::string fourDigits(long long value) {
  const char* pad = value < 10 ? "000" : value < 100 ? "00" : value < 1000 ? "0" : "";
  return pad + std::to_string(value);
}

// A double's whole part as a whole number, safe for any double.
long long wholeOf(double x) {
  if (std::isnan(x)) return 0;
  if (x > 9e15) return 9000000000000000LL;
  if (x < -9e15) return -9000000000000000LL;
  return static_cast<long long>(std::floor(x));
}

// Drawn texts carry no control characters: the feed line's carriage return and line
// feed (and any other) are left out, so the line draws as one line of text.
std::string withoutControlCharacters(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char ch : text) {
    if (static_cast<unsigned char>(ch) >= 0x20 && ch != 0x7f) out.push_back(ch);
  }
  return out;
}

struct SetupTexts {
  const char* lines[5];
};

constexpr SetupTexts kSetupBlock[8] = {
    {{"Using: Right-Handed Hob to cut: Right-Handed Gear", "Type of Cut: Conventional", "Sign: Minus",
      "Direction of Cut: Top Coming", "Intermediate Studs: Index: 1; Feed: 1"}},
    {{"Using: Right-Handed Hob to cut: Right-Handed Gear", "Type of Cut: Climb", "Sign: Plus",
      "Direction of Cut: Top Coming", "Intermediate Studs: Index: 1; Feed: 2"}},
    {{"Using: Right-Handed Hob to cut: Left-Handed Gear", "Type of Cut: Conventional", "Sign: Plus",
      "Direction of Cut: Top Coming", "Intermediate studs: Index: 1; Feed: 1"}},
    {{"Using: Right-Handed Hob to cut: Left-Handed Gear", "Type of Cut: Climb", "Sign: Minus",
      "Direction of Cut: Top Coming", "Intermediate Studs: Index: 1; Feed: 2"}},
    {{"Using: Left-Handed Hob to cut: Left-Handed Gear", "Type of Cut: Conventional", "Sign: Minus",
      "Direction of Cut: Top Going", "Intermediate Studs: Index: 2; Feed: 2"}},
    {{"Using: Left-Handed Hob to cut: Left-Handed Gear", "Type of Cut: Climb", "Sign: Plus",
      "Direction of Cut: Top Going", "Intermediate Studs: Index: 2; Feed: 1"}},
    {{"Using: Left-Handed Hob to cut: Right-Handed Gear", "Type of Cut: Conventional", "Sign: Plus",
      "Direction of Cut: Top Going", "Intermediate Studs: Index: 2; Feed: 2"}},
    {{"Using: Left-Handed Hob to cut: Right-Handed Gear", "Type of Cut: Climb", "Sign: Minus",
      "Direction of Cut: Top Going", "Intermediate Studs: Index: 2; Feed: 1"}},
};

}  // namespace

std::string FormatDms(double degrees) {
  double whole = 0.0;
  const double f1 = std::modf(degrees, &whole);
  double minutes = 0.0;
  const double f2 = std::modf(f1 * 60, &minutes);
  double seconds = 0.0;
  const double f3 = std::modf(f2 * 60, &seconds);
  long long d = wholeOf(whole);
  long long m = wholeOf(minutes);
  long long s = wholeOf(seconds);
  const double tenThousandths = f3 * 10000;
  long long f = std::isfinite(tenThousandths) ? std::llround(tenThousandths) : 0;

  if (m == 60) { m = 0; ++d; }
  if (s == 60) { s = 0; ++m; }
  if (m == 60) { m = 0; ++d; }
  if (f == 10000) { f = 0; ++s; }
  if (s == 60) { s = 0; ++m; }
  if (m == 60) { m = 0; ++d; }

  return twoDigits(d) + "°" + twoDigits(m) + "'" + twoDigits(s) + "." + fourDigits(f) + "\"";
}

std::string setupLine(int setupIndex, int line) {
  if (setupIndex < 0 || setupIndex > 7 || line < 0 || line > 4) return std::string();
  return kSetupBlock[setupIndex].lines[line];
}

namespace {

// Lays out texts at the left margin by line number, and the two fraction blocks.
struct Page {
  SheetLayout& layout;
  const SheetInputs& in;
  const MeasureText& measure;
  int lineUnit;
  int x0;
  double xc;

  void line(int k, const std::string& text) {
    layout.texts.push_back(
        SheetText{static_cast<double>(x0), static_cast<double>(k * lineUnit), withoutControlCharacters(text)});
  }

  // The job's lines 1 to 17: the inputs, the readouts, the lead and feed lines, the
  // set-up block and the hob threads.
  void jobLines() {
    line(1, "HELICAL GEAR WITH DIFFERENTIAL LOCKED OUT OR NOT PRESENT");
    line(3, "Index Constant: " + cutText(in.indexConstant, kSheetIndexConstantLimit));
    line(4, "Feed Constant: " + cutText(in.feedConstant, kSheetFeedConstantLimit));
    const std::string helix = cutText(in.helixAngle, kSheetHelixAngleLimit);
    line(5, "Helix Angle: " + helix + "°  (dms: " + FormatDms(textToDouble(helix)) + ")");
    const std::string pitch = cutText(in.normalPitch, kSheetNormalPitchLimit);
    line(6, "Normal Diametral Pitch: " + pitch + "  (Module: " + fixedDouble(25.4 / textToDouble(pitch), 6) + ")");
    line(7, "Number of Teeth: " + std::to_string(textToInt(in.teeth)));

    // The readouts' values follow their labels ("Transverse Pitch Dia.: ", 23
    // characters, and "Outside Dia.: ", 14); they are printed again in millimetres.
    const auto afterLabel = [](const std::string& text, std::size_t label) {
      return text.size() > label ? std::string_view(text).substr(label) : std::string_view();
    };
    const std::string pitchDiameter = cutText(in.pitchDiameter, kSheetReadoutLimit);
    line(8, pitchDiameter + "  (" + fixedDouble(textToDouble(afterLabel(pitchDiameter, 23)) * 25.4, 3) + "mm)");
    const std::string outside = cutText(in.outsideDiameter, kSheetReadoutLimit);
    line(9, outside + "  (" + fixedDouble(textToDouble(afterLabel(outside, 14)) * 25.4, 3) + "mm)");
    line(10, cutText(in.leadLine, kSheetLeadLineLimit));

    // The feed line with a bullet in place of its 28th character, which stands between
    // its two figures.
    std::string feedLine = cutText(in.feedLine, kSheetFeedLineLimit);
    if (feedLine.size() >= 28) feedLine.replace(27, 1, "•");
    line(11, feedLine);

    for (int i = 0; i < 5; ++i) {
      const std::string text = setupLine(in.setupIndex, i);
      if (!text.empty()) line(12 + i, text);
    }
    line(17, "Hob Threads: " + cutText(in.hobThreads, kSheetHobThreadsLimit));
  }

  // A fraction block: its label at line k, the numerator's gears over the
  // denominator's, centred on xc, each with a bar under the numerator.
  void fractionBlock(int k, const char* label, std::size_t first, double numeratorRow, double denominatorRow) {
    line(k, label);
    const auto gear = [&](std::size_t i) { return withoutControlCharacters(cutText(in.gears[i], kSheetGearLimit)); };
    const std::string numerator = gear(first) + " x " + gear(first + 1);
    const std::string denominator = gear(first + 2) + " x " + gear(first + 3);
    const double yn = numeratorRow * lineUnit;
    const double yd = denominatorRow * lineUnit;

    const auto [w, h] = measure(numerator);
    const double left = xc - (w / 2);
    layout.bars.push_back(SheetBar{std::trunc(left), std::trunc(yn + h), std::trunc(left + w), std::trunc(yn + h)});
    layout.texts.push_back(SheetText{std::trunc(left), std::trunc(yn), numerator});

    // The second bar lies at the numerator's bar height too: the visible bar is as
    // wide as the wider of the two texts.
    const auto [w2, h2] = measure(denominator);
    const double left2 = xc - (w2 / 2);
    layout.bars.push_back(
        SheetBar{std::trunc(left2), std::trunc(yn + h2), std::trunc(left2 + w2), std::trunc(yn + h2)});
    layout.texts.push_back(SheetText{std::trunc(left2), std::trunc(yd), denominator});
  }
};

}  // namespace

SheetLayout layoutSheet(const SheetInputs& in, int width, int height, const MeasureText& measure) {
  SheetLayout layout;
  layout.fontHeight = height / 51;
  Page page{layout, in, measure, height / 36, static_cast<int>(width * 0.02), width * 0.36};
  page.jobLines();
  const std::optional<std::array<std::string, 6>> derivation = BuildDerivationLines(in);
  if (derivation) {
    page.line(19, (*derivation)[0]);
    page.line(20, (*derivation)[1]);
  }
  page.fractionBlock(22, "Index Change-Gears:", 0, 21.7, 22.45);
  if (derivation) {
    page.line(25, (*derivation)[2]);
    page.line(26, (*derivation)[3]);
    page.line(27, (*derivation)[4]);
    page.line(28, (*derivation)[5]);
  }
  page.fractionBlock(30, "Feed Change-Gears:", 4, 29.7, 30.45);
  addSheetNotes(layout, in.notes, width, height, measure);
  report::addMountTexts(layout, in, width, height, measure);
  return layout;
}

}  // namespace hobwise
