// Stock files read from text and from the disk, and the quoted form of offending text.
#include <sys/stat.h>

#include "files_fixture.h"
#include "model/file_io.h"
#include "model/plain_text.h"
#include "model/stock_file.h"

namespace hobwise {
namespace {

GearStock stockOf(std::initializer_list<std::pair<int, int>> counts) {
  GearStock stock;
  for (auto [teeth, count] : counts) stock.setCount(teeth, count);
  return stock;
}

// A read stock as its 154 digits, a refusal as its message.
std::string outcome(const StockFileResult& result) {
  const auto* stock = std::get_if<GearStock>(&result);
  return stock ? stock->toText() : std::get<std::string>(result);
}

const std::string kTwo = stockOf({{30, 1}, {31, 2}}).toText();
const std::string kExpected = "expected a tooth count and a count, as in \"47 2\", but found ";

TEST(StockFileText, EachLineEndAndEachFaultGivesTheStockOrTheLineAndWhy) {
  const struct { std::string text, expected; } cases[] = {
      {"# c\n30 1\n31 2\n", kTwo},
      {"# c\r30 1\r31 2\r", kTwo},
      {"# c\r\n30 1\r\n31 2\r\n", kTwo},
      {"\xEF\xBB\xBF" "30\t1\r\n\r\n 31  2 # two\f\n40 0\n# Zahnr\xC3\xA4" "der", kTwo},
      {"# only a comment", GearStock().toText()},
      {"30 1\r\r31 x\n", "line 3: " + kExpected + "\"31 x\""},
      {"", "blank (no stock line and no comment), so no stock file"},
      {"\xEF\xBB\xBF\n\r\n \t\r", "blank (no stock line and no comment), so no stock file"},
      {std::string("#\x89PNG\r\n\x1A\n\0\0", 10), "line 1: \"#\\x89PNG\" is not plain text (byte 0x89)"},
      {std::string("30 1\n31 1\0\n", 11), "line 2: \"31 1\\x00\" is not plain text (byte 0x00)"},
      {"# Zahnr\xE4" "der\n30 1", "line 1: \"# Zahnr\\xE4der\" is not plain text (byte 0xE4)"},
      {"47 -0", "line 1: " + kExpected + "\"47 -0\""},
      {"47 +2", "line 1: " + kExpected + "\"47 +2\""},
      {"+47 2", "line 1: " + kExpected + "\"+47 2\""},
      {"30 1.5", "line 1: " + kExpected + "\"30 1.5\""},
      {"30 1\n31", "line 2: " + kExpected + "\"31\""},
      {"30 1 2", "line 1: " + kExpected + "\"30 1 2\""},
      {"# stock\n15 1\n", "line 2: the tooth count 15 lies outside 16 to 169"},
      {"99999999999 1", "line 1: the tooth count 99999999999 lies outside 16 to 169"},
      {"30 " + std::string(70, '9'), "line 1: the count \"" + std::string(60, '9') + "\"... (70 bytes) of tooth count 30 lies outside 0 to 7"},
      {"30 1\n\n47 8\n", "line 3: the count 8 of tooth count 47 lies outside 0 to 7"},
      {"30 1\n31 1\n30 0\n", "line 3: the tooth count 30 is given twice (first on line 1)"},
      {std::string(kStockFileMaxBytes + 1, '#'), "larger than 64 KiB, so no stock file"},
  };
  for (const auto& c : cases) EXPECT_EQ(outcome(parseStockFile(c.text)), c.expected) << quoteText(c.text);
}

TEST(StockFileText, WrittenStockReadsBackTheSame) {
  EXPECT_EQ(stockFileText(stockOf({{47, 2}, {20, 1}})), std::string(kStockFileComment) + "\n20 1\n47 2\n");
  for (const GearStock& stock : {GearStock::defaultStock(), GearStock(), stockOf({{16, 3}, {47, 2}, {169, 7}})})
    EXPECT_EQ(outcome(parseStockFile(stockFileText(stock))), stock.toText());
}

TEST(Quoted, ShowsAnyBytesSafelyAndShort) {
  const std::string longName = "/" + std::string(100, 'd') + "/sheet.pdf";
  const struct { std::string text, shown; Keep keep = Keep::kStart; } cases[] = {
      {"30 1", "\"30 1\""},
      {"a\"b\\c", "\"a\\\"b\\\\c\""},
      {"\x1B]0;title\x07\t\r\n\x7F", "\"\\x1B]0;title\\x07\\t\\r\\n\\x7F\""},
      {"lat\xE9.txt \xC0\xAF \xED\xA0\x80 \xE2\x80", "\"lat\\xE9.txt \\xC0\\xAF \\xED\\xA0\\x80 \\xE2\\x80\""},
      {"Zahnr\xC3\xA4" "der \xE2\x80\xAE \xC2\x9B", "\"Zahnr\xC3\xA4" "der \\u202E \\u009B\""},
      {std::string(100, '7'), "\"" + std::string(60, '7') + "\"... (100 bytes)"},
      {std::string(59, 'a') + "\x01", "\"" + std::string(59, 'a') + "\"... (60 bytes)"},
      {longName, "...\"" + longName.substr(longName.size() - 60) + "\" (111 bytes)", Keep::kEnd},
  };
  for (const auto& c : cases) EXPECT_EQ(quoteText(c.text, c.keep), c.shown);
  std::string sixtyWide;
  for (int k = 0; k < 60; ++k) sixtyWide += "\xC3\xA4";
  EXPECT_EQ(quoteText(sixtyWide), "\"" + sixtyWide + "\"");
}

// Each kind of file, in a child that an alarm ends should a read ever wait.
TEST_F(FilesTest, OnlyRegularFilesAreReadAndNothingWaits) {
  ASSERT_EQ(::mkfifo(path("fifo").c_str(), 0600), 0);
  ASSERT_TRUE(writeFileAtomically(path("lat\xE9.txt"), "# c\r30 1\r31 2\r").ok());
  ASSERT_TRUE(writeFileAtomically(path("big"), std::string(kStockFileMaxBytes + 1, '#')).ok());
  ASSERT_TRUE(writeFileAtomically(path("bad"), "30 1\n31 x\n").ok());
  ASSERT_TRUE(writeFileAtomically(path("blank"), "\n\n").ok());
  const std::string q = "\"" + dir, escaped = path("\x1B]0;x\x07");
  const struct { std::string file, expected; } cases[] = {
      {path("lat\xE9.txt"), kTwo},
      {path("fifo"), "cannot read " + q + "/fifo\": it is a pipe, not a file"},
      {"/dev/null", "cannot read \"/dev/null\": it is a device, not a file"},
      {"/dev/zero", "cannot read \"/dev/zero\": it is a device, not a file"},
      {dir, "cannot read " + q + "\": it is a folder"},
      {path("missing"), "cannot read " + q + "/missing\": No such file or directory"},
      {escaped, "cannot read " + q + "/\\x1B]0;x\\x07\": No such file or directory"},
      {path("big"), "cannot read " + q + "/big\": larger than 64 KiB, so no stock file"},
      {path("bad"), q + "/bad\", line 2: " + kExpected + "\"31 x\""},
      {path("blank"), q + "/blank\": blank (no stock line and no comment), so no stock file"},
  };
  const std::string report = inChild([&cases] {
    std::string wrong;
    for (const auto& c : cases) {
      const std::string got = outcome(readStockFile(c.file));
      if (got != c.expected) wrong += "read " + quoteText(c.file) + " gave " + got + "\n";
    }
    return wrong;
  }, 10);
  EXPECT_EQ(report, "");
  EXPECT_FALSE(readWholeFile(path("bad"), 9).ok()) << "a limit of its own per caller";
  EXPECT_EQ(readWholeFile(path("bad"), 10).bytes, "30 1\n31 x\n");
}

}  // namespace
}  // namespace hobwise
