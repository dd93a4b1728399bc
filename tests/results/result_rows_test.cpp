// Results as table rows: the Main page's texts split into columns, and the rows as
// CSV and as tab-separated text.
#include <gtest/gtest.h>

#include "results/result_rows.h"

namespace hobwise {
namespace {

// The Main page's texts put together again from a row's values and the labels.
ResultTexts rejoined(const ResultRow& row, const ResultTexts& original) {
  ResultTexts t;
  t.gears = original.gears;
  t.status = row[kCConstantColumn].empty() ? "" : "C: " + row[kCConstantColumn];
  t.indexError = original.indexError;
  t.feedError = "Feed Error: " + row[kFeedErrorColumn];
  t.feedLine = "Actual Feed Rate: " + row[kActualFeedColumn] + "   \r\nFeed Rate along Helix Angle: " +
               row[kHelixFeedColumn];
  t.leadLine = "Theoretical Lead: " + row[kTheoreticalLeadColumn] + " Lead from Gearing: " +
               row[kGearingLeadColumn] + " (Error: " + row[kLeadErrorColumn] + ")";
  return t;
}

TEST(ResultRows, ColumnsHoldTheValuesOfTheMainPageTexts) {
  JobInputs leftHand = exampleJobInputs();
  leftHand.setupIndex = 7;
  SolveOptions options;
  options.processors = 2;
  for (const JobInputs& job : {exampleJobInputs(), leftHand}) {
    const std::vector<FoundResult> results = solve(job, GearStock::defaultStock(), options).results;
    ASSERT_GT(results.size(), 20u) << job.setupIndex;
    const std::vector<ResultRow> rows = resultRows(job, results);
    ASSERT_EQ(rows.size(), results.size());
    for (std::size_t k = 0; k < rows.size(); ++k) {
      const ResultTexts texts = textsOfResult(job, results[k]);
      const ResultTexts back = rejoined(rows[k], texts);
      const std::string name = "set-up " + std::to_string(job.setupIndex) + ", result " + std::to_string(k + 1);
      EXPECT_EQ(rows[k][kNumberColumn], std::to_string(k + 1)) << name;
      EXPECT_EQ(rows[k][kIndexGearsColumn], texts.gears[0] + " \xC3\x97 " + texts.gears[1] + " / " + texts.gears[2] +
                                                " \xC3\x97 " + texts.gears[3]) << name;
      EXPECT_EQ(rows[k][kFeedGearsColumn], texts.gears[4] + " \xC3\x97 " + texts.gears[5] + " / " + texts.gears[6] +
                                               " \xC3\x97 " + texts.gears[7]) << name;
      for (const auto& [column, text] : {std::pair{back.status, texts.status}, {back.feedError, texts.feedError},
                                         {back.feedLine, texts.feedLine}, {back.leadLine, texts.leadLine}})
        EXPECT_EQ(column, text) << name;
      for (const std::string& cell : rows[k]) EXPECT_FALSE(cell.empty()) << name;
    }
  }
}

TEST(ResultRows, AJobThatCannotBeEvaluatedLeavesOnlyTheGears) {
  JobInputs broken = exampleJobInputs();
  broken.helixAngle = "2x";
  FoundResult r;
  r.i0 = 53, r.i1 = 50, r.i2 = 52, r.i3 = 51, r.f0 = 65, r.f1 = 58, r.f2 = 42, r.f3 = 32;
  const ResultRow row = resultRows(broken, {r}).front();
  EXPECT_EQ(row[kIndexGearsColumn], "51 \xC3\x97 52 / 53 \xC3\x97 50");
  EXPECT_EQ(row[kFeedGearsColumn], "32 \xC3\x97 42 / 65 \xC3\x97 58");
  for (int column = kCConstantColumn; column < kResultColumnCount; ++column) EXPECT_EQ(row[column], "") << column;
}

TEST(ResultRows, CsvQuotesWhatNeedsItAndTabTextFlattensIt) {
  const struct { const char* field; const char* csv; const char* tab; } cases[] = {
      {"0.000000001228433", "0.000000001228433", "0.000000001228433"},
      {"-0.5", "-0.5", "-0.5"},
      {"", "", ""},
      {"a,b", "\"a,b\"", "a,b"},
      {"say \"1\"", "\"say \"\"1\"\"\"", "say \"1\""},
      {"two\r\nlines", "\"two\r\nlines\"", "two  lines"},
      {"tab\there", "tab\there", "tab here"},
  };
  std::string headerCsv, headerTab;
  for (const std::string& h : kResultColumnHeaders) {
    headerCsv += (headerCsv.empty() ? "" : ",") + h;
    headerTab += (headerTab.empty() ? "" : "\t") + h;
  }
  for (const auto& c : cases) {
    ResultRow row;
    row.fill("x");
    row[kFeedErrorColumn] = c.field;
    const std::string before = "x,x,x,x,", after = ",x,x,x,x,x\n";
    EXPECT_EQ(csvText({row}), headerCsv + "\n" + before + c.csv + after) << c.field;
    EXPECT_EQ(tabText({row}), headerTab + "\n" + "x\tx\tx\tx\t" + c.tab + "\tx\tx\tx\tx\tx\n") << c.field;
  }
  EXPECT_EQ(csvText({}), headerCsv + "\n");
}

}  // namespace
}  // namespace hobwise
