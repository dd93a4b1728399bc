#include "model/stock_file.h"

#include <array>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

namespace hobwise {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

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

// A line's text as a message quotes it: control characters shown as "?", long
// lines cut.
std::string quoted(std::string_view line) {
  constexpr std::size_t kShown = 40;
  std::string text;
  for (char c : line.substr(0, kShown)) text.push_back(static_cast<unsigned char>(c) < 0x20 || c == 0x7f ? '?' : c);
  if (line.size() > kShown) text += "...";
  return "\"" + text + "\"";
}

enum class Number { kOk, kNone, kTooLarge };

// A whole number in decimal digits, with an optional "-".
Number wholeNumber(std::string_view word, int& value) {
  const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
  if (end != word.data() + word.size()) return Number::kNone;
  if (error == std::errc::result_out_of_range) return Number::kTooLarge;
  return error == std::errc() ? Number::kOk : Number::kNone;
}

std::string lineMessage(int line, const std::string& what) { return "line " + std::to_string(line) + ": " + what; }

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
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) text.remove_prefix(kByteOrderMark.size());

  GearStock stock;
  std::array<int, kToothCountKinds> namedOn{};  // line that named each tooth count, 0: none
  int lineNumber = 0;
  while (!text.empty() || lineNumber == 0) {
    ++lineNumber;
    const std::size_t newline = text.find('\n');
    const std::string_view fullLine = text.substr(0, newline);
    text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);

    const std::vector<std::string_view> w = words(fullLine.substr(0, fullLine.find('#')));
    if (w.empty()) continue;
    const std::string expected =
        "expected a tooth count and a count, as in \"47 2\", but found " + quoted(fullLine);
    if (w.size() != 2) return lineMessage(lineNumber, expected);
    int teeth = 0;
    int count = 0;
    const Number teethRead = wholeNumber(w[0], teeth);
    const Number countRead = wholeNumber(w[1], count);
    if (teethRead == Number::kNone || countRead == Number::kNone) return lineMessage(lineNumber, expected);
    if (teethRead == Number::kTooLarge || teeth < kFirstToothCount || teeth > kLastToothCount)
      return lineMessage(lineNumber, "the tooth count " + std::string(w[0]) + " lies outside 16 to 169");
    if (countRead == Number::kTooLarge || count < 0 || count > kMaxGearCount)
      return lineMessage(lineNumber, "the count " + std::string(w[1]) + " of tooth count " + std::string(w[0]) +
                                         " lies outside 0 to 7");
    int& first = namedOn[static_cast<std::size_t>(teeth - kFirstToothCount)];
    if (first != 0)
      return lineMessage(lineNumber, "the tooth count " + std::to_string(teeth) + " is given twice (first on line " +
                                         std::to_string(first) + ")");
    first = lineNumber;
    stock.setCount(teeth, count);
  }
  return stock;
}

StockFileResult readStockFile(const std::string& path) {
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) return "cannot read " + path + ": it is a folder";
  std::ifstream in(path, std::ios::binary);
  if (!in) return "cannot read " + path + ": " + std::strerror(errno);
  std::string text(kStockFileMaxBytes + 1, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  if (in.bad()) return "cannot read " + path + ": " + std::strerror(errno);
  text.resize(static_cast<std::size_t>(in.gcount()));
  if (text.size() > kStockFileMaxBytes)
    return "cannot read " + path + ": larger than " + std::to_string(kStockFileMaxBytes / 1024) +
           " KiB, so no stock file";
  StockFileResult result = parseStockFile(text);
  if (auto* message = std::get_if<std::string>(&result)) *message = path + ", " + *message;
  return result;
}

std::string writeStockFile(const std::string& path, const GearStock& stock) {
  const std::string temporary = path + ".part";
  const std::string text = stockFileText(stock);
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return "cannot write " + path + ": " + std::strerror(errno);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out) {
      const std::string reason = std::strerror(errno);
      std::remove(temporary.c_str());
      return "cannot write " + path + ": " + reason;
    }
  }
  std::error_code error;
  std::filesystem::rename(temporary, path, error);
  if (error) {
    std::remove(temporary.c_str());
    return "cannot write " + path + ": " + error.message();
  }
  return std::string();
}

}  // namespace hobwise
