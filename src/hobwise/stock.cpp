#include "hobwise/stock.h"

namespace hobwise {

GearStock defaultGearStock() { return GearStock::defaultStock(); }

std::string defaultStockText() { return defaultGearStockText(); }

std::string stockFileTextOf(const GearStock& stock) { return stockFileText(stock); }

StockFileResult parseStockText(std::string_view text) { return parseStockFile(text); }

StockFileResult loadStockFile(const std::string& path) { return readStockFile(path); }

std::string saveStockFile(const std::string& path, const GearStock& stock) { return writeStockFile(path, stock); }

}  // namespace hobwise
