#pragma once
// The value of a field's text: the number at its front, read the way the C
// library's atof and atoi read it (leading white space skipped, optional sign, stop
// at the first character that does not fit, 0 when there is no number), but
// independent of the process locale.
#include <string>
#include <string_view>

namespace hobwise {

double textToDouble(std::string_view text);
int textToInt(std::string_view text);  // saturates at the 32-bit limits

// The first `limit` characters of a text, as a field with that length limit holds it.
inline std::string cutText(std::string_view text, std::size_t limit) {
  return std::string(text.substr(0, limit));
}

}  // namespace hobwise
