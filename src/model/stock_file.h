#pragma once
// The gear stock as a plain text file a person can read and edit:
//
//   # Hobwise gear stock: one line per tooth count, "teeth count" (count 1 to 7)
//   30 1
//   47 2
//
// Reading skips blank lines and "#" comments (a "#" also ends a line early); a tooth
// count that no line names has no gears.
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

// A stock, or the message that says why the text is refused: "line N: ...".
using StockFileResult = std::variant<GearStock, std::string>;

StockFileResult parseStockFile(std::string_view text);

// Reads and parses a file; messages name the file: "FILE, line N: ..." or
// "cannot read FILE: reason".
StockFileResult readStockFile(const std::string& path);

// Writes the stock to a file through a temporary file beside it, so that a failed
// write leaves an existing file as it was. The empty text on success, otherwise the
// message ("cannot write FILE: reason").
std::string writeStockFile(const std::string& path, const GearStock& stock);

}  // namespace hobwise
