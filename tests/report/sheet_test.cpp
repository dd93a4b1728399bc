// The set-up sheet: degrees-minutes-seconds, line texts, derivation lines and places.
#include <gtest/gtest.h>

#include <boost/math/constants/constants.hpp>
#include <map>

#include "model/decfloat.h"
#include "report/sheet.h"
#include "results/results.h"

namespace hobwise {
namespace {

const DecFloat kPi = boost::math::constants::pi<DecFloat>();

TEST(FormatDmsTest, WorkedExamples) {
  EXPECT_EQ(FormatDms(23.5), "23°30'00.0000\"");
  EXPECT_EQ(FormatDms(7.25), "07°15'00.0000\"");
  EXPECT_EQ(FormatDms(0.0001), "00°00'00.3600\"");
  EXPECT_EQ(FormatDms(45.123456), "45°07'24.4416\"");
}

TEST(FormatDmsTest, RoundingCarriesIntoSecondsMinutesAndDegrees) {
  EXPECT_EQ(FormatDms(10.99999999), "11°00'00.0000\"");
  EXPECT_EQ(FormatDms(89.9), "89°54'00.0000\"");
  EXPECT_EQ(FormatDms(0), "00°00'00.0000\"");
}

TEST(FormatDmsTest, NoNumberGivesHarmlessText) {
  EXPECT_FALSE(FormatDms(std::nan("")).empty());
  EXPECT_FALSE(FormatDms(1e300).empty());
}

// A sheet for K = 40, T = 1, N = 30, C = 56/1: the status line, gears and readouts as
// the window holds them.
SheetInputs sheet40(int setup = 0) {
  SheetInputs in;
  in.indexConstant = "40";
  in.feedConstant = "16";
  in.helixAngle = "20";
  in.normalPitch = "8";
  in.teeth = "30";
  in.setupIndex = setup;
  in.hobThreads = "1";
  in.pitchDiameter = "Transverse Pitch Dia.: 2.5";
  in.outsideDiameter = "Outside Dia.: 2.75";
  in.leadLine = "Theoretical Lead: 34.455000000 Lead from Gearing: 34.455000001 (Error: 0.000000001)";
  in.feedLine = "Actual Feed Rate: 0.025000   \r\nFeed Rate along Helix Angle: 0.026604";
  in.status = "C: 56/1";
  in.feedErrorLine = "Feed Error: 0.000012345678901";
  in.gears = {"20", "56", "73", "23", "20", "100", "127", "36"};
  return in;
}

std::array<std::string, 6> derive(const SheetInputs& in) {
  const auto lines = BuildDerivationLines(in);
  EXPECT_TRUE(lines);
  return lines ? *lines : std::array<std::string, 6>{};
}

TEST(DerivationTest, IndexNumeratorLineInBothForms) {
  SheetInputs in = sheet40();
  EXPECT_EQ(derive(in)[0], "(40 x 1 x 56) / 2 = 1120 = 20 x 56");
  in.gears[0] = "40";
  EXPECT_EQ(derive(in)[0], "40 x 1 x 56 = 2240 = 40 x 56");
  in.hobThreads = "3";
  in.gears[0] = "120";
  EXPECT_EQ(derive(in)[0], "40 x 3 x 56 = 6720 = 120 x 56");
}

TEST(DerivationTest, IndexDenominatorLineInBothFormsAndBothSigns) {
  SheetInputs in = sheet40(0);  // minus
  EXPECT_EQ(derive(in)[1], "(30 x 56)  - 1  = 1679 = 73 x 23");
  for (int minus : {3, 4, 7}) {
    in.setupIndex = minus;
    EXPECT_EQ(derive(in)[1], "(30 x 56)  - 1  = 1679 = 73 x 23");
  }
  // Plus, and a denominator q of 2: V = 1682 = 2 x 29 x 29.
  in.setupIndex = 1;
  in.status = "C: 56/2";
  in.gears[2] = "29";
  in.gears[3] = "29";
  EXPECT_EQ(derive(in)[1], "((30 x 56)  + 2) / 2 = 841 = 29 x 29");
  for (int plus : {2, 5, 6, -1}) {
    in.setupIndex = plus;
    EXPECT_EQ(derive(in)[1], "((30 x 56)  + 2) / 2 = 841 = 29 x 29");
  }
}

TEST(DerivationTest, DigitBudgetWorkedExample) {
  // Pitch 8, helix 20, feed constant 16: Fe = 0.0625 (4 decimals); the sine and the
  // circular pitch are capped at 24, and the budget of 49 lowers them to 22 and 23.
  const auto lines = derive(sheet40());
  EXPECT_EQ(lines[2], "0.39269908169872415480783 / (56 x 0.0625 x 0.3420201433256687330441) =");
}

TEST(DerivationTest, FormulaLineWithDenominatorAndShortValues) {
  SheetInputs in = sheet40();
  in.helixAngle = "30";  // sine 0.5 at 32 significant digits: one decimal
  in.status = "C: 112/3";
  in.gears = {"40", "112", "73", "23", "20", "100", "127", "36"};  // q1 = 4480 / 4480 = 1
  in.setupIndex = 1;
  const auto lines = derive(in);
  EXPECT_EQ(lines[2], "(0.392699081698724154807830 x 3) / (112 x 0.0625 x 0.5) =");
}

TEST(DerivationTest, ReciprocalFeedConstantIsCappedAndATypedOneIsNot) {
  SheetInputs in = sheet40();
  in.feedConstant = "3";  // Fe = 1/3: 50 digits, capped at 24, then the budget: 16 each
  EXPECT_EQ(derive(in)[2], "0.3926990816987242 / (56 x 0.3333333333333333 x 0.3420201433256687) =");
  in.feedConstant = "0.3333";
  EXPECT_EQ(derive(in)[2], "0.39269908169872415480783 / (56 x 0.3333 x 0.3420201433256687330441) =");
  // Typed below 1, a long feed constant keeps its full count of 12 decimals; the
  // budget then takes the sine to 18 and the circular pitch to 19.
  in.feedConstant = "0.001220703125";
  EXPECT_EQ(derive(in)[2], "0.3926990816987241548 / (56 x 0.001220703125 x 0.342020143325668733) =");
}

TEST(DerivationTest, FeedConstantWithoutDecimalPointHasNoDecimals) {
  SheetInputs in = sheet40();
  in.feedConstant = "1";  // Fe = 1 writes as "1": a count of -1, taken as 0
  const auto lines = derive(in);
  EXPECT_EQ(lines[2], "0.392699081698724154807830 / (56 x 1 x 0.342020143325668733044100) =");
}

TEST(DerivationTest, ValueAndChosenGearsAndFeedErrorLines) {
  const auto lines = derive(sheet40());
  // Line 26: pn / (Fe x p) / sin(beta) x q, the feed ratio that C = 56 asks for.
  const DecFloat expected = kPi / 8 / (DecFloat("0.0625") * 56) / sin(DecFloat(20) * kPi / 180);
  ASSERT_EQ(lines[3].size(), lines[3].find('.') + 25);
  EXPECT_LT(boost::multiprecision::abs(DecFloat(lines[3]) - expected), DecFloat("1e-24"));
  EXPECT_EQ(lines[4], "0.437445319335083114610674 = (20 x 100) / (127 x 36)");
  EXPECT_EQ(lines[5], "Feed Error: 0.000012345678901");
}

TEST(DerivationTest, NoLinesForAFractionalIndexConstant) {
  SheetInputs in = sheet40();
  in.indexConstant = "24.5";
  EXPECT_FALSE(BuildDerivationLines(in));
  in.indexConstant = "24.0";  // whole, though written with a point
  EXPECT_TRUE(BuildDerivationLines(in));
  in.indexConstant = "";
  EXPECT_FALSE(BuildDerivationLines(in));
}

TEST(DerivationTest, NoLinesWithoutAnHonestDerivation) {
  SheetInputs in = sheet40();
  in.status = "";  // no fraction on display
  EXPECT_FALSE(BuildDerivationLines(in));
  in.status = "C: 56";  // no denominator
  EXPECT_FALSE(BuildDerivationLines(in));

  in = sheet40();
  in.gears[0] = "169";
  in.gears[1] = "169";  // product above P = 2240: q1 = 0
  EXPECT_FALSE(BuildDerivationLines(in));

  in = sheet40();
  in.teeth = "1";  // V = 56 - 1 = 55, below 73 x 23: q2 = 0
  EXPECT_FALSE(BuildDerivationLines(in));

  in = sheet40();
  in.gears[3] = "";  // a gear of no teeth
  EXPECT_FALSE(BuildDerivationLines(in));
  in = sheet40();
  in.gears[7] = "0";
  EXPECT_FALSE(BuildDerivationLines(in));
}

TEST(DerivationTest, NumbersBeyondThirtyTwoBitsAreWrittenInFull) {
  SheetInputs in = sheet40(1);
  in.indexConstant = "1200";
  in.hobThreads = "24";
  in.teeth = "400";
  in.status = "C: 9999999/3";
  in.gears = {"100", "120", "125", "160", "20", "100", "127", "36"};
  const auto lines = derive(in);
  EXPECT_EQ(lines[0], "(1200 x 24 x 9999999) / 23999997 = 12000 = 100 x 120");
  EXPECT_EQ(lines[1], "((400 x 9999999)  + 3) / 199999 = 20000 = 125 x 160");
}

// --- The page --------------------------------------------------------------------

constexpr int kWidth = 4800;
constexpr int kHeight = 6300;
constexpr int kCharWidth = 11;

std::pair<int, int> fakeMeasure(const std::string& text) {
  return {static_cast<int>(text.size()) * kCharWidth, kHeight / 51};
}

// Texts at the left margin by line number.
std::map<int, std::string> linesOf(const SheetLayout& layout) {
  const int unit = kHeight / 36;
  std::map<int, std::string> lines;
  for (const SheetText& t : layout.texts) {
    if (t.x == static_cast<int>(kWidth * 0.02) && static_cast<int>(t.y) % unit == 0) {
      lines[static_cast<int>(t.y) / unit] = t.text;
    }
  }
  return lines;
}

TEST(SheetLayoutTest, LineTextsOfAWholeIndexConstant) {
  SheetInputs in = sheet40(2);
  in.normalPitch = "10";
  in.hobThreads = "2";
  const auto lines = linesOf(layoutSheet(in, kWidth, kHeight, fakeMeasure));
  EXPECT_EQ(lines.at(1), "HELICAL GEAR WITH DIFFERENTIAL LOCKED OUT OR NOT PRESENT");
  EXPECT_EQ(lines.at(3), "Index Constant: 40");
  EXPECT_EQ(lines.at(4), "Feed Constant: 16");
  EXPECT_EQ(lines.at(5), "Helix Angle: 20°  (dms: 20°00'00.0000\")");
  EXPECT_EQ(lines.at(6), "Normal Diametral Pitch: 10  (Module: 2.540000)");
  EXPECT_EQ(lines.at(7), "Number of Teeth: 30");
  EXPECT_EQ(lines.at(8), "Transverse Pitch Dia.: 2.5  (63.500mm)");
  EXPECT_EQ(lines.at(9), "Outside Dia.: 2.75  (69.850mm)");
  EXPECT_EQ(lines.at(10), in.leadLine);
  // The bullet replaces the middle blank; the line break is left out of the drawn line.
  EXPECT_EQ(lines.at(11), "Actual Feed Rate: 0.025000 • Feed Rate along Helix Angle: 0.026604");
  EXPECT_EQ(lines.at(12), "Using: Right-Handed Hob to cut: Left-Handed Gear");
  EXPECT_EQ(lines.at(13), "Type of Cut: Conventional");
  EXPECT_EQ(lines.at(14), "Sign: Plus");
  EXPECT_EQ(lines.at(15), "Direction of Cut: Top Coming");
  EXPECT_EQ(lines.at(16), "Intermediate studs: Index: 1; Feed: 1");
  EXPECT_EQ(lines.at(17), "Hob Threads: 2");
  EXPECT_EQ(lines.at(19), "(40 x 2 x 56) / 4 = 1120 = 20 x 56");
  EXPECT_EQ(lines.at(20), "(30 x 56)  + 1  = 1681 = 73 x 23");  // 1681 / 73 / 23 truncates to 1
  EXPECT_EQ(lines.at(22), "Index Change-Gears:");
  EXPECT_EQ(lines.at(25).rfind("0.31415926535897932384626 / (56 x 0.0625 x ", 0), 0u);  // pi / 10
  EXPECT_EQ(lines.at(27), "0.437445319335083114610674 = (20 x 100) / (127 x 36)");
  EXPECT_EQ(lines.at(28), "Feed Error: 0.000012345678901");
  EXPECT_EQ(lines.at(30), "Feed Change-Gears:");
  for (int empty : {2, 18, 21, 23, 24, 29}) EXPECT_EQ(lines.count(empty), 0u) << empty;
}

TEST(SheetLayoutTest, SetUpBlocksOfEveryItem) {
  const char* signs[8] = {"Sign: Minus", "Sign: Plus", "Sign: Plus", "Sign: Minus",
                          "Sign: Minus", "Sign: Plus", "Sign: Plus", "Sign: Minus"};
  for (int item = 0; item < 8; ++item) {
    const auto lines = linesOf(layoutSheet(sheet40(item), kWidth, kHeight, fakeMeasure));
    EXPECT_EQ(lines.at(14), signs[item]) << item;
    EXPECT_EQ(lines.at(13), item % 2 == 0 ? "Type of Cut: Conventional" : "Type of Cut: Climb") << item;
    EXPECT_EQ(lines.at(15), item < 4 ? "Direction of Cut: Top Coming" : "Direction of Cut: Top Going") << item;
    EXPECT_EQ(lines.at(16).rfind(item == 2 ? "Intermediate studs: " : "Intermediate Studs: ", 0), 0u) << item;
  }
  EXPECT_EQ(linesOf(layoutSheet(sheet40(4), kWidth, kHeight, fakeMeasure)).at(12),
            "Using: Left-Handed Hob to cut: Left-Handed Gear");
  EXPECT_EQ(linesOf(layoutSheet(sheet40(7), kWidth, kHeight, fakeMeasure)).at(16),
            "Intermediate Studs: Index: 2; Feed: 1");
  for (int none : {-1, 8}) {
    const auto lines = linesOf(layoutSheet(sheet40(none), kWidth, kHeight, fakeMeasure));
    for (int k = 12; k <= 16; ++k) EXPECT_EQ(lines.count(k), 0u) << none << " " << k;
    EXPECT_EQ(lines.at(17), "Hob Threads: 1");
  }
}

TEST(SheetLayoutTest, FractionalIndexConstantLeavesTheDerivationLinesEmpty) {
  SheetInputs in = sheet40();
  in.indexConstant = "24.5";
  const auto lines = linesOf(layoutSheet(in, kWidth, kHeight, fakeMeasure));
  for (int k : {19, 20, 25, 26, 27, 28}) EXPECT_EQ(lines.count(k), 0u) << k;
  EXPECT_EQ(lines.at(22), "Index Change-Gears:");
  EXPECT_EQ(lines.at(30), "Feed Change-Gears:");
  EXPECT_EQ(lines.at(3), "Index Constant: 24.5");
}

TEST(SheetLayoutTest, NoFractionOnDisplayPrintsWithoutDerivation) {
  SheetInputs in = sheet40();
  in.status = "";
  const SheetLayout layout = layoutSheet(in, kWidth, kHeight, fakeMeasure);
  const auto lines = linesOf(layout);
  for (int k : {19, 20, 25, 26, 27, 28}) EXPECT_EQ(lines.count(k), 0u) << k;
  EXPECT_EQ(layout.bars.size(), 4u);
}

TEST(SheetLayoutTest, PlacesOfLinesAndFractionBlocks) {
  SheetInputs in = sheet40();
  in.gears = {"20", "100", "127", "36", "25", "80", "60", "5"};
  const SheetLayout layout = layoutSheet(in, kWidth, kHeight, fakeMeasure);
  EXPECT_EQ(layout.fontHeight, kHeight / 51);
  const int unit = kHeight / 36;
  const double xc = kWidth * 0.36;

  // Every text lies inside the printable area; no text carries a control character.
  for (const SheetText& t : layout.texts) {
    EXPECT_GE(t.x, 0);
    EXPECT_GE(t.y, 0);
    EXPECT_LE(t.y + layout.fontHeight, kHeight);
    for (char ch : t.text) EXPECT_GE(static_cast<unsigned char>(ch), 0x20) << t.text;
  }

  const auto textAt = [&](const std::string& text) -> const SheetText* {
    for (const SheetText& t : layout.texts)
      if (t.text == text) return &t;
    return nullptr;
  };
  struct Block {
    std::string numerator, denominator;
    double yn, yd;
    std::size_t firstBar;
  } blocks[] = {{"20 x 100", "127 x 36", 21.7, 22.45, 0}, {"25 x 80", "60 x 5", 29.7, 30.45, 2}};
  ASSERT_EQ(layout.bars.size(), 4u);
  for (const Block& b : blocks) {
    const SheetText* num = textAt(b.numerator);
    const SheetText* den = textAt(b.denominator);
    ASSERT_TRUE(num && den) << b.numerator;
    const int w = static_cast<int>(b.numerator.size()) * kCharWidth;
    const int w2 = static_cast<int>(b.denominator.size()) * kCharWidth;
    EXPECT_EQ(num->x, static_cast<int>(xc - w / 2));
    EXPECT_EQ(num->y, static_cast<int>(b.yn * unit));
    EXPECT_EQ(den->x, static_cast<int>(xc - w2 / 2));
    EXPECT_EQ(den->y, static_cast<int>(b.yd * unit));
    // Both bars just below the numerator, spanning their texts, centred on xc.
    const SheetBar& top = layout.bars[b.firstBar];
    const SheetBar& bottom = layout.bars[b.firstBar + 1];
    const int barY = static_cast<int>(b.yn * unit + kHeight / 51);
    for (const SheetBar* bar : {&top, &bottom}) {
      EXPECT_EQ(bar->y1, barY);
      EXPECT_EQ(bar->y2, barY);
      EXPECT_NEAR((bar->x1 + bar->x2) / 2, xc, 1.0);
      EXPECT_GT(bar->y1, num->y);
      EXPECT_LE(bar->y1, den->y);  // above the denominator's top
    }
    EXPECT_EQ(top.x2 - top.x1, w);
    EXPECT_EQ(bottom.x2 - bottom.x1, w2);
  }
  // Line k starts at k L on the left margin.
  const SheetText* heading = textAt("HELICAL GEAR WITH DIFFERENTIAL LOCKED OUT OR NOT PRESENT");
  ASSERT_TRUE(heading);
  EXPECT_EQ(heading->x, static_cast<int>(kWidth * 0.02));
  EXPECT_EQ(heading->y, unit);
}

TEST(SheetLayoutTest, ShortFeedLineAndEmptyReadoutsPrintUnchanged) {
  SheetInputs in = sheet40();
  in.feedLine = "Actual Feed Rate: 0.025";  // fewer than 28 characters
  in.pitchDiameter = "";
  in.outsideDiameter = "";
  in.teeth = "";
  const auto lines = linesOf(layoutSheet(in, kWidth, kHeight, fakeMeasure));
  EXPECT_EQ(lines.at(11), "Actual Feed Rate: 0.025");
  EXPECT_EQ(lines.at(8), "  (0.000mm)");
  EXPECT_EQ(lines.at(9), "  (0.000mm)");
  EXPECT_EQ(lines.at(7), "Number of Teeth: 0");
}

TEST(SheetLayoutTest, ResultTextsOfAnEvaluatedResultFitTheSheet) {
  // The texts that the window writes for a real evaluation make the lines of the sheet.
  JobInputs job;
  job.indexConstant = "30";
  job.feedConstant = "0.0625";
  job.helixAngle = "23.5";
  job.normalPitch = "8";
  job.teeth = "40";
  job.setupIndex = 1;
  FoundResult r;
  r.i2 = 50, r.i3 = 30, r.i0 = 67, r.i1 = 30, r.f2 = 40, r.f3 = 30, r.f0 = 50, r.f1 = 45;
  const auto ev = EvaluateResult(job, r);
  ASSERT_TRUE(ev);
  const ResultTexts texts = resultTexts(r, *ev);
  SheetInputs in;
  in.indexConstant = job.indexConstant;
  in.feedConstant = job.feedConstant;
  in.helixAngle = job.helixAngle;
  in.normalPitch = job.normalPitch;
  in.teeth = job.teeth;
  in.setupIndex = 1;
  in.hobThreads = "1";
  const GeometryReadouts readouts = geometryReadouts(job.teeth, job.normalPitch, job.helixAngle);
  in.pitchDiameter = readouts.pitchDiameter;
  in.outsideDiameter = readouts.outsideDiameter;
  in.leadLine = texts.leadLine;
  in.feedLine = texts.feedLine;
  in.status = texts.status;
  in.feedErrorLine = texts.feedError;
  in.gears = texts.gears;
  const auto lines = linesOf(layoutSheet(in, kWidth, kHeight, fakeMeasure));
  // C = 50/10: 30 x 1 x 50 = 1500 = 30 x 50; (40 x 50) + 10 = 2010 = 67 x 30.
  EXPECT_EQ(lines.at(19), "30 x 1 x 50 = 1500 = 30 x 50");
  EXPECT_EQ(lines.at(20), "(40 x 50)  + 10  = 2010 = 67 x 30");
  EXPECT_EQ(lines.at(25).rfind("(0.", 0), 0u);
  EXPECT_NE(lines.at(25).find(" x 10) / (50 x 0.0625 x 0."), std::string::npos);
  EXPECT_EQ(lines.at(28), texts.feedError);
  EXPECT_NE(lines.at(11).find(" • Feed Rate along Helix Angle: "), std::string::npos);
  EXPECT_EQ(lines.at(8).rfind("Transverse Pitch Dia.: ", 0), 0u);
}

}  // namespace
}  // namespace hobwise
