// Stock files on the disk (native builds): the reader and writer of model/file_io.h
// around the parse and text of model/stock_file.cpp.
#include "model/file_io.h"
#include "model/plain_text.h"
#include "model/stock_file.h"

namespace hobwise {

StockFileResult readStockFile(const std::string& path) {
  const FileRead file = readWholeFile(path, kStockFileMaxBytes);
  if (!file.ok()) return file.tooLarge ? file.error + ", so no stock file" : file.error;
  StockFileResult result = parseStockFile(file.bytes);
  if (auto* message = std::get_if<std::string>(&result))
    *message = quoteText(path, Keep::kEnd) + (message->rfind("line ", 0) == 0 ? ", " : ": ") + *message;
  return result;
}

std::string writeStockFile(const std::string& path, const GearStock& stock) {
  return writeFileAtomically(path, stockFileText(stock)).error;
}

}  // namespace hobwise
