// The public face: the inputs' rules that every front end applies, the words for where
// a search ran dry, and the JSON every front end writes.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "hobwise/fields.h"
#include "hobwise/job.h"
#include "hobwise/json.h"
#include "hobwise/run.h"
#include "hobwise/stock.h"

namespace hobwise {
namespace {

// Typing keys into a number field as the window does: each key by the rule, taken
// over the selection (or at the end), the result cleared when the rule says so.
struct Field {
  std::string text;
  std::size_t from = 0, to = 0;  // selection; equal: the cursor
  int clears = 0;

  void type(char32_t key) {
    const KeyOutcome o = numberFieldKey(text, from, to, key);
    if (!o.accepted) return;
    clears += o.clearsResults;
    if (from == to && key == kBackspaceKey && from > 0) --from;
    if (from == to && key == kDeleteKey && to < text.size()) ++to;
    text.replace(from, to - from, key == kBackspaceKey || key == kDeleteKey ? "" : std::string(1, char(key)));
    from = to = from + (key == kBackspaceKey || key == kDeleteKey ? 0 : 1);
  }
};

TEST(FieldRules, NumberFieldsTakeDigitsAndOnePoint) {
  const struct {
    const char* start;
    std::size_t from, to;
    std::u32string keys;
    const char* after;
    int clears;
  } cases[] = {
      {"", 0, 0, U"1.2.3", "1.23", 4},            // the second point is dropped
      {"12.5", 2, 4, U".", "12.", 0},             // a point over the field's point: no clearing
      {"12.5", 4, 4, U"-a +e\r\t\u00e9", "12.5", 0},  // no sign, letter, blank, Enter, Tab
      {"9", 1, 1, U"0", "90", 1},
      {"1.5", 3, 3, {kBackspaceKey, kBackspaceKey}, "1", 2},
      {"1.5", 0, 0, {kDeleteKey}, ".5", 1},
      {"1.5", 0, 1, U".", "1.5", 0},              // a selection without the point
  };
  for (const auto& c : cases) {
    Field f{c.start, c.from, c.to};
    for (char32_t key : c.keys) f.type(key);
    EXPECT_EQ(f.text, c.after) << c.start;
    EXPECT_EQ(f.clears, c.clears) << c.start;
  }
}

TEST(FieldRules, EachInputHasItsLabelLimitAndRange) {
  const struct { int id; const char* label; std::size_t limit; double low, high; } cases[] = {
      {2001, "Index Const:", 6, 0.5, 1200},   {2002, "Feed Const:", 33, 0, 89.9},
      {2004, "Helix Angle:", 33, 0.0001, 89.9}, {2006, "Normal Diametral Pitch:", 33, 0.35, 360},
      {2007, "Feed Rate:", 10, 0, 0.1},        {3002, "Hob Threads:", 2, 1, 24},
      {2003, "Number of Teeth:", 400, 1, 400}, {2005, "", 8, 0, 7},
      {5000, "16", 1, 0, 7},                   {5153, "169", 1, 0, 7}};
  for (const auto& c : cases) {
    const auto rule = fieldRule(c.id);
    ASSERT_TRUE(rule) << c.id;
    EXPECT_EQ(std::tie(rule->label, rule->limit, rule->low, rule->high),
              std::tie(c.label, c.limit, c.low, c.high)) << c.id;
  }
  EXPECT_FALSE(fieldRule(5154) || fieldRule(2008));
  EXPECT_EQ(mainPageFieldRules().size(), 8u);
  EXPECT_EQ(tabPartnerOf(2004), 2006);
  EXPECT_EQ(tabPartnerOf(2006), 2004);
  EXPECT_EQ(tabPartnerOf(2001), 0);
}

TEST(FieldRules, SolveGoesOnlyWithEveryInputInRange) {
  const SolveInputValues ok{30, 0.0625, 23.5, 8, 0.025, true, false};
  EXPECT_TRUE(solveAllowed(ok));
  SolveInputValues v = ok;
  v.feedRate = solveValueOf(2007, "0.1000000009");  // the feed rate is read from 10 characters
  EXPECT_TRUE(solveAllowed(v));
  v.feedRate = solveValueOf(2007, "");
  EXPECT_TRUE(solveAllowed(v));  // an empty feed rate is 0
  v.indexConstant = solveValueOf(2001, std::string(58, ' ') + "30");  // read from 58 characters: none
  EXPECT_FALSE(solveAllowed(v));
  EXPECT_EQ(solveBlockedText(v), "Index Const: a value from 0.5 to 1200");
  v = ok;
  v.running = true;
  EXPECT_FALSE(solveAllowed(v));
}

TEST(FieldRules, SetupItemsFollowTheHandsAndTheCut) {
  const char* rows[] = {"RH RH Conventional - TC 1 1", "RH RH Climb + TC 1 2", "RH LH Conventional + TC 1 1",
                        "RH LH Climb - TC 1 2",        "LH LH Conventional - TG 2 2", "LH LH Climb + TG 2 1",
                        "LH RH Conventional + TG 2 2", "LH RH Climb - TG 2 1"};
  for (int i = 0; i < 8; ++i) {
    const SetupItem s = *setupItem(i);
    EXPECT_EQ(std::string(s.hob) + " " + std::string(s.gear) + " " + std::string(s.cut) + " " + std::string(s.sign) +
                  " " + std::string(s.work) + " " + std::to_string(s.indexStuds) + " " + std::to_string(s.feedStuds),
              rows[i]);
  }
  EXPECT_FALSE(setupItem(-1) || setupItem(8));
}

TEST(EditMenu, CopyAndPasteFollowTheFieldAndTheClipboard) {
  EXPECT_FALSE(editMenuState("1.5", 1, 1, "", false).copyEnabled);  // copy needs a selection
  EXPECT_TRUE(editMenuState("1.5", 0, 2, "", false).copyEnabled);
  const struct { const char* field; int from, to; const char* clip; bool have, paste; } cases[] = {
      // 3.25 into 1.5: only when the selection covers the field's point.
      {"1.5", 3, 3, "3.25", true, false}, {"1.5", 2, 3, "3.25", true, false},
      {"1.5", 1, 2, "3.25", true, true},  {"1.5", 0, 3, "3.25", true, true},
      // Out of range values never paste; the bounds themselves do.
      {"", 0, 0, "0", true, false},       {"", 0, 0, "1001", true, false},
      {"", 0, 0, "1000", true, true},     {"12", 0, 0, "0.000000001", true, true},
      {"1.2", 0, 0, "0.000000001", true, false},
      // Only digits and one point.
      {"", 0, 0, "1.2.3", true, false},   {"", 0, 0, "-5", true, false}, {"", 0, 0, " 5", true, false},
      {"", 0, 0, "5\n", true, false},     {"", 0, 0, "", true, false},   {"", 0, 0, "5", false, false}};
  for (const auto& k : cases)
    EXPECT_EQ(editMenuState(k.field, k.from, k.to, k.clip, k.have).pasteEnabled, k.paste) << k.field << " " << k.clip;
}

// The line for the empty result area names the first stage that let nothing through.
TEST(Advisor, WhereTheSearchRanDry) {
  GearStock stock;
  stock.setCount(40, 1);
  const struct {
    StageCounts stages;
    bool wholeOnly;
    const char* says;
  } cases[] = {
      {{0, 0, 0, 0, 0, 0}, false, "No index train of the stock falls in the feed band"},
      {{5, 0, 0, 0, 0, 0}, false, "The stock holds too few gears for the 5 index trains in the feed band"},
      {{5, 3, 0, 0, 0, 0}, true, "None of the 3 index trains in the feed band has a whole C constant"},
      {{5, 1, 0, 0, 0, 0}, true, "The 1 index train in the feed band has no whole C constant"},
      {{5, 3, 0, 0, 0, 0}, false, "No C constant of the 3 index trains in the feed band lies below 10000"},
      {{5, 1, 0, 0, 0, 0}, false, "The C constant of the 1 index train in the feed band is not below 10000"},
      {{5, 3, 12, 0, 0, 0}, false, "No feed train for any of the 12 C constants"},
      {{5, 3, 1, 0, 0, 0}, false, "No feed train for the 1 C constant"},
      {{5, 3, 1, 9, 0, 0}, false, "No feed train for the 1 C constant gives a feed within 0.005 of the wanted feed"},
      {{5, 3, 12, 9, 4, 0}, false, "The stock holds too few gears for the 4 feed trains that give the wanted feed"},
      {{5, 3, 12, 9, 1, 0}, false, "The stock holds too few gears for the 1 feed train that gives the wanted feed"},
  };
  for (const auto& c : cases) {
    SolveReport report;
    report.stages = c.stages;
    SolveOptions options;
    options.wholeOnly = c.wholeOnly;
    EXPECT_EQ(whereTheSearchRanDry(report, stock, options), c.says);
  }
  SolveReport report;
  EXPECT_EQ(whereTheSearchRanDry(report, GearStock{}, {}), "No gear in stock: set the counts on the Change-gears page");
  report.stoppedIn = SolveStage::FeedTrains;
  EXPECT_EQ(whereTheSearchRanDry(report, stock, {}), "Stopped before a result was found");
  report.results.resize(1);
  EXPECT_EQ(whereTheSearchRanDry(report, stock, {}), "");
}

// A job a run cannot read names the first field that is not a number and its range.
TEST(Advisor, AJobThatCannotBeSolvedNamesTheField) {
  const struct { std::string JobInputs::*field; const char* text; bool withFeedRate; const char* says; } cases[] = {
      {&JobInputs::feedConstant, "", true, "Feed Const \"\" is not a number (it needs a value from 0 to 89.9)"},
      {&JobInputs::feedRate, "", true, "Feed Rate \"\" is not a number (it needs a value from 0 to 0.1)"},
      {&JobInputs::feedRate, "", false, ""},  // judging a result reads no feed rate
      {&JobInputs::normalPitch, "8..", false,
       "Normal Diametral Pitch \"8..\" is not a number (it needs a value from 0.35 to 360)"},
      {&JobInputs::helixAngle, "23.5", true, ""},
  };
  for (const auto& c : cases) {
    JobInputs job = exampleJob();
    job.*c.field = c.text;
    EXPECT_EQ(unreadableFieldText(job, c.withFeedRate), c.says) << c.text;
  }
  JobInputs job = exampleJob();
  job.indexConstant = job.feedConstant = "";  // the first in the order a run reads them
  SolveReport failed;
  failed.failed = true;
  EXPECT_EQ(whereTheSearchRanDry(job, failed, defaultGearStock(), {}),
            "The job cannot be solved: Index Const \"\" is not a number (it needs a value from 0.5 to 1200)");
  EXPECT_EQ(whyTheRunFailed(exampleJob()), "memory ran out");
}

// JSON texts are escaped as JSON asks, and read as UTF-8: a byte that starts no
// character stands for U+FFFD, a byte order mark in front goes.
TEST(Json, TextsAreEscapedAndReadAsUtf8) {
  const std::string r = "\xEF\xBF\xBD";  // U+FFFD
  const struct { std::string text, json; } cases[] = {
      {"C: 56/1", "\"C: 56/1\""},
      {"a   \r\nb", "\"a   \\r\\nb\""},
      {"\"\\\t\b\f\x01\x1f\x7f", "\"\\\"\\\\\\t\\b\\f\\u0001\\u001f\x7f\""},
      {"\xC2\xB0 \xE2\x80\xA2 \xF0\x9F\x98\x80", "\"\xC2\xB0 \xE2\x80\xA2 \xF0\x9F\x98\x80\""},
      // A stray byte, a cut sequence, a surrogate and an overlong form, byte by byte.
      {"\xFF|\xE2\x80|\xED\xA0\x80|\xC0\xAF", "\"" + r + "|" + r + r + "|" + r + r + r + "|" + r + r + "\""},
      {"\xEF\xBB\xBFx\xEF\xBB\xBF", "\"x\xEF\xBB\xBF\""}};
  for (const auto& c : cases) EXPECT_EQ(jsonString(c.text), c.json);
  EXPECT_EQ(jsonStrings({}), "[]");
  EXPECT_EQ(jsonStrings({"a", "b"}), "[\"a\", \"b\"]");
}

TEST(Json, AReportHasEachResultOnALineOfItsOwn) {
  SolveReport report;
  report.stages = {5, 4, 3, 2, 1, 0};
  report.stoppedIn = SolveStage::FeedTrains;
  EXPECT_EQ(reportJson(exampleJob(), report),
            "{\"count\": 0, \"results\": [], \"stages\": {\"indexTrains\": 5, \"inStock\": 4, \"cConstants\": 3, "
            "\"feedTrains\": 2, \"feedTest\": 1, \"kept\": 0}, \"stopped\": true}\n");
  ResultTexts texts;
  texts.gears = {"20", "56", "73", "23", "20", "100", "127", "36"};
  texts.status = "C: 56/1";
  texts.feedLine = "x   \r\ny";
  EXPECT_EQ(resultJson(texts), "{\"index\": [20, 56, 73, 23], \"feed\": [20, 100, 127, 36], \"c\": \"C: 56/1\", "
                               "\"feedError\": \"\", \"feedLine\": \"x   \\r\\ny\", \"leadLine\": \"\"}");
}

}  // namespace
}  // namespace hobwise
