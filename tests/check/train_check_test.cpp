// Checking a mounted train: found results check to their own texts, the notes on
// trains a run would not find, refused tooth counts, and the sheet of a checked train.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/gear_stock.h"
#include "report/sheet.h"
#include "report/sheet_inputs.h"
#include "results/train_check.h"

namespace hobwise {
namespace {

// So many gears of each tooth count 30 to 80, then some counts changed.
GearStock stockOf(int each, std::initializer_list<std::pair<int, int>> changed = {}) {
  GearStock stock;
  for (int t = 30; t <= 80; ++t) stock.setCount(t, each);
  for (auto [teeth, count] : changed) stock.setCount(teeth, count);
  return stock;
}

// The result lines after the gears, as the display shows them.
std::vector<std::string> linesOf(const ResultTexts& t) { return {t.status, t.indexError, t.feedError, t.feedLine, t.leadLine}; }

// The train as the window's gear fields show it, checked.
std::optional<TrainCheck> checkOfTexts(const JobInputs& job, const std::array<std::string, 8>& gears) {
  std::string text, error;
  for (std::size_t k = 0; k < gears.size(); ++k) text += gears[k] + (k == 3 ? ":" : ",");
  const auto teeth = parseMountedTrain(text.substr(0, text.size() - 1), error);
  EXPECT_TRUE(teeth) << error;
  return teeth ? checkTrain(job, GearStock::defaultStock(), {}, *teeth) : std::nullopt;
}

TEST(TrainCheckTest, EveryFoundResultChecksToItsOwnTextsAndServesTheJob) {
  JobInputs leftHand = exampleJobInputs();  // left-hand hob, right-hand gear: the plus sign
  leftHand.setupIndex = 6, leftHand.teeth = "47", leftHand.helixAngle = "17";
  for (const JobInputs& job : {exampleJobInputs(), leftHand}) {
    const SolveReport report = solve(job, GearStock::defaultStock(), {});
    ASSERT_EQ(report.results.size(), 200u);
    for (std::size_t k = 0; k < report.results.size(); ++k) {
      const std::string name = "set-up " + std::to_string(job.setupIndex) + ", result " + std::to_string(k + 1);
      const ResultTexts shown = resultTexts(report.results[k], *EvaluateResult(job, report.results[k]));
      const auto check = checkOfTexts(job, shown.gears);
      ASSERT_TRUE(check) << name;
      EXPECT_EQ(check->texts.gears, shown.gears) << name;
      EXPECT_EQ(linesOf(check->texts), linesOf(shown)) << name;
      // The run accepted it: in stock and within every limit.
      EXPECT_TRUE(check->inStock && check->notes.empty()) << name << ": " << ::testing::PrintToString(check->notes);
    }
  }
}

// Keys of the notes, each a piece of its text.
constexpr const char* kCap = "above 9999.9999";
constexpr const char* kWhole = "not whole";
constexpr const char* kFinite = "more than 11 decimals";
constexpr const char* kBand = "a run does not consider this index train";
constexpr const char* kWindow = "more than 0.005 from the wanted";
constexpr const char* kFeedError = "feed error is 0.001 or more";
constexpr const char* kNoFeedRate = "feed rate is not a number";

TEST(TrainCheckTest, TrainsARunWouldNotFindGetTheirNotes) {
  // Worked out by hand from the index formula: on the example job (K = 30, T = 1,
  // N = 30, minus sign) 51 x 52 over 53 x 50 has c = 44.2, which asks for a feed of
  // 0.022281, and 32 x 42 over 65 x 58 gives that within 1.3e-9 of the ratio; the band
  // of ".025" runs from c = 35.17 to 44.76. With N = 40 and the plus sign, 30 x 40 over
  // 43 x 40 has c = 1/3 and 30 x 50 over 67 x 30 has c = 5.
  JobInputs job40 = exampleJobInputs(), noFeedRate = exampleJobInputs();
  job40.teeth = "40", job40.setupIndex = 1, noFeedRate.feedRate = "";
  const struct {
    const char* name;
    JobInputs job;
    bool wholeOnly, finiteOnly;
    MountedTeeth teeth;
    std::vector<const char*> notes;
  } cases[] = {
      {"serves the job", exampleJobInputs(), false, false, {51, 52, 53, 50, 32, 42, 65, 58}, {}},
      {"pairs swapped: the same train", exampleJobInputs(), false, false, {52, 51, 50, 53, 42, 32, 58, 65}, {}},
      {"ratio below 1 with the minus sign: no C constant below the cap", exampleJobInputs(), false, false,
       {30, 30, 40, 40, 32, 42, 65, 58}, {kCap, kBand, kFeedError}},
      {"feed train far off", exampleJobInputs(), false, false, {51, 52, 53, 50, 60, 60, 30, 30}, {kWindow, kFeedError}},
      {"feed error of 0.0085", exampleJobInputs(), false, false, {51, 52, 53, 50, 32, 43, 65, 58}, {kFeedError}},
      {"44.2 is not whole", exampleJobInputs(), true, false, {51, 52, 53, 50, 32, 42, 65, 58}, {kWhole}},
      {"44.2 is finite", exampleJobInputs(), false, true, {51, 52, 53, 50, 32, 42, 65, 58}, {}},
      {"1/3 is not finite", job40, false, true, {30, 40, 43, 40, 32, 42, 65, 58}, {kFinite, kBand, kFeedError}},
      {"5 is whole", job40, true, false, {30, 50, 67, 30, 32, 42, 65, 58}, {kBand, kFeedError}},
      {"no feed rate to judge by", noFeedRate, false, false, {51, 52, 53, 50, 32, 42, 65, 58}, {kNoFeedRate}},
  };
  const auto reference = checkTrain(exampleJobInputs(), stockOf(2), {}, cases[0].teeth);
  for (const auto& c : cases) {
    SolveOptions options;
    options.wholeOnly = c.wholeOnly, options.finiteOnly = c.finiteOnly;
    const auto check = checkTrain(c.job, stockOf(2), options, c.teeth);
    ASSERT_TRUE(check && check->inStock) << c.name;
    ASSERT_EQ(check->notes.size(), c.notes.size()) << c.name << ": " << ::testing::PrintToString(check->notes);
    for (std::size_t k = 0; k < c.notes.size(); ++k)
      EXPECT_NE(check->notes[k].find(c.notes[k]), std::string::npos) << c.name << ": " << check->notes[k];
  }
  // Swapped gears are shown where they are mounted, with the same figures.
  const auto swapped = checkTrain(exampleJobInputs(), stockOf(2), {}, cases[1].teeth);
  EXPECT_EQ(swapped->texts.gears[0], "52");
  EXPECT_EQ(linesOf(swapped->texts), linesOf(reference->texts));
}

TEST(TrainCheckTest, StockCountsEachUseUnlessDuplicatesGoUnchecked) {
  const struct {
    GearStock stock;
    bool bypass;
    const char* note;  // empty: in stock
  } cases[] = {
      {stockOf(1), false, "Not in stock: 40 teeth (2 needed, 1 held), 50 teeth (2 needed, 1 held)."},
      {stockOf(1), true, ""},
      {stockOf(2), false, ""},
      {stockOf(2, {{65, 0}}), true, "Not in stock: 65 teeth (1 needed, none held)."},
      {stockOf(3, {{50, 1}}), false, "Not in stock: 50 teeth (2 needed, 1 held)."},
  };
  for (const auto& c : cases) {
    SolveOptions options;
    options.bypassDuplicates = c.bypass;
    const auto check = checkTrain(exampleJobInputs(), c.stock, options, {40, 40, 50, 50, 32, 42, 65, 58});
    ASSERT_TRUE(check) << c.note;
    EXPECT_EQ(check->inStock, std::string(c.note).empty()) << c.note;
    EXPECT_EQ(check->shortfalls.empty(), check->inStock) << c.note;
    const bool noted = !check->notes.empty() && check->notes[0].rfind("Not in stock:", 0) == 0;
    EXPECT_EQ(noted ? check->notes[0] : "", c.note);
  }
}

TEST(TrainCheckTest, ToothCountsOutside16To169OrNotWholeAreRefusedByPlace) {
  const std::pair<const char*, const char*> cases[] = {  // text, error (empty: accepted)
      {"51,52,53,50:32,42,65,58", ""},
      {" 16 , 169,053,50:32,42,65,58", ""},
      {"15,52,53,50:32,42,65,58", "index upper left: 15 teeth is outside 16 to 169"},
      {"51,170,53,50:32,42,65,58", "index upper right: 170 teeth is outside 16 to 169"},
      {"51,52,53,50:32,42,65,0000000000058000", "feed lower right: 0000000000058000 teeth is outside 16 to 169"},
      {"51,52,4.5e1,50:32,42,65,58", "index lower left: \"4.5e1\" is not a whole number of teeth"},
      {"51,52,53,-50:32,42,65,58", "index lower right: \"-50\" is not a whole number"},
      {"51,52,53,50:,42,65,58", "feed upper left: no tooth count"},
      {"51,52,53,50,32,42,65,58", "expects A,B,C,D:E,F,G,H"},
      {"51,52,53,50:32,42,65,58:1", "expects A,B,C,D:E,F,G,H"},
  };
  for (const auto& [text, expected] : cases) {
    std::string error;
    EXPECT_EQ(parseMountedTrain(text, error).has_value(), std::string(expected).empty()) << text << ": " << error;
    EXPECT_EQ(error.rfind(expected, 0), 0u) << text << ": " << error;
  }
}

TEST(TrainCheckTest, SheetOfACheckedTrainIsTheSheetOfTheSameFoundResult) {
  const JobInputs job = exampleJobInputs();
  const FoundResult r = solve(job, GearStock::defaultStock(), {}).results.at(0);
  const ResultTexts shown = resultTexts(r, *EvaluateResult(job, r));
  const auto measure = [](const std::string& text) { return std::pair<int, int>(static_cast<int>(text.size()) * 20, 40); };
  const auto lines = [&](const ResultTexts& texts) {
    std::vector<std::pair<double, std::string>> out;
    for (const SheetText& t : layoutSheet(sheetInputsFor(job, texts), 4800, 6000, measure).texts) out.emplace_back(t.y, t.text);
    return out;
  };
  EXPECT_EQ(lines(checkOfTexts(job, shown.gears)->texts), lines(shown));
  EXPECT_EQ(lines(shown).size(), 28u);  // 24 lines, the 6 derivation lines among them, and 4 gear texts
}

}  // namespace
}  // namespace hobwise
