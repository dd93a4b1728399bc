// The set-up sheet: degrees-minutes-seconds, line texts, derivation lines and places.
#include <gtest/gtest.h>

#include <boost/math/constants/constants.hpp>
#include <functional>
#include <map>
#include <tuple>

#include "model/decfloat.h"
#include "report/sheet.h"
#include "report/sheet_notes.h"
#include "sheet_sample.h"

namespace hobwise {
namespace {

const DecFloat kPi = boost::math::constants::pi<DecFloat>();

TEST(Sheet, DegreesMinutesSecondsWithCarries) {
  const struct { double degrees; const char* text; } cases[] = {
      {23.5, "23°30'00.0000\""},  {7.25, "07°15'00.0000\""},        {0.0001, "00°00'00.3600\""},
      {45.123456, "45°07'24.4416\""}, {10.99999999, "11°00'00.0000\""}, {89.9, "89°54'00.0000\""},
      {0, "00°00'00.0000\""}};
  for (const auto& c : cases) EXPECT_EQ(FormatDms(c.degrees), c.text) << c.degrees;
  EXPECT_FALSE(FormatDms(std::nan("")).empty());
  EXPECT_FALSE(FormatDms(1e300).empty());
}

using testing::sheet40;

// --- The page --------------------------------------------------------------------

constexpr int kWidth = 4800, kHeight = 6300, kCharWidth = 11;

std::pair<int, int> fakeMeasure(const std::string& text) { return {static_cast<int>(text.size()) * kCharWidth, kHeight / 51}; }

// Texts at the left margin by line number.
std::map<int, std::string> linesOf(const SheetLayout& layout) {
  std::map<int, std::string> lines;
  for (const SheetText& t : layout.texts)
    if (t.x == static_cast<int>(kWidth * 0.02) && static_cast<int>(t.y) % (kHeight / 36) == 0) lines[static_cast<int>(t.y) / (kHeight / 36)] = t.text;
  return lines;
}

TEST(Sheet, DerivationLines) {
  const auto gears = [](SheetInputs& in, std::array<std::string, 8> g) { in.gears = g; };
  const auto beyond32Bits = [&](SheetInputs& in) {
    in.indexConstant = "1200", in.hobThreads = "24", in.setupIndex = 1, in.teeth = "400", in.status = "C: 9999999/3";
    gears(in, {"100", "120", "125", "160", "20", "100", "127", "36"});
  };
  const struct { const char* what; std::function<void(SheetInputs&)> change; std::size_t line; const char* expected; } cases[] = {
      {"numerator over q1", [](SheetInputs&) {}, 0, "(40 x 1 x 56) / 2 = 1120 = 20 x 56"},
      {"numerator, q1 = 1", [](SheetInputs& in) { in.gears[0] = "40"; }, 0, "40 x 1 x 56 = 2240 = 40 x 56"},
      {"three threads", [](SheetInputs& in) { in.hobThreads = "3"; in.gears[0] = "120"; }, 0,
       "40 x 3 x 56 = 6720 = 120 x 56"},
      {"denominator, minus", [](SheetInputs&) {}, 1, "(30 x 56)  - 1  = 1679 = 73 x 23"},
      {"denominator, plus, q = 2",
       [](SheetInputs& in) { in.setupIndex = 1; in.status = "C: 56/2"; in.gears[2] = in.gears[3] = "29"; }, 1,
       "((30 x 56)  + 2) / 2 = 841 = 29 x 29"},
      {"beyond 32 bits, numerator", beyond32Bits, 0, "(1200 x 24 x 9999999) / 23999997 = 12000 = 100 x 120"},
      {"beyond 32 bits, denominator", beyond32Bits, 1, "((400 x 9999999)  + 3) / 199999 = 20000 = 125 x 160"},
      // Fe = 0.0625; sine and circular pitch capped at 24 decimals, the budget of 49
      // lowers them to 22 and 23.
      {"digit budget", [](SheetInputs&) {}, 2,
       "0.39269908169872415480783 / (56 x 0.0625 x 0.3420201433256687330441) ="},
      {"denominator and a short sine",
       [&](SheetInputs& in) { in.helixAngle = "30"; in.status = "C: 112/3"; in.setupIndex = 1;
                              gears(in, {"40", "112", "73", "23", "20", "100", "127", "36"}); }, 2,
       "(0.392699081698724154807830 x 3) / (112 x 0.0625 x 0.5) ="},
      {"reciprocal feed constant capped", [](SheetInputs& in) { in.feedConstant = "3"; }, 2,
       "0.3926990816987242 / (56 x 0.3333333333333333 x 0.3420201433256687) ="},
      {"typed feed constant", [](SheetInputs& in) { in.feedConstant = "0.3333"; }, 2,
       "0.39269908169872415480783 / (56 x 0.3333 x 0.3420201433256687330441) ="},
      {"long typed feed constant", [](SheetInputs& in) { in.feedConstant = "0.001220703125"; }, 2,
       "0.3926990816987241548 / (56 x 0.001220703125 x 0.342020143325668733) ="},
      {"feed constant 1 has no decimals", [](SheetInputs& in) { in.feedConstant = "1"; }, 2,
       "0.392699081698724154807830 / (56 x 1 x 0.342020143325668733044100) ="},
      {"chosen gears", [](SheetInputs&) {}, 4, "0.437445319335083114610674 = (20 x 100) / (127 x 36)"},
      {"feed error", [](SheetInputs&) {}, 5, "Feed Error: 0.000012345678901"},
      {"index constant 24.0 is whole", [](SheetInputs& in) { in.indexConstant = "24.0"; }, 5,
       "Feed Error: 0.000012345678901"},
  };
  for (const auto& c : cases) {
    SheetInputs in = sheet40();
    c.change(in);
    const auto lines = BuildDerivationLines(in);
    ASSERT_TRUE(lines) << c.what;
    EXPECT_EQ((*lines)[c.line], c.expected) << c.what;
  }
  // Line 26: pn / (Fe x p) / sin(beta) x q to 24 decimals, the feed ratio C = 56 asks for.
  const std::string value = (*BuildDerivationLines(sheet40()))[3];
  EXPECT_EQ(value.size(), value.find('.') + 25);
  const DecFloat expected = kPi / 8 / (DecFloat("0.0625") * 56) / sin(DecFloat(20) * kPi / 180);
  EXPECT_LT(boost::multiprecision::abs(DecFloat(value) - expected), DecFloat("1e-24"));
  for (int setup : {3, 4, 7, 2, 5, 6, -1}) {
    SheetInputs in = sheet40(setup);
    const bool minus = setup == 3 || setup == 4 || setup == 7;
    EXPECT_EQ((*BuildDerivationLines(in))[1], minus ? "(30 x 56)  - 1  = 1679 = 73 x 23" : "(30 x 56)  + 1  = 1681 = 73 x 23") << setup;
  }
}

TEST(Sheet, NoDerivationWithoutAnHonestOne) {
  const struct { const char* what; std::function<void(SheetInputs&)> change; } cases[] = {
      {"fractional index constant", [](SheetInputs& in) { in.indexConstant = "24.5"; }},
      {"no index constant", [](SheetInputs& in) { in.indexConstant = ""; }},
      {"no fraction on display", [](SheetInputs& in) { in.status = ""; }},
      {"no denominator", [](SheetInputs& in) { in.status = "C: 56"; }},
      {"gears above P: q1 = 0", [](SheetInputs& in) { in.gears[0] = in.gears[1] = "169"; }},
      {"V below the gears: q2 = 0", [](SheetInputs& in) { in.teeth = "1"; }},
      {"index gear of no teeth", [](SheetInputs& in) { in.gears[3] = ""; }},
      {"feed gear of no teeth", [](SheetInputs& in) { in.gears[7] = "0"; }},
  };
  for (const auto& c : cases) {
    SheetInputs in = sheet40();
    c.change(in);
    EXPECT_FALSE(BuildDerivationLines(in)) << c.what;
    const auto lines = linesOf(layoutSheet(in, kWidth, kHeight, fakeMeasure));
    for (int k : {19, 20, 25, 26, 27, 28}) EXPECT_EQ(lines.count(k), 0u) << c.what << " " << k;
    EXPECT_EQ(lines.at(22), "Index Change-Gears:") << c.what;
    EXPECT_EQ(lines.at(30), "Feed Change-Gears:") << c.what;
  }
}

TEST(Sheet, LineTexts) {
  SheetInputs in = sheet40(2);
  in.normalPitch = "10";
  in.hobThreads = "2";
  const std::map<int, std::string> expected = {
      {1, "HELICAL GEAR WITH DIFFERENTIAL LOCKED OUT OR NOT PRESENT"}, {3, "Index Constant: 40"}, {4, "Feed Constant: 16"},
      {5, "Helix Angle: 20°  (dms: 20°00'00.0000\")"}, {6, "Normal Diametral Pitch: 10  (Module: 2.540000)"},
      {7, "Number of Teeth: 30"}, {8, "Transverse Pitch Dia.: 2.5  (63.500mm)"}, {9, "Outside Dia.: 2.75  (69.850mm)"},
      {10, in.leadLine},
      // The bullet replaces the middle blank; the line break is left out.
      {11, "Actual Feed Rate: 0.025000 • Feed Rate along Helix Angle: 0.026604"},
      {12, "Using: Right-Handed Hob to cut: Left-Handed Gear"}, {13, "Type of Cut: Conventional"}, {14, "Sign: Plus"},
      {15, "Direction of Cut: Top Coming"}, {16, "Intermediate studs: Index: 1; Feed: 1"}, {17, "Hob Threads: 2"},
      {19, "(40 x 2 x 56) / 4 = 1120 = 20 x 56"},
      {20, "(30 x 56)  + 1  = 1681 = 73 x 23"},  // 1681 / 73 / 23 truncates to 1
      {22, "Index Change-Gears:"}, {25, "0.31415926535897932384626 / (56 x 0.0625 x 0.3420201433256687330441) ="},
      {26, (*BuildDerivationLines(in))[3]}, {27, "0.437445319335083114610674 = (20 x 100) / (127 x 36)"},
      {28, "Feed Error: 0.000012345678901"}, {30, "Feed Change-Gears:"}};
  EXPECT_EQ(linesOf(layoutSheet(in, kWidth, kHeight, fakeMeasure)), expected);

  // No set-up item: no set-up block.
  for (int none : {-1, 8}) {
    const auto lines = linesOf(layoutSheet(sheet40(none), kWidth, kHeight, fakeMeasure));
    EXPECT_EQ(lines.count(12) + lines.count(16), 0u) << none;
  }
  // A short feed line and empty readouts print as they are.
  in.feedLine = "Actual Feed Rate: 0.025";
  in.pitchDiameter = in.outsideDiameter = in.teeth = "";
  const auto lines = linesOf(layoutSheet(in, kWidth, kHeight, fakeMeasure));
  EXPECT_EQ(lines.at(11), "Actual Feed Rate: 0.025");
  EXPECT_EQ(lines.at(8), "  (0.000mm)");
  EXPECT_EQ(lines.at(9), "  (0.000mm)");
  EXPECT_EQ(lines.at(7), "Number of Teeth: 0");
}

// A checked train that a run would not give: its sheet says so on line 2 and carries
// the notes at the foot, wrapped to the printable width; every text of the sheet
// without notes stays where it was.
TEST(Sheet, ACheckedTrainsNotesStandOnItsSheet) {
  const auto texts = [](const SheetLayout& layout) {
    std::vector<std::tuple<double, double, std::string>> out;
    for (const SheetText& t : layout.texts) out.emplace_back(t.x, t.y, t.text);
    return out;
  };
  const auto valid = texts(layoutSheet(sheet40(), kWidth, kHeight, fakeMeasure));
  std::string words;
  for (int k = 0; k < 90; ++k) words += (k ? " " : "") + std::string("word") + std::to_string(k);
  const std::vector<std::string> notes = {"Not in stock: 23 teeth (1 needed, none held).", words};
  SheetInputs in = sheet40();
  in.notes = notes;
  const auto checked = texts(layoutSheet(in, kWidth, kHeight, fakeMeasure));
  ASSERT_GE(checked.size(), valid.size() + 4);  // the heading, one line and the long note's lines
  EXPECT_TRUE(std::equal(valid.begin(), valid.end(), checked.begin()));
  EXPECT_EQ(checked[valid.size()], std::make_tuple(kWidth * 0.02, 2.0 * (kHeight / 36), std::string(kNotValidHeading)));
  std::string joined;  // each note after "|", its lines joined again
  for (std::size_t k = valid.size() + 1; k < checked.size(); ++k) {
    const auto& [x, y, text] = checked[k];
    EXPECT_GT(y, 30.45 * (kHeight / 36) + kHeight / 51) << "below the feed denominator: " << text;
    EXPECT_LE(y + kHeight / 51, kHeight) << text;
    EXPECT_LE(x + fakeMeasure(text).first, kWidth - kWidth * 0.02) << text;
    const bool first = text.rfind("- ", 0) == 0;
    joined += (first ? "|" : " ") + text.substr(first ? 2 : 3);
  }
  EXPECT_EQ(joined, "|" + notes[0] + "|" + words);

  // More notes than the foot holds: the last line that fits says there are more.
  in.notes.assign(9, "Short note.");
  const auto crowded = texts(layoutSheet(in, kWidth, kHeight, fakeMeasure));
  EXPECT_EQ(crowded.size(), valid.size() + 7);
  EXPECT_EQ(std::get<2>(crowded.back()), "(More notes: see the train's check.)");
  // A note that would run past the foot is left off whole, never cut after a line.
  in.notes = {"Short note.", words + " " + words + " " + words + " " + words};
  const auto cut = texts(layoutSheet(in, kWidth, kHeight, fakeMeasure));
  ASSERT_EQ(cut.size(), valid.size() + 3);
  EXPECT_EQ(std::get<2>(cut[valid.size() + 1]), "- Short note.");
  EXPECT_EQ(std::get<2>(cut.back()), "(More notes: see the train's check.)");
}

}  // namespace
}  // namespace hobwise
