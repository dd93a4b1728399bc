#include "model/plain_text.h"

#include <cstdio>
#include <vector>

namespace hobwise {

namespace {

unsigned byteAt(std::string_view text, std::size_t at) { return static_cast<unsigned char>(text[at]); }

// The value of the well-formed character of `length` bytes at text[at].
char32_t codePoint(std::string_view text, std::size_t at, std::size_t length) {
  static constexpr unsigned kLeadBits[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
  char32_t value = byteAt(text, at) & kLeadBits[length];
  for (std::size_t k = 1; k < length; ++k) value = (value << 6) | (byteAt(text, at + k) & 0x3F);
  return value;
}

bool isControl(char32_t c) {
  return (c < 0x20 && c != '\t' && c != '\v' && c != '\f') || (c >= 0x7F && c <= 0x9F);
}

// Characters that are text but change how the text around them looks.
bool hidesOrReorders(char32_t c) {
  return c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) ||
         c == 0x2028 || c == 0x2029 || c == 0xFEFF;
}

std::string hex(const char* format, unsigned value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, format, value);
  return buffer;
}

// How a message shows the character of `length` bytes at text[at] (length 0: a byte
// that is no UTF-8); empty when it is shown as it stands.
std::string escaped(std::string_view text, std::size_t at, std::size_t length) {
  if (length == 0) return hex("\\x%02X", byteAt(text, at));
  const char32_t c = codePoint(text, at, length);
  switch (c) {
    case '"': return "\\\"";
    case '\\': return "\\\\";
    case '\t': return "\\t";
    case '\n': return "\\n";
    case '\r': return "\\r";
    default: break;
  }
  if (c < 0x80 && (c < 0x20 || c == 0x7F)) return hex("\\x%02X", static_cast<unsigned>(c));
  if (isControl(c) || hidesOrReorders(c)) return hex("\\u%04X", static_cast<unsigned>(c));
  return std::string();
}

}  // namespace

std::size_t utf8CharacterLength(std::string_view text, std::size_t at) {
  const unsigned lead = byteAt(text, at);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  unsigned low = 0x80, high = 0xBF;  // the second byte's range
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // no overlong form
    if (lead == 0xED) high = 0x9F;  // no surrogate
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;   // no overlong form
    if (lead == 0xF4) high = 0x8F;  // nothing past U+10FFFF
  } else {
    return 0;
  }
  if (text.size() - at < length || byteAt(text, at + 1) < low || byteAt(text, at + 1) > high) return 0;
  for (std::size_t k = 2; k < length; ++k) {
    if ((byteAt(text, at + k) & 0xC0) != 0x80) return 0;
  }
  return length;
}

std::size_t firstNonTextByte(std::string_view text) {
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t length = utf8CharacterLength(text, at);
    if (length == 0 || isControl(codePoint(text, at, length))) return at;
    at += length;
  }
  return std::string_view::npos;
}

std::string quoteText(std::string_view text, Keep keep) {
  struct Character {
    std::size_t at, length;  // length 0: a byte that is no UTF-8
    std::size_t width;       // as shown
  };
  std::vector<Character> characters;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t length = utf8CharacterLength(text, at);
    const std::string escape = escaped(text, at, length);
    characters.push_back({at, length, escape.empty() ? 1 : escape.size()});
    at += length == 0 ? 1 : length;
  }
  std::size_t first = 0, end = characters.size(), width = 0;
  if (keep == Keep::kStart) {
    for (end = 0; end < characters.size() && width + characters[end].width <= kQuotedCharacters; ++end)
      width += characters[end].width;
  } else {
    for (first = end; first > 0 && width + characters[first - 1].width <= kQuotedCharacters; --first)
      width += characters[first - 1].width;
  }
  std::string shown = "\"";
  for (std::size_t k = first; k < end; ++k) {
    const Character& c = characters[k];
    const std::string escape = escaped(text, c.at, c.length);
    shown += escape.empty() ? std::string(text.substr(c.at, c.length)) : escape;
  }
  shown += "\"";
  if (first == 0 && end == characters.size()) return shown;
  return (first > 0 ? "..." + shown : shown + "...") + " (" + std::to_string(text.size()) + " bytes)";
}

std::string bareOrQuoted(std::string_view text, Keep keep) {
  std::string quoted = quoteText(text, keep);
  // A cut text ends in " bytes)", a whole one in the quote.
  if (quoted.size() == text.size() + 2 && quoted.compare(1, text.size(), text) == 0) return std::string(text);
  return quoted;
}

}  // namespace hobwise
