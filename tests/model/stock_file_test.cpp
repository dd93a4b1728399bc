// The gear stock as a text file: written, read back, and bad files refused with a
// message that names the line.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "model/stock_file.h"

namespace hobwise {
namespace {

GearStock stockOf(std::initializer_list<std::pair<int, int>> counts) {
  GearStock stock;
  for (auto [teeth, count] : counts) stock.setCount(teeth, count);
  return stock;
}

const std::string kDir = (std::filesystem::temp_directory_path() / ("hobwise_stock_" + std::to_string(getpid()))).string();

TEST(StockFile, WrittenStockReadsBackTheSame) {
  std::filesystem::create_directories(kDir);
  EXPECT_EQ(stockFileText(stockOf({{47, 2}, {20, 1}})), std::string(kStockFileComment) + "\n20 1\n47 2\n");
  for (const GearStock& stock : {GearStock::defaultStock(), GearStock(), stockOf({{16, 3}, {47, 2}, {169, 7}})}) {
    ASSERT_EQ(writeStockFile(kDir + "/s.txt", stock), "");
    const StockFileResult back = readStockFile(kDir + "/s.txt");
    EXPECT_TRUE(std::holds_alternative<GearStock>(back) && std::get<GearStock>(back) == stock) << stock.toText();
  }
}

TEST(StockFile, ReadsWhatAPersonMightWrite) {
  const struct { const char* text; GearStock stock; } cases[] = {
      {"", GearStock()},
      {"# nothing\n\n   # indented\n", GearStock()},
      {"47 2 # the big one\n30 0", stockOf({{47, 2}})},
      {"\xEF\xBB\xBF" "30\t1\r\n\r\n 31  4 \r\n", stockOf({{30, 1}, {31, 4}})},
  };
  for (const auto& c : cases) {
    const StockFileResult result = parseStockFile(c.text);
    EXPECT_TRUE(std::holds_alternative<GearStock>(result) && std::get<GearStock>(result) == c.stock) << c.text;
  }
}

TEST(StockFile, RefusesNamingTheLineOrTheFile) {
  std::filesystem::create_directories(kDir);
  std::ofstream(kDir + "/big") << std::string(kStockFileMaxBytes + 1, '#');
  std::ofstream(kDir + "/bad") << "30 1\n31 x\n";
  const std::string expected = "expected a tooth count and a count, as in \"47 2\", but found ";
  const struct { std::string textOrFile, message; } cases[] = {
      {"# stock\n15 1\n", "line 2: the tooth count 15 lies outside 16 to 169"},
      {"99999999999 1", "line 1: the tooth count 99999999999 lies outside 16 to 169"},
      {"30 1\n\n47 8\n", "line 3: the count 8 of tooth count 47 lies outside 0 to 7"},
      {"47 -1", "line 1: the count -1 of tooth count 47 lies outside 0 to 7"},
      {"30 1\n31 1\n30 0\n", "line 3: the tooth count 30 is given twice (first on line 1)"},
      {"30 1.5", "line 1: " + expected + "\"30 1.5\""},
      {"30 1\n31", "line 2: " + expected + "\"31\""},
      {"30 1 2", "line 1: " + expected + "\"30 1 2\""},
      {kDir + "/missing", "cannot read " + kDir + "/missing: No such file or directory"},
      {kDir, "cannot read " + kDir + ": it is a folder"},
      {kDir + "/big", "cannot read " + kDir + "/big: larger than 64 KiB, so no stock file"},
      {kDir + "/bad", kDir + "/bad, line 2: " + expected + "\"31 x\""},
  };
  for (const auto& c : cases) {
    const StockFileResult result =
        c.textOrFile.rfind(kDir, 0) == 0 ? readStockFile(c.textOrFile) : parseStockFile(c.textOrFile);
    EXPECT_TRUE(std::holds_alternative<std::string>(result) && std::get<std::string>(result) == c.message) << c.message;
  }
  EXPECT_EQ(writeStockFile(kDir + "/no/such", GearStock()).rfind("cannot write ", 0), 0u);
  std::filesystem::remove_all(kDir);
}

}  // namespace
}  // namespace hobwise
