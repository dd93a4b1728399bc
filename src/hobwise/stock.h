#pragma once
// Hobwise's public face: the gear stock. How many gears of each tooth count 16 to 169
// the shop owns (0 to 7 each), and the stock as a plain text file.
//
//   GearStock (model/gear_stock.h)  count(t) and setCount(t, n) for tooth counts 16 to
//       169, the stored text (toText(), fromText(): one digit per tooth count), ==.
//   kFirstToothCount, kLastToothCount, kToothCountKinds (154), kMaxGearCount (7).
//   StockFileResult (model/stock_file.h)  a GearStock, or the message that says why a
//       stock file is refused (std::string, naming the line).
//
// The file holds one line "teeth count" per tooth count with gears, "#" comments and
// blank lines allowed. Pure functions except the two that touch files; all are safe on
// any thread and never throw.
#include <string>
#include <string_view>

#include "model/gear_stock.h"
#include "model/stock_file.h"

namespace hobwise {

// The stock the program starts with: one gear of each of 30 to 80 teeth.
GearStock defaultGearStock();
// Its stored text (155 characters, as the settings keep it when nothing is stored).
std::string defaultStockText();

// The stock file's text of a stock: a comment line, then "teeth count" for each tooth
// count with a gear, ascending, each line ended by "\n".
std::string stockFileTextOf(const GearStock& stock);

// A stock file's text read: the stock, or "line N: why".
StockFileResult parseStockText(std::string_view text);

// A stock file read from disk: the stock, or "FILE, line N: why" or "cannot read FILE:
// reason" (a folder, a missing file, a file over 64 KiB).
StockFileResult loadStockFile(const std::string& path);

// Writes a stock file so that a failure leaves an existing file as it was. The empty
// text on success, otherwise "cannot write FILE: reason".
std::string saveStockFile(const std::string& path, const GearStock& stock);

}  // namespace hobwise
