#include "model/stock_file.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <vector>

#include "model/plain_text.h"

namespace hobwise {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

std::vector<std::string_view> words(std::string_view line) {
  std::vector<std::string_view> out;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && isBlank(line[i])) ++i;
    const std::size_t start = i;
    while (i < line.size() && !isBlank(line[i])) ++i;
    if (i > start) out.push_back(line.substr(start, i - start));
  }
  return out;
}

enum class Number { kOk, kNone, kTooLarge };

// A whole number in plain decimal digits (no sign).
Number wholeNumber(std::string_view word, int& value) {
  if (word.find_first_not_of("0123456789") != std::string_view::npos) return Number::kNone;
  const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
  return error == std::errc::result_out_of_range ? Number::kTooLarge : Number::kOk;
}

std::string lineMessage(int line, const std::string& what) { return "line " + std::to_string(line) + ": " + what; }

// A number as a message shows it: a long run of digits cut short.
std::string shown(std::string_view number) { return number.size() <= 12 ? std::string(number) : quoteText(number); }

// The next line of the text, taken off it: a line ends at "\n", "\r" or "\r\n".
std::string_view takeLine(std::string_view& text) {
  const std::size_t end = std::min(text.find_first_of("\r\n"), text.size());
  const std::string_view line = text.substr(0, end);
  const std::size_t ending = end == text.size() ? 0 : text.compare(end, 2, "\r\n") == 0 ? 2 : 1;
  text.remove_prefix(end + ending);
  return line;
}

// Why one line is refused; empty when it is read (its gears, if any, put in `stock`).
std::string readLine(std::string_view line, int number, GearStock& stock, std::array<int, kToothCountKinds>& namedOn) {
  const std::vector<std::string_view> w = words(line.substr(0, line.find('#')));
  if (w.empty()) return std::string();
  const std::string expected = "expected a tooth count and a count, as in \"47 2\", but found " + quoteText(line);
  if (w.size() != 2) return expected;
  int teeth = 0;
  int count = 0;
  const Number teethRead = wholeNumber(w[0], teeth);
  const Number countRead = wholeNumber(w[1], count);
  if (teethRead == Number::kNone || countRead == Number::kNone) return expected;
  if (teethRead == Number::kTooLarge || teeth < kFirstToothCount || teeth > kLastToothCount)
    return "the tooth count " + shown(w[0]) + " lies outside 16 to 169";
  if (countRead == Number::kTooLarge || count > kMaxGearCount)
    return "the count " + shown(w[1]) + " of tooth count " + shown(w[0]) + " lies outside 0 to 7";
  int& first = namedOn[static_cast<std::size_t>(teeth - kFirstToothCount)];
  if (first != 0)
    return "the tooth count " + std::to_string(teeth) + " is given twice (first on line " + std::to_string(first) + ")";
  first = number;
  stock.setCount(teeth, count);
  return std::string();
}

}  // namespace

std::string stockFileText(const GearStock& stock) {
  std::string text(kStockFileComment);
  text += "\n";
  for (int t = kFirstToothCount; t <= kLastToothCount; ++t) {
    if (stock.count(t) > 0) text += std::to_string(t) + " " + std::to_string(stock.count(t)) + "\n";
  }
  return text;
}

StockFileResult parseStockFile(std::string_view text) {
  if (text.size() > kStockFileMaxBytes) return "larger than 64 KiB, so no stock file";
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) text.remove_prefix(kByteOrderMark.size());

  GearStock stock;
  std::array<int, kToothCountKinds> namedOn{};  // line that named each tooth count, 0: none
  bool holdsSomething = false;                   // a stock line or a comment
  for (int number = 1; !text.empty(); ++number) {
    const std::string_view line = takeLine(text);
    if (const std::size_t bad = firstNonTextByte(line); bad != std::string_view::npos) {
      char byte[8];
      std::snprintf(byte, sizeof byte, "0x%02X", static_cast<unsigned char>(line[bad]));
      return lineMessage(number, quoteText(line) + " is not plain text (byte " + byte + ")");
    }
    if (const std::string why = readLine(line, number, stock, namedOn); !why.empty()) return lineMessage(number, why);
    holdsSomething = holdsSomething || line.find_first_not_of(" \t\v\f") != std::string_view::npos;
  }
  if (!holdsSomething) return std::string("blank (no stock line and no comment), so no stock file");
  return stock;
}

}  // namespace hobwise
