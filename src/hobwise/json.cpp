#include "hobwise/json.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <utility>

#include "hobwise/machines.h"
#include "hobwise/results.h"

namespace hobwise {

namespace {

// The length of the well-formed UTF-8 character at the front of `text`, or 0 when its
// first byte starts none (a stray byte, a cut or overlong sequence, a surrogate, or
// past U+10FFFF).
std::size_t utf8Length(std::string_view text) {
  const auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  std::size_t length = 0;
  std::uint32_t code = 0, least = 0;
  if (lead >= 0xC0 && lead < 0xE0) length = 2, code = lead & 0x1Fu, least = 0x80;
  else if (lead >= 0xE0 && lead < 0xF0) length = 3, code = lead & 0x0Fu, least = 0x800;
  else if (lead >= 0xF0 && lead < 0xF8) length = 4, code = lead & 0x07u, least = 0x10000;
  if (length == 0 || text.size() < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0u) != 0x80) return 0;
    code = code << 6 | (byte(i) & 0x3Fu);
  }
  if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return length;
}

// The gear of a text as a number: its whole text in decimal digits, else 0.
long long gearNumber(std::string_view text) {
  if (text.empty() || text.size() > 9) return 0;
  long long value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return 0;
    value = value * 10 + (c - '0');
  }
  return value;
}

std::string gears(const ResultTexts& texts, std::size_t first) {
  std::string out = "[";
  for (std::size_t i = first; i < first + 4; ++i)
    out += (i == first ? "" : ", ") + std::to_string(gearNumber(texts.gears[i]));
  return out + "]";
}

}  // namespace

std::string jsonString(std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out = "\"";
  // A text read as UTF-8 loses a byte order mark at its front.
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  while (!text.empty()) {
    const unsigned char c = static_cast<unsigned char>(text.front());
    if (c >= 0x80) {
      // A byte that starts no character stands for U+FFFD, as a text read as UTF-8 holds it.
      const std::size_t length = utf8Length(text);
      out += length == 0 ? std::string_view("\xEF\xBF\xBD") : text.substr(0, length);
      text.remove_prefix(length == 0 ? 1 : length);
      continue;
    }
    text.remove_prefix(1);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          out += "\\u00";
          out += kHex[c >> 4];
          out += kHex[c & 0xF];
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

std::string jsonStrings(const std::vector<std::string>& texts) {
  std::string out = "[";
  for (std::size_t i = 0; i < texts.size(); ++i) out += (i == 0 ? "" : ", ") + jsonString(texts[i]);
  return out + "]";
}

std::string resultJson(const ResultTexts& texts) {
  return "{\"index\": " + gears(texts, 0) + ", \"feed\": " + gears(texts, 4) + ", \"c\": " + jsonString(texts.status) +
         ", \"feedError\": " + jsonString(texts.feedError) + ", \"feedLine\": " + jsonString(texts.feedLine) +
         ", \"leadLine\": " + jsonString(texts.leadLine) + "}";
}

std::string reportJson(const JobInputs& inputs, const SolveReport& report, bool exact, std::size_t listed,
                       const MachineProfile* machine) {
  std::string out = "{\"count\": " + std::to_string(report.results.size()) + ", \"results\": [";
  const std::size_t shown = std::min(listed, report.results.size());
  for (std::size_t k = 0; k < shown; ++k) {
    std::string result = resultJson(resultTextsOf(inputs, report.results[k], exact));
    if (machine)
      result.insert(result.size() - 1,
                    ", \"mount\": " + mountJson(mountOf(*machine, inputs.setupIndex, report.results[k]), *machine));
    out += (k == 0 ? "\n  " : ",\n  ") + result;
  }
  out += shown == 0 ? "]" : "\n]";
  const StageCounts& s = report.stages;
  const std::pair<const char*, std::size_t> stages[] = {{"indexTrains", s.indexTrains}, {"inStock", s.inStock},
                                                        {"cConstants", s.cConstants},   {"feedTrains", s.feedTrains},
                                                        {"feedTest", s.feedTest},       {"kept", s.kept}};
  out += ", \"stages\": {";
  for (std::size_t k = 0; k < std::size(stages); ++k)
    out += (k == 0 ? "\"" : ", \"") + std::string(stages[k].first) + "\": " + std::to_string(stages[k].second);
  return out + "}, \"stopped\": " + (report.stoppedIn != SolveStage::None ? "true" : "false") + "}\n";
}

}  // namespace hobwise
