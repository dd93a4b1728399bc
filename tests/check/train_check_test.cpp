// Checking a mounted train: found results check to their own texts, the notes on
// trains a run would not find, refused tooth counts, and the sheet of a checked train.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/gear_stock.h"
#include "report/sheet.h"
#include "results/train_check.h"

namespace hobwise {
namespace {

// Gear stocks: so many gears of each tooth count 30 to 80, then some counts changed.
GearStock stockOf(int each, std::initializer_list<std::pair<int, int>> changed = {}) {
  GearStock stock;
  for (int t = 30; t <= 80; ++t) stock.setCount(t, each);
  for (auto [teeth, count] : changed) stock.setCount(teeth, count);
  return stock;
}

// The example job with a left-hand hob, a right-hand gear and the plus sign.
JobInputs leftHandJob() {
  JobInputs in = exampleJobInputs();
  in.setupIndex = 6;
  in.teeth = "47";
  in.helixAngle = "17";
  return in;
}

MountedTeeth teethOfTexts(const std::array<std::string, 8>& texts) {
  MountedTeeth teeth{};
  std::string error;
  for (std::size_t k = 0; k < texts.size(); ++k) {
    const auto t = parseToothCount(texts[k], k, error);
    EXPECT_TRUE(t) << error;
    teeth[k] = t.value_or(0);
  }
  return teeth;
}

void expectSameTexts(const ResultTexts& a, const ResultTexts& b, const std::string& name) {
  EXPECT_EQ(a.gears, b.gears) << name;
  EXPECT_EQ(a.status, b.status) << name;
  EXPECT_EQ(a.indexError, b.indexError) << name;
  EXPECT_EQ(a.feedError, b.feedError) << name;
  EXPECT_EQ(a.feedLine, b.feedLine) << name;
  EXPECT_EQ(a.leadLine, b.leadLine) << name;
}

TEST(TrainCheckTest, EveryFoundResultChecksToItsOwnTextsAndServesTheJob) {
  for (const JobInputs& job : {exampleJobInputs(), leftHandJob()}) {
    SolveOptions options;
    options.processors = 2;
    const SolveReport report = solve(job, GearStock::defaultStock(), options);
    ASSERT_EQ(report.results.size(), 200u);
    for (std::size_t k = 0; k < report.results.size(); ++k) {
      const FoundResult& r = report.results[k];
      const std::string name = "set-up " + std::to_string(job.setupIndex) + ", result " + std::to_string(k + 1);
      const auto evaluation = EvaluateResult(job, r);
      ASSERT_TRUE(evaluation) << name;
      const ResultTexts shown = resultTexts(r, *evaluation);
      const auto check = checkTrain(job, GearStock::defaultStock(), options, teethOfTexts(shown.gears));
      ASSERT_TRUE(check) << name;
      expectSameTexts(check->texts, shown, name);
      // The run accepted it: in stock and within every limit.
      EXPECT_TRUE(check->inStock) << name;
      EXPECT_EQ(check->notes, std::vector<std::string>{}) << name;
    }
  }
}

TEST(TrainCheckTest, GearsOfAPairInEitherPlaceGiveTheSameFigures) {
  const JobInputs job = exampleJobInputs();
  const auto placed = checkTrain(job, stockOf(1), {}, {51, 52, 53, 50, 32, 42, 65, 58});
  const auto swapped = checkTrain(job, stockOf(1), {}, {52, 51, 50, 53, 42, 32, 58, 65});
  ASSERT_TRUE(placed && swapped);
  EXPECT_EQ(swapped->texts.gears[0], "52");  // shown where it is mounted
  ResultTexts texts = swapped->texts;
  texts.gears = placed->texts.gears;
  expectSameTexts(texts, placed->texts, "swapped pairs");
}

// Keys of the notes, each a piece of its text.
constexpr const char* kCap = "above 9999.9999";
constexpr const char* kWhole = "not whole";
constexpr const char* kFinite = "more than 11 decimals";
constexpr const char* kBand = "a run does not consider this index train";
constexpr const char* kWindow = "more than 0.005 from the wanted";
constexpr const char* kFeedError = "feed error is 0.001 or more";
constexpr const char* kNoFeedRate = "feed rate is no number";

TEST(TrainCheckTest, TrainsARunWouldNotFindGetTheirNotes) {
  // Worked out by hand from the index formula (K = 30, T = 1, N = 30 or 40): 51 x 52
  // over 53 x 50 has c = 44.2, which asks for a feed of 0.022281, and the feed train 32
  // x 42 over 65 x 58 gives it within 1.3e-9 of the ratio; the band of ".025" runs from
  // c = 35.17 to 44.76.
  JobInputs job40 = exampleJobInputs();
  job40.teeth = "40";
  job40.setupIndex = 1;
  JobInputs noFeedRate = exampleJobInputs();
  noFeedRate.feedRate = "";
  struct Case {
    const char* name;
    JobInputs job;
    bool wholeOnly, finiteOnly;
    MountedTeeth teeth;
    std::vector<const char*> notes;
  };
  const Case cases[] = {
      {"serves the job", exampleJobInputs(), false, false, {51, 52, 53, 50, 32, 42, 65, 58}, {}},
      {"ratio below 1 with minus sign: no C constant below the cap", exampleJobInputs(), false, false,
       {30, 30, 40, 40, 32, 42, 65, 58}, {kCap, kBand, kFeedError}},
      {"feed train far off", exampleJobInputs(), false, false, {51, 52, 53, 50, 60, 60, 30, 30}, {kWindow, kFeedError}},
      {"feed error of 0.0085", exampleJobInputs(), false, false, {51, 52, 53, 50, 32, 43, 65, 58}, {kFeedError}},
      {"44.2 is not whole", exampleJobInputs(), true, false, {51, 52, 53, 50, 32, 42, 65, 58}, {kWhole}},
      {"44.2 is finite", exampleJobInputs(), false, true, {51, 52, 53, 50, 32, 42, 65, 58}, {}},
      {"c = 1/3 is not finite", job40, false, true, {30, 40, 43, 40, 32, 42, 65, 58}, {kFinite, kBand, kFeedError}},
      {"c = 5 is whole", job40, true, false, {30, 50, 67, 30, 32, 42, 65, 58}, {kBand, kFeedError}},
      {"no feed rate to judge by", noFeedRate, false, false, {51, 52, 53, 50, 32, 42, 65, 58}, {kNoFeedRate}},
  };
  for (const Case& c : cases) {
    SolveOptions options;
    options.wholeOnly = c.wholeOnly;
    options.finiteOnly = c.finiteOnly;
    const auto check = checkTrain(c.job, stockOf(2), options, c.teeth);
    ASSERT_TRUE(check) << c.name;
    EXPECT_TRUE(check->inStock) << c.name;
    ASSERT_EQ(check->notes.size(), c.notes.size()) << c.name << ": " << ::testing::PrintToString(check->notes);
    for (std::size_t k = 0; k < c.notes.size(); ++k)
      EXPECT_NE(check->notes[k].find(c.notes[k]), std::string::npos) << c.name << ": " << check->notes[k];
  }
}

TEST(TrainCheckTest, StockCountsEachUseUnlessDuplicatesGoUnchecked) {
  const MountedTeeth twice = {40, 40, 50, 50, 32, 42, 65, 58};
  struct Case {
    const char* name;
    GearStock stock;
    bool bypass;
    const char* note;  // empty: in stock
  };
  const Case cases[] = {
      {"one of each", stockOf(1), false, "Not in stock: 40 teeth (2 needed, 1 held), 50 teeth (2 needed, 1 held)."},
      {"one of each, duplicates unchecked", stockOf(1), true, ""},
      {"two of each", stockOf(2), false, ""},
      {"no 65, duplicates unchecked", stockOf(2, {{65, 0}}), true, "Not in stock: 65 teeth (1 needed, none held)."},
      {"one 50 of three", stockOf(3, {{50, 1}}), false, "Not in stock: 50 teeth (2 needed, 1 held)."},
  };
  for (const Case& c : cases) {
    SolveOptions options;
    options.bypassDuplicates = c.bypass;
    const auto check = checkTrain(exampleJobInputs(), c.stock, options, twice);
    ASSERT_TRUE(check) << c.name;
    EXPECT_EQ(check->inStock, std::string(c.note).empty()) << c.name;
    EXPECT_EQ(check->shortfalls.empty(), check->inStock) << c.name;
    std::string stockNote;
    for (const std::string& note : check->notes)
      if (note.rfind("Not in stock:", 0) == 0) stockNote = note;
    EXPECT_EQ(stockNote, c.note) << c.name;
  }
}

TEST(TrainCheckTest, ToothCountsOutside16To169OrNotWholeAreRefusedByPlace) {
  const struct {
    const char* text;
    const char* error;  // empty: accepted
  } cases[] = {
      {"51,52,53,50:32,42,65,58", ""},
      {" 16 , 169,053,50:32,42,65,58", ""},
      {"15,52,53,50:32,42,65,58", "index upper left: 15 teeth is outside 16 to 169"},
      {"51,170,53,50:32,42,65,58", "index upper right: 170 teeth is outside 16 to 169"},
      {"51,52,53,50:32,42,65,0000000000058000", "feed lower right: 0000000000058000 teeth is outside 16 to 169"},
      {"51,52,4.5e1,50:32,42,65,58", "index lower left: \"4.5e1\" is not a whole number of teeth"},
      {"51,52,53,-50:32,42,65,58", "index lower right: \"-50\" is not a whole number"},
      {"51,52,53,50:,42,65,58", "feed upper left: no tooth count"},
      {"51,52,53,50:32,x,65,58", "feed upper right: \"x\" is not a whole number"},
      {"51,52,53,50,32,42,65,58", "expects A,B,C,D:E,F,G,H"},
      {"51,52,53:50,32,42,65,58", "expects A,B,C,D:E,F,G,H"},
      {"51,52,53,50:32,42,65,58:1", "expects A,B,C,D:E,F,G,H"},
      {"", "expects A,B,C,D:E,F,G,H"},
  };
  for (const auto& c : cases) {
    std::string error;
    const auto teeth = parseMountedTrain(c.text, error);
    EXPECT_EQ(teeth.has_value(), std::string(c.error).empty()) << c.text << ": " << error;
    if (!teeth) {
      EXPECT_EQ(error.rfind(c.error, 0), 0u) << c.text << ": " << error;
    }
  }
}

TEST(TrainCheckTest, SheetOfACheckedTrainIsTheSheetOfTheSameFoundResult) {
  const JobInputs job = exampleJobInputs();
  const SolveReport report = solve(job, GearStock::defaultStock(), {});
  ASSERT_FALSE(report.results.empty());
  const FoundResult& r = report.results.front();
  const ResultTexts shown = resultTexts(r, *EvaluateResult(job, r));
  const auto check = checkTrain(job, GearStock::defaultStock(), {}, teethOfTexts(shown.gears));
  ASSERT_TRUE(check);
  const auto measure = [](const std::string& text) { return std::pair<int, int>(static_cast<int>(text.size()) * 20, 40); };
  const SheetLayout found = layoutSheet(sheetInputsFor(job, shown), 4800, 6000, measure);
  const SheetLayout checked = layoutSheet(sheetInputsFor(job, check->texts), 4800, 6000, measure);
  ASSERT_EQ(checked.texts.size(), found.texts.size());
  for (std::size_t k = 0; k < found.texts.size(); ++k) {
    EXPECT_EQ(checked.texts[k].text, found.texts[k].text) << k;
    EXPECT_EQ(checked.texts[k].y, found.texts[k].y) << k;
  }
  EXPECT_EQ(found.texts.size(), 28u);  // 24 lines, the 6 derivation lines among them, and 4 gear texts
}

}  // namespace
}  // namespace hobwise
