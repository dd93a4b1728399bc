// The gear stock as a text file, the results as table rows (CSV and tab-separated
// text), and the reasons Solve is greyed.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "model/input_ranges.h"
#include "model/stock_file.h"
#include "results/result_rows.h"

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

TEST(ResultRows, ColumnsJoinedWithTheLabelsGiveTheMainPageTexts) {
  JobInputs broken = exampleJobInputs();
  broken.helixAngle = "2x";  // no job: only the gears can be shown
  const std::vector<FoundResult> results = solve(exampleJobInputs(), GearStock::defaultStock(), {}).results;
  ASSERT_GT(results.size(), 20u);
  for (const JobInputs& job : {exampleJobInputs(), broken}) {
    const std::vector<ResultRow> rows = resultRows(job, results);
    for (std::size_t k = 0; k < rows.size(); ++k) {
      const ResultRow& r = rows[k];
      const ResultTexts t = resultTextsForJob(job, results[k]);
      const std::string x = " \xC3\x97 ", shown = t.gears[0] + x + t.gears[1] + " / " + t.gears[2] + x + t.gears[3] +
                                                 "|" + t.status + t.feedError + t.feedLine + t.leadLine;
      const std::string joined = r[kIndexGearsColumn] + "|" +
          (t.feedLine.empty() ? "" : "C: " + r[kCConstantColumn] + "Feed Error: " + r[kFeedErrorColumn] +
           "Actual Feed Rate: " + r[kActualFeedColumn] + "   \r\nFeed Rate along Helix Angle: " + r[kHelixFeedColumn] +
           "Theoretical Lead: " + r[kTheoreticalLeadColumn] + " Lead from Gearing: " + r[kGearingLeadColumn] +
           " (Error: " + r[kLeadErrorColumn] + ")");
      EXPECT_EQ(r[kNumberColumn] + joined, std::to_string(k + 1) + shown) << job.helixAngle << " " << k;
    }
  }
}

TEST(ResultRows, CsvQuotesWhatNeedsItAndTabTextFlattensIt) {
  const struct { const char* field; const char* csv; const char* tab; } cases[] = {
      {"-0.000000001228433", "-0.000000001228433", "-0.000000001228433"},
      {"a,b", "\"a,b\"", "a,b"},
      {"say \"1\"", "\"say \"\"1\"\"\"", "say \"1\""},
      {"two\r\nlines", "\"two\r\nlines\"", "two  lines"},
      {"tab\there", "tab\there", "tab here"},
  };
  std::string csvHeader, tabHeader;
  for (const std::string& h : kResultColumnHeaders) {
    csvHeader += (csvHeader.empty() ? "" : ",") + h;
    tabHeader += (tabHeader.empty() ? "" : "\t") + h;
  }
  for (const auto& c : cases) {
    ResultRow row;
    row.fill("x");
    row[kFeedErrorColumn] = c.field;
    EXPECT_EQ(csvText({row}), csvHeader + "\nx,x,x,x," + c.csv + ",x,x,x,x,x\n") << c.field;
    EXPECT_EQ(tabText({row}), tabHeader + "\nx\tx\tx\tx\t" + c.tab + "\tx\tx\tx\tx\tx\n") << c.field;
  }
}

TEST(SolveBlockedText, NamesEachInputOutOfItsRange) {
  const struct { double index, feedConstant, helix, pitch, feedRate; bool teeth, running; const char* text; } cases[] = {
      {30, 0.0625, 23.5, 8, 0.025, true, false, ""},
      {1200, 0, 0.0001, 360, 0.1, true, false, ""},  // the bounds belong to the ranges
      {0.49, 0.0625, 23.5, 8, 0.025, true, false, "Index Const: a value from 0.5 to 1200"},
      {30, 90, 90, 0.34, 0.11, true, false,
       "Feed Const: a value from 0 to 89.9\nHelix Angle: a value from 0.0001 to 89.9\n"
       "Normal Diametral Pitch: a value from 0.35 to 360\nFeed Rate: a value from 0 to 0.1"},
      {30, -1, 23.5, 8, 0.025, false, true,
       "Feed Const: a value from 0 to 89.9\nNumber of Teeth: one chosen from the list\nthe run going now to end"},
  };
  for (const auto& c : cases) {
    const SolveInputValues v{c.index, c.feedConstant, c.helix, c.pitch, c.feedRate, c.teeth, c.running};
    EXPECT_EQ(solveBlockedText(v), c.text) << c.text;
  }
}

}  // namespace
}  // namespace hobwise
