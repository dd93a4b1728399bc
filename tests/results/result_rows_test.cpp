// Results as table rows: the Main page's texts split into columns, and the rows as
// CSV and as tab-separated text.
#include <gtest/gtest.h>

#include "results/result_rows.h"

namespace hobwise {
namespace {

TEST(ResultRows, ColumnsJoinedWithTheLabelsGiveTheMainPageTexts) {
  JobInputs leftHand = exampleJobInputs(), broken = exampleJobInputs();
  leftHand.setupIndex = 7;
  broken.helixAngle = "2x";  // no job: only the gears can be shown
  const std::vector<FoundResult> results = solve(exampleJobInputs(), GearStock::defaultStock(), {}).results;
  ASSERT_GT(results.size(), 20u);
  for (const JobInputs& job : {exampleJobInputs(), leftHand, broken}) {
    const std::vector<ResultRow> rows = resultRows(job, results);
    for (std::size_t k = 0; k < rows.size(); ++k) {
      const ResultRow& r = rows[k];
      const ResultTexts t = resultTextsForJob(job, results[k]);
      const auto labelled = [](const char* label, const std::string& value) {
        return value.empty() ? value : label + value;
      };
      const std::string x = " \xC3\x97 ";
      EXPECT_EQ(r[kNumberColumn], std::to_string(k + 1));
      EXPECT_EQ(r[kIndexGearsColumn], t.gears[0] + x + t.gears[1] + " / " + t.gears[2] + x + t.gears[3]) << k;
      EXPECT_EQ(r[kFeedGearsColumn], t.gears[4] + x + t.gears[5] + " / " + t.gears[6] + x + t.gears[7]) << k;
      EXPECT_EQ(labelled("C: ", r[kCConstantColumn]), t.status) << k;
      EXPECT_EQ(labelled("Feed Error: ", r[kFeedErrorColumn]), t.feedError) << k;
      if (t.feedLine.empty()) continue;
      EXPECT_EQ("Actual Feed Rate: " + r[kActualFeedColumn] + "   \r\nFeed Rate along Helix Angle: " +
                    r[kHelixFeedColumn], t.feedLine) << k;
      EXPECT_EQ("Theoretical Lead: " + r[kTheoreticalLeadColumn] + " Lead from Gearing: " + r[kGearingLeadColumn] +
                    " (Error: " + r[kLeadErrorColumn] + ")", t.leadLine) << k;
    }
    EXPECT_EQ(rows.back()[kLeadErrorColumn].empty(), job.helixAngle == "2x");
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

}  // namespace
}  // namespace hobwise
