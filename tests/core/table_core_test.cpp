// The results as table rows (CSV and tab-separated text), and the reasons Solve is
// greyed.
#include <gtest/gtest.h>

#include "model/input_ranges.h"
#include "results/result_rows.h"

namespace hobwise {
namespace {

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
                                                 "|" + t.status + t.indexError + t.feedError + t.feedLine + t.leadLine;
      const std::string joined = r[kIndexGearsColumn] + "|" +
          (t.feedLine.empty() ? "" : "C: " + r[kCConstantColumn] + "Index Error: " + r[kIndexErrorColumn] +
           "Feed Error: " + r[kFeedErrorColumn] +
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
    EXPECT_EQ(csvText({row}), csvHeader + "\nx,x,x,x,x," + c.csv + ",x,x,x,x,x\n") << c.field;
    EXPECT_EQ(tabText({row}), tabHeader + "\nx\tx\tx\tx\tx\t" + c.tab + "\tx\tx\tx\tx\tx\n") << c.field;
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
