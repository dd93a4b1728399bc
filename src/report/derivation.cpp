// The six derivation lines of the sheet: the index ratio written with whole numbers
// from the fraction p/q on display, and the feed ratio the C constant asks for.
#include <algorithm>
#include <cstdint>
#include <locale>
#include <sstream>

#include <boost/math/constants/constants.hpp>

#include "model/decfloat.h"
#include "model/job.h"
#include "model/text_value.h"
#include "report/internal/sheet_limits.h"
#include "report/sheet.h"
#include "results/results.h"

namespace hobwise {

namespace {

using namespace report;
using Int128 = __int128;

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

// Decimals of a value written in general notation with the given significant digits
// (trailing zeros dropped): the length of that text less 2.
int decimalCount(const DecFloat& x, int significantDigits) {
  std::ostringstream out;
  out.precision(significantDigits);
  out << x;
  return static_cast<int>(out.str().size()) - 2;
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

// What the index lines are made of: K (whole), p and q from the status line, the
// eight gear texts with their values, and T, N and the sign.
struct IndexTerms {
  Int128 k = 0;
  std::string pText, qText;
  int p = 0, q = 0;
  std::array<std::string, 8> gearText;
  std::array<int, 8> gear{};
  int threads = 0, teeth = 0, sign = 1;
};

// Nothing when the index constant is not whole (or too large for the arithmetic
// below), when no fraction is on display, or when a gear of the index train or a
// driven feed gear has no teeth.
std::optional<IndexTerms> indexTermsOf(const SheetInputs& in) {
  IndexTerms t;
  const std::optional<DecFloat> k = parseDecFloat(cutText(in.indexConstant, kSheetIndexConstantLimit));
  if (!k || !IsWhole(*k)) return std::nullopt;
  if (boost::multiprecision::abs(*k) > DecFloat(1e15)) return std::nullopt;
  t.k = static_cast<Int128>(boost::multiprecision::floor(*k).convert_to<long long>());

  // p and q from the status line "C: p/q".
  std::string status = cutText(in.status, kStatusLimit);
  if (const auto slash = status.find('/'); slash != std::string::npos) status[slash] = ' ';
  const std::vector<std::string> statusWords = words(status);
  if (statusWords.size() < 3) return std::nullopt;
  t.pText = statusWords[1];
  t.qText = statusWords[2];
  t.p = textToInt(t.pText);
  t.q = textToInt(t.qText);

  for (std::size_t i = 0; i < 8; ++i) {
    t.gearText[i] = cutText(in.gears[i], kSheetGearLimit);
    t.gear[i] = textToInt(t.gearText[i]);
  }
  // A train with a gear of no teeth has no ratio to derive.
  if (std::count(t.gear.begin(), t.gear.begin() + 4, 0) > 0 || t.gear[6] == 0 || t.gear[7] == 0) return std::nullopt;

  t.threads = textToInt(cutText(in.hobThreads, kSheetHobThreadsLimit));
  t.teeth = textToInt(in.teeth);
  t.sign = setupSign(in.setupIndex);
  return t;
}

// Lines 19 and 20: K x T x p over the driving index gears, N x p + s x q over the
// driven ones, each divided by its common factor; nothing where a factor is 0.
std::optional<std::array<std::string, 2>> indexLines(const IndexTerms& t) {
  // Whole numbers wide enough for any product of these factors.
  const Int128 bigP = static_cast<Int128>(t.p) * t.k * t.threads;
  const Int128 q1 = bigP / t.gear[0] / t.gear[1];
  const Int128 bigV = static_cast<Int128>(t.teeth) * t.p + static_cast<Int128>(t.sign) * t.q;
  const Int128 q2 = bigV / t.gear[2] / t.gear[3];
  if (q1 == 0 || q2 == 0) return std::nullopt;
  const std::string kText = toText(t.k);
  const std::string tText = std::to_string(t.threads);
  const std::string& pText = t.pText;
  const auto& g = t.gearText;
  std::array<std::string, 2> lines;
  if (q1 == 1) {
    lines[0] = kText + " x " + tText + " x " + pText + " = " + toText(bigP) + " = " + g[0] + " x " + g[1];
  } else {
    lines[0] = "(" + kText + " x " + tText + " x " + pText + ") / " + toText(q1) + " = " + toText(bigP / q1) +
               " = " + g[0] + " x " + g[1];
  }
  const std::string signText = t.sign == -1 ? " - " : " + ";
  const std::string nText = std::to_string(t.teeth);
  if (q2 == 1) {
    lines[1] = "(" + nText + " x " + pText + ") " + signText + t.qText + " " + " = " + toText(bigV) + " = " + g[2] +
               " x " + g[3];
  } else {
    lines[1] = "((" + nText + " x " + pText + ") " + signText + t.qText + ") / " + toText(q2) + " = " +
               toText(bigV / q2) + " = " + g[2] + " x " + g[3];
  }
  return lines;
}

// Decimals of the three values of the formula line, within a budget of 49 digits.
struct Decimals {
  int feed, sin, pitch;
};
Decimals decimalsOf(const DecFloat& fe, bool reciprocal, const DecFloat& sinBeta, const DecFloat& pn) {
  int dF = decimalCount(fe, 50);
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
  return {dF, ds, dp};
}

// Lines 25 to 28: the feed ratio the C constant p/q asks for, its value, the feed
// train's ratio, and the feed error line; nothing where a text is no number.
std::optional<std::array<std::string, 4>> feedLines(const SheetInputs& in, const IndexTerms& t) {
  const std::string feedConstantText = cutText(in.feedConstant, kDerivationFieldLimit);
  std::optional<DecFloat> fe = parseDecFloat(feedConstantText);
  const std::optional<DecFloat> beta = parseDecFloat(cutText(in.helixAngle, kDerivationFieldLimit));
  const std::optional<DecFloat> pitch = parseDecFloat(cutText(in.normalPitch, kDerivationFieldLimit));
  if (!fe || !beta || !pitch) return std::nullopt;
  const bool reciprocal = textToDouble(feedConstantText) >= 1;
  if (reciprocal) fe = DecFloat(1) / *fe;
  const DecFloat sinBeta = boost::multiprecision::sin(*beta * (pi() / 180));
  const DecFloat pn = pi() / *pitch;

  const Decimals d = decimalsOf(*fe, reciprocal, sinBeta, pn);
  const std::string pnText = formatFixed(pn, d.pitch);
  const std::string feText = formatFixed(*fe, d.feed);
  const std::string sinText = formatFixed(sinBeta, d.sin);
  const auto& g = t.gearText;
  std::array<std::string, 4> lines;
  if (t.q == 1) {
    lines[0] = pnText + " / (" + t.pText + " x " + feText + " x " + sinText + ") =";
  } else {
    lines[0] = "(" + pnText + " x " + t.qText + ") / (" + t.pText + " x " + feText + " x " + sinText + ") =";
  }
  lines[1] = formatFixed(pn / (*fe * t.p) / sinBeta * t.q, 24);
  const DecFloat chosen = DecFloat(static_cast<std::int64_t>(t.gear[4]) * t.gear[5]) /
                          DecFloat(static_cast<std::int64_t>(t.gear[6]) * t.gear[7]);
  lines[2] = formatFixed(chosen, 24) + " = (" + g[4] + " x " + g[5] + ") / (" + g[6] + " x " + g[7] + ")";
  lines[3] = cutText(in.feedErrorLine, kFeedErrorLimit);
  return lines;
}

}  // namespace

std::optional<std::array<std::string, 6>> BuildDerivationLines(const SheetInputs& in) {
  const std::optional<IndexTerms> terms = indexTermsOf(in);
  if (!terms) return std::nullopt;
  const std::optional<std::array<std::string, 2>> index = indexLines(*terms);
  if (!index) return std::nullopt;
  const std::optional<std::array<std::string, 4>> feed = feedLines(in, *terms);
  if (!feed) return std::nullopt;
  return std::array<std::string, 6>{(*index)[0], (*index)[1], (*feed)[0], (*feed)[1], (*feed)[2], (*feed)[3]};
}

}  // namespace hobwise
