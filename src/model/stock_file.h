#pragma once
// The gear stock as a plain text file a person can read and edit:
//
//   # Hobwise gear stock: one line per tooth count, "teeth count" (count 1 to 7)
//   30 1
//   47 2
//
// The file is UTF-8 text (a byte order mark at its start is skipped): a byte that is no
// UTF-8, or a control character other than tab, vertical tab and form feed, refuses
// it, with the line named, also inside a comment. A line feed, a carriage return or
// both ("\r\n") end a line. Blank lines and "#" comments are skipped (a "#" also ends a
// line early); a tooth count that no line names has no gears. A tooth count and a count
// are plain digits: a sign ("+2", "-0") is refused. A file that holds neither a stock
// line nor a comment (empty, or only blank lines) is refused as blank: it is what a
// failed or cut-off write leaves, not a stock anyone wrote; a file of comments alone is
// the empty stock, as this program writes it.
#include <string>
#include <string_view>
#include <variant>

#include "model/gear_stock.h"

namespace hobwise {

// The first line of every stock file written.
inline constexpr std::string_view kStockFileComment =
    "# Hobwise gear stock: one line per tooth count, \"teeth count\" (count 1 to 7)";

// Files larger than this are refused unread (a stock file has at most 155 short lines).
inline constexpr std::size_t kStockFileMaxBytes = 64 * 1024;

// The file's text: the comment line, then "teeth count" for each tooth count with a
// gear, ascending, each line ended by "\n".
std::string stockFileText(const GearStock& stock);

// A stock, or the message that says why the text is refused: "line N: ..." when a line
// is at fault, otherwise (the text as a whole) "blank (no stock line and no comment), so no stock file" and "larger than
// 64 KiB, so no stock file".
using StockFileResult = std::variant<GearStock, std::string>;

// The file's bytes as they are (a page hands over the file's bytes, not a decoded
// text, so that it refuses what the programs refuse).
StockFileResult parseStockFile(std::string_view bytes);

// Reads the file with readWholeFile() and parses it with parseStockFile(); messages name
// the file, quoted: "\"FILE\", line N: ...", "\"FILE\": blank ...", or
// "cannot read \"FILE\": reason". (Native builds only, as model/file_io.h.)
StockFileResult readStockFile(const std::string& path);

// Writes stockFileText() with writeFileAtomically(): the empty text on success,
// otherwise the message (cannot write "FILE": reason). (Native builds only.)
std::string writeStockFile(const std::string& path, const GearStock& stock);

}  // namespace hobwise
