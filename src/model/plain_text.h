#pragma once
// Plain text as the program checks and shows it: well-formed UTF-8 without control
// characters, and the quoted form in which a message shows any text it did not accept
// (an argument, a line of a file, a file name), whatever bytes it holds.
#include <cstddef>
#include <string>
#include <string_view>

namespace hobwise {

// Characters of a quoted text shown at most; the rest is cut.
inline constexpr std::size_t kQuotedCharacters = 60;

// Bytes of the well-formed UTF-8 character that starts at text[at] (1 to 4), or 0 when
// the bytes there are not one (a stray or cut sequence, an overlong form, a surrogate,
// a value past U+10FFFF).
std::size_t utf8CharacterLength(std::string_view text, std::size_t at);

// Where the first byte lies that keeps the text from being plain text: a byte that
// starts no well-formed UTF-8 character, a control character other than tab, vertical
// tab and form feed (C0, DEL, C1), std::string_view::npos when there is none. Line ends
// are the caller's to split off.
std::size_t firstNonTextByte(std::string_view text);

// The text between double quotes, safe to print on any terminal and short: tab, line
// feed and carriage return shown as \t \n \r, other control characters and bytes that
// are no UTF-8 as \xHH, characters that reorder or hide text (bidirectional marks,
// line separators, the zero-width no-break space) as \uHHHH, " and \ as \" and \\.
// A longer text shows kQuotedCharacters characters (an escape counts for its length):
// its start, followed by "... (N bytes)", or for a file name, whose end tells most, its
// end, preceded by "..." and followed by " (N bytes)".
enum class Keep { kStart, kEnd };
std::string quoteText(std::string_view text, Keep keep = Keep::kStart);

// For names and numbers that messages have always shown bare ("--teeth: takes no
// value", "15 teeth"): the text as it stands when quoteText() would show it whole and
// unchanged, otherwise quoteText(text, keep).
std::string bareOrQuoted(std::string_view text, Keep keep = Keep::kStart);

}  // namespace hobwise
