// The gear stock as a text file: written, read back, and bad files refused with a
// message that names the line.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <variant>

#include "model/stock_file.h"

namespace hobwise {
namespace {

namespace fs = std::filesystem;

GearStock stockOf(std::initializer_list<std::pair<int, int>> counts) {
  GearStock stock;
  for (auto [teeth, count] : counts) stock.setCount(teeth, count);
  return stock;
}

struct TempDir {
  fs::path path = fs::temp_directory_path() / ("hobwise_stock_" + std::to_string(::getpid()) + "_" +
                                               ::testing::UnitTest::GetInstance()->current_test_info()->name());
  TempDir() { fs::create_directories(path); }
  ~TempDir() { fs::remove_all(path); }
};

TEST(StockFile, WrittenStockReadsBackTheSame) {
  GearStock full;
  for (int t = kFirstToothCount; t <= kLastToothCount; ++t) full.setCount(t, 7);
  const struct { const char* name; GearStock stock; } cases[] = {
      {"default", GearStock::defaultStock()},
      {"empty", GearStock()},
      {"full", full},
      {"ends", stockOf({{16, 3}, {47, 2}, {169, 7}})},
  };
  TempDir dir;
  for (const auto& c : cases) {
    const std::string path = (dir.path / c.name).string();
    ASSERT_EQ(writeStockFile(path, c.stock), "") << c.name;
    const StockFileResult back = readStockFile(path);
    ASSERT_TRUE(std::holds_alternative<GearStock>(back)) << c.name << ": " << std::get<std::string>(back);
    EXPECT_EQ(std::get<GearStock>(back), c.stock) << c.name;
    EXPECT_FALSE(fs::exists(path + ".part")) << c.name;
  }
}

TEST(StockFile, OneCommentLineThenTeethAndCount) {
  EXPECT_EQ(stockFileText(stockOf({{47, 2}, {20, 1}})), std::string(kStockFileComment) + "\n20 1\n47 2\n");
}

TEST(StockFile, BlankLinesCommentsAndLineEndsAreSkipped) {
  const struct { const char* name; const char* text; GearStock stock; } cases[] = {
      {"empty file", "", GearStock()},
      {"only comments", "# nothing\n\n   # indented\n", GearStock()},
      {"comment after the numbers", "47 2 # the big one\n", stockOf({{47, 2}})},
      {"no newline at the end", "30 1\n31 4", stockOf({{30, 1}, {31, 4}})},
      {"windows line ends and tabs", "30\t1\r\n\r\n 31  4 \r\n", stockOf({{30, 1}, {31, 4}})},
      {"byte order mark", "\xEF\xBB\xBF" "30 1\n", stockOf({{30, 1}})},
      {"count zero", "30 0\n40 5\n", stockOf({{40, 5}})},
  };
  for (const auto& c : cases) {
    const StockFileResult result = parseStockFile(c.text);
    ASSERT_TRUE(std::holds_alternative<GearStock>(result)) << c.name << ": " << std::get<std::string>(result);
    EXPECT_EQ(std::get<GearStock>(result), c.stock) << c.name;
  }
}

TEST(StockFile, BadLinesAreRefusedNamingTheLine) {
  const struct { const char* name; const char* text; const char* message; } cases[] = {
      {"tooth count too small", "# stock\n15 1\n", "line 2: the tooth count 15 lies outside 16 to 169"},
      {"tooth count too large", "170 1\n", "line 1: the tooth count 170 lies outside 16 to 169"},
      {"tooth count overflows", "99999999999 1\n", "line 1: the tooth count 99999999999 lies outside 16 to 169"},
      {"count too large", "30 1\n\n47 8\n", "line 3: the count 8 of tooth count 47 lies outside 0 to 7"},
      {"count negative", "47 -1\n", "line 1: the count -1 of tooth count 47 lies outside 0 to 7"},
      {"given twice", "30 1\n31 1\n30 0\n", "line 3: the tooth count 30 is given twice (first on line 1)"},
      {"no number", "30 one\n", "line 1: expected a tooth count and a count, as in \"47 2\", but found \"30 one\""},
      {"decimal", "30 1.5\n", "line 1: expected a tooth count and a count, as in \"47 2\", but found \"30 1.5\""},
      {"one number", "30 1\n31\n", "line 2: expected a tooth count and a count, as in \"47 2\", but found \"31\""},
      {"three numbers", "30 1 2\n", "line 1: expected a tooth count and a count, as in \"47 2\", but found \"30 1 2\""},
      {"the stored digits", "0000111\n", "line 1: expected a tooth count and a count, as in \"47 2\", but found \"0000111\""},
  };
  for (const auto& c : cases) {
    const StockFileResult result = parseStockFile(c.text);
    ASSERT_TRUE(std::holds_alternative<std::string>(result)) << c.name;
    EXPECT_EQ(std::get<std::string>(result), c.message) << c.name;
  }
}

TEST(StockFile, FilesThatCannotBeReadAreRefusedNamingTheFile) {
  TempDir dir;
  const std::string big = (dir.path / "big").string();
  std::ofstream(big) << std::string(kStockFileMaxBytes + 1, '#');
  const std::string bad = (dir.path / "bad").string();
  std::ofstream(bad) << "30 1\n31 x\n";
  const struct { const char* name; std::string path; std::string message; } cases[] = {
      {"missing", (dir.path / "missing").string(), "cannot read " + (dir.path / "missing").string() + ": "},
      {"folder", dir.path.string(), "cannot read " + dir.path.string() + ": it is a folder"},
      {"too large", big, "cannot read " + big + ": larger than 64 KiB"},
      {"bad line", bad, bad + ", line 2: "},
  };
  for (const auto& c : cases) {
    const StockFileResult result = readStockFile(c.path);
    ASSERT_TRUE(std::holds_alternative<std::string>(result)) << c.name;
    EXPECT_EQ(std::get<std::string>(result).rfind(c.message, 0), 0u) << c.name << ": " << std::get<std::string>(result);
  }
  EXPECT_EQ(writeStockFile((dir.path / "no" / "such").string(), GearStock()).rfind("cannot write ", 0), 0u);
}

}  // namespace
}  // namespace hobwise
