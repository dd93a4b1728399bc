#include "report/sheet.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <locale>
#include <sstream>
#include <string_view>

#include <boost/math/constants/constants.hpp>

#include "model/decfloat.h"
#include "model/job.h"
#include "model/text_value.h"
#include "report/sheet_notes.h"
#include "results/results.h"

namespace hobwise {

namespace {

using Int128 = __int128;

// Length limits of the texts the sheet reads from the window.
constexpr std::size_t kSheetIndexConstantLimit = 6;
constexpr std::size_t kSheetFeedConstantLimit = 40;
constexpr std::size_t kSheetHelixAngleLimit = 40;
constexpr std::size_t kSheetNormalPitchLimit = 33;
constexpr std::size_t kSheetHobThreadsLimit = 2;
constexpr std::size_t kSheetReadoutLimit = 40;
constexpr std::size_t kSheetLeadLineLimit = 83;
constexpr std::size_t kSheetFeedLineLimit = 68;
constexpr std::size_t kSheetGearLimit = 3;
// ... and those the derivation lines read.
constexpr std::size_t kDerivationFieldLimit = 33;
constexpr std::size_t kStatusLimit = 29;
constexpr std::size_t kFeedErrorLimit = 40;

const DecFloat& pi() {
  static const DecFloat value = boost::math::constants::pi<DecFloat>();
  return value;
}

std::string toText(Int128 value) {
  if (value == 0) return "0";
  const bool negative = value < 0;
  std::string digits;
  while (value != 0) {
    const int digit = static_cast<int>(value % 10);
    digits.insert(digits.begin(), static_cast<char>('0' + (digit < 0 ? -digit : digit)));
    value /= 10;
  }
  return negative ? "-" + digits : digits;
}

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

// Decimals of a value written in general notation with the given significant digits
// (trailing zeros dropped): the length of that text less 2.
int decimalCount(const DecFloat& x, int significantDigits) {
  std::ostringstream out;
  out.precision(significantDigits);
  out << x;
  return static_cast<int>(out.str().size()) - 2;
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

// The words of a text split at white space.
std::vector<std::string> words(const std::string& text) {
  std::istringstream in(text);
  in.imbue(std::locale::classic());
  std::vector<std::string> out;
  std::string word;
  while (in >> word) out.push_back(word);
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

std::optional<std::array<std::string, 6>> BuildDerivationLines(const SheetInputs& in) {
  // The index constant must be whole, and small enough to be a whole number of the
  // arithmetic below.
  const std::optional<DecFloat> k = parseDecFloat(cutText(in.indexConstant, kSheetIndexConstantLimit));
  if (!k || !IsWhole(*k)) return std::nullopt;
  if (boost::multiprecision::abs(*k) > DecFloat(1e15)) return std::nullopt;
  const Int128 kWhole = static_cast<Int128>(boost::multiprecision::floor(*k).convert_to<long long>());

  // p and q from the status line "C: p/q". Without a fraction on display there is
  // nothing to derive.
  std::string status = cutText(in.status, kStatusLimit);
  if (const auto slash = status.find('/'); slash != std::string::npos) status[slash] = ' ';
  const std::vector<std::string> statusWords = words(status);
  if (statusWords.size() < 3) return std::nullopt;
  const std::string& pText = statusWords[1];
  const std::string& qText = statusWords[2];
  const int p = textToInt(pText);
  const int q = textToInt(qText);

  const auto gear = [&](std::size_t i) { return cutText(in.gears[i], kSheetGearLimit); };
  const std::string i1Text = gear(0), i2Text = gear(1), i3Text = gear(2), i4Text = gear(3);
  const std::string f1Text = gear(4), f2Text = gear(5), f3Text = gear(6), f4Text = gear(7);
  const int i1 = textToInt(i1Text), i2 = textToInt(i2Text), i3 = textToInt(i3Text), i4 = textToInt(i4Text);
  const int f1 = textToInt(f1Text), f2 = textToInt(f2Text), f3 = textToInt(f3Text), f4 = textToInt(f4Text);
  // A train with a gear of no teeth has no ratio to derive.
  if (i1 == 0 || i2 == 0 || i3 == 0 || i4 == 0 || f3 == 0 || f4 == 0) return std::nullopt;

  const int threads = textToInt(cutText(in.hobThreads, kSheetHobThreadsLimit));
  const int teeth = textToInt(in.teeth);
  const int sign = setupSign(in.setupIndex);

  // Index numerator and denominator, in whole numbers wide enough for any product of
  // these factors.
  const Int128 bigP = static_cast<Int128>(p) * kWhole * threads;
  const Int128 q1 = bigP / i1 / i2;
  const Int128 bigV = static_cast<Int128>(teeth) * p + static_cast<Int128>(sign) * q;
  const Int128 q2 = bigV / i3 / i4;
  if (q1 == 0 || q2 == 0) return std::nullopt;

  // Feed-train figures.
  const std::string feedConstantText = cutText(in.feedConstant, kDerivationFieldLimit);
  std::optional<DecFloat> fe = parseDecFloat(feedConstantText);
  const std::optional<DecFloat> beta = parseDecFloat(cutText(in.helixAngle, kDerivationFieldLimit));
  const std::optional<DecFloat> pitch = parseDecFloat(cutText(in.normalPitch, kDerivationFieldLimit));
  if (!fe || !beta || !pitch) return std::nullopt;
  const bool reciprocal = textToDouble(feedConstantText) >= 1;
  if (reciprocal) fe = DecFloat(1) / *fe;
  const DecFloat sinBeta = boost::multiprecision::sin(*beta * (pi() / 180));
  const DecFloat pn = pi() / *pitch;

  std::array<std::string, 6> lines;
  const std::string kText = toText(kWhole);
  const std::string tText = std::to_string(threads);
  if (q1 == 1) {
    lines[0] = kText + " x " + tText + " x " + pText + " = " + toText(bigP) + " = " + i1Text + " x " + i2Text;
  } else {
    lines[0] = "(" + kText + " x " + tText + " x " + pText + ") / " + toText(q1) + " = " + toText(bigP / q1) +
               " = " + i1Text + " x " + i2Text;
  }
  const std::string signText = sign == -1 ? " - " : " + ";
  const std::string nText = std::to_string(teeth);
  if (q2 == 1) {
    lines[1] = "(" + nText + " x " + pText + ") " + signText + qText + " " + " = " + toText(bigV) + " = " + i3Text +
               " x " + i4Text;
  } else {
    lines[1] = "((" + nText + " x " + pText + ") " + signText + qText + ") / " + toText(q2) + " = " +
               toText(bigV / q2) + " = " + i3Text + " x " + i4Text;
  }

  // Decimals of the three values of the formula line, within a budget of 49 digits.
  int dF = decimalCount(*fe, 50);
  if (reciprocal && dF > 24) dF = 24;
  int ds = std::min(decimalCount(sinBeta, 32), 24);
  int dp = std::min(decimalCount(pn, 32), 24);
  // A value written without a decimal point (a feed constant of 1 or 0) has none.
  dF = std::max(dF, 0);
  ds = std::max(ds, 0);
  dp = std::max(dp, 0);
  while (dF + ds + dp > 49) {
    if (dF == ds && ds == dp) {
      --dF;
      --ds;
      --dp;
    } else if (ds >= dF && ds >= dp) {
      --ds;
    } else if (dp >= dF && dp >= ds) {
      --dp;
    } else {
      --dF;
    }
  }

  const std::string pnText = formatFixed(pn, dp);
  const std::string feText = formatFixed(*fe, dF);
  const std::string sinText = formatFixed(sinBeta, ds);
  if (q == 1) {
    lines[2] = pnText + " / (" + pText + " x " + feText + " x " + sinText + ") =";
  } else {
    lines[2] = "(" + pnText + " x " + qText + ") / (" + pText + " x " + feText + " x " + sinText + ") =";
  }
  lines[3] = formatFixed(pn / (*fe * p) / sinBeta * q, 24);
  const DecFloat chosen = DecFloat(static_cast<std::int64_t>(f1) * f2) / DecFloat(static_cast<std::int64_t>(f3) * f4);
  lines[4] = formatFixed(chosen, 24) + " = (" + f1Text + " x " + f2Text + ") / (" + f3Text + " x " + f4Text + ")";
  lines[5] = cutText(in.feedErrorLine, kFeedErrorLimit);
  return lines;
}

SheetLayout layoutSheet(const SheetInputs& in, int width, int height, const MeasureText& measure) {
  SheetLayout layout;
  layout.fontHeight = height / 51;
  const int lineUnit = height / 36;
  const int x0 = static_cast<int>(width * 0.02);
  const double xc = width * 0.36;

  const auto line = [&](int k, const std::string& text) {
    layout.texts.push_back(SheetText{static_cast<double>(x0), static_cast<double>(k * lineUnit),
                                     withoutControlCharacters(text)});
  };

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

  const std::optional<std::array<std::string, 6>> derivation = BuildDerivationLines(in);
  if (derivation) {
    line(19, (*derivation)[0]);
    line(20, (*derivation)[1]);
  }

  const auto fractionBlock = [&](int k, const char* label, std::size_t first, double numeratorRow,
                                 double denominatorRow) {
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
  };

  fractionBlock(22, "Index Change-Gears:", 0, 21.7, 22.45);
  if (derivation) {
    line(25, (*derivation)[2]);
    line(26, (*derivation)[3]);
    line(27, (*derivation)[4]);
    line(28, (*derivation)[5]);
  }
  fractionBlock(30, "Feed Change-Gears:", 4, 29.7, 30.45);
  addSheetNotes(layout, in.notes, width, height, measure);
  return layout;
}

}  // namespace hobwise
