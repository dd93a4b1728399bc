// Machine profile files: the example round-trips text for text, every kind of damage
// is refused with the field named, and the example job's first result mounts on the
// example machine as worked out by hand.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "model/machine_profile.h"
#include "model/mounting.h"

namespace hobwise {
namespace {

std::string exampleText() {
  std::ifstream in(HOBWISE_DATA_DIR "/example-machine.json", std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

MachineProfile exampleProfile() { return std::get<MachineProfile>(parseMachineProfile(exampleText())); }

TEST(Decimal4, ExactTextsAndDoubles) {
  for (const auto& [text, shown] : {std::pair{"0.0625", "0.0625"}, {"180.0", "180"}, {"2.50", "2.5"}, {"007", "7"}})
    EXPECT_EQ(Decimal4::fromText(text)->text(), shown);
  for (const char* bad : {"1.23456", "1.2.3", "", ".", "-1", "1e3", "100000000"}) EXPECT_FALSE(Decimal4::fromText(bad)) << bad;
  EXPECT_EQ(Decimal4::fromDouble(2.54)->units(), 25400);
  EXPECT_EQ(Decimal4::fromDouble(-3)->text(), "-3");
  // 0.1 + 0.2 is not the double of any text with four decimals.
  EXPECT_FALSE(Decimal4::fromDouble(0.1 + 0.2));
  EXPECT_FALSE(Decimal4::fromDouble(INFINITY));
}

TEST(MachineProfileFile, ExampleRoundTripsTextForText) {
  const std::string text = exampleText();
  const MachineProfile m = exampleProfile();
  EXPECT_EQ(std::tuple(m.name, m.indexConstant, m.feedConstant, m.index.pitch.text(), m.feed.idler.value_or(0)),
            std::tuple("Hobber 1 (small hobbing machine)", "30", "0.0625", "2.5", 36));
  EXPECT_EQ(machineProfileText(m), text);

  // A profile with a diametral pitch and nothing optional, through a file.
  MachineProfile bare;
  bare.index = bare.feed = m.index;
  bare.feed.pitchUnit = PitchUnit::kDiametralPitch;
  bare.feed.pitch = *Decimal4::fromText("12.5");
  bare.index.studRange.reset();
  bare.index.idler.reset();
  bare.index.gap = *Decimal4::fromText("0.25");
  const std::string path =
      (std::filesystem::temp_directory_path() / ("hobwise_profile_" + std::to_string(getpid()) + ".json")).string();
  ASSERT_EQ(writeMachineProfileFile(path, bare), "");
  const MachineProfileResult back = readMachineProfileFile(path);
  ASSERT_TRUE(std::holds_alternative<MachineProfile>(back)) << std::get<std::string>(back);
  EXPECT_EQ(std::get<MachineProfile>(back), bare);
  const std::string written = machineProfileText(bare);
  for (const char* absent : {"name", "Constant", "stock"}) EXPECT_EQ(written.find(absent), std::string::npos);

  // Too large to be a profile, as a text and as a file.
  std::ofstream(path) << text << std::string(kMachineProfileMaxBytes, ' ');
  EXPECT_EQ(std::get<std::string>(readMachineProfileFile(path)),
            "cannot read \"" + path + "\": larger than 64 KiB, so no machine profile");
  EXPECT_EQ(std::get<std::string>(parseMachineProfile(text + std::string(kMachineProfileMaxBytes, ' '))),
            "larger than 64 KiB, so no machine profile");
  std::filesystem::remove(path);
  EXPECT_EQ(std::get<std::string>(readMachineProfileFile(path)).rfind("cannot read \"" + path + "\": ", 0), 0u);
}

TEST(MachineProfileFile, DamageRefusedWithTheFieldNamed) {
  const struct {
    const char* from;  // first occurrence in the example, or "" for the whole text
    const char* to;
    const char* message;  // the whole message, or its start when it ends in "..."
  } cases[] = {
      {"", "not json", "not valid JSON: parse error at line 1, column 2..."},
      {"", "[1]", "the file: expects a JSON object (a machine profile), got [1]"},
      {"Hobber 1", "Hob\xff", "name: not valid JSON: ..."},
      {"\"centreDistance\": 180,", "", "index.centreDistance: missing"},
      {": 180", ": \"180\"", "index.centreDistance: expects a length in mm above 0 and at most 5000, got \"180\""},
      {": 180", ": -3", "index.centreDistance: expects a length in mm above 0 and at most 5000, got -3"},
      {": 180", ": 6000", "index.centreDistance: expects a length in mm above 0 and at most 5000, got 6000"},
      {": 180", ": 1e999", "index.centreDistance: not valid JSON: number overflow parsing '1e999'"},
      {"\"module\": 2.5", "\"module\": 0", "index.module: expects a module in mm from 0.1 to 50, got 0"},
      {"\"module\": 2.5", "\"module\": 2.54321", "index.module: expects at most 4 decimals, got 2.54321"},
      {"\"module\": 2,", "\"diametralPitch\": 300,", "feed.diametralPitch: expects a diametral pitch from 0.508 to 254, got 300"},
      {"\"module\": 2.5", "\"module\": 2.5, \"diametralPitch\": 10",
       "index: gives both module and diametralPitch; expects one of them"},
      {"\"module\": 2.5,", "", "index.module: missing (or give diametralPitch)"},
      {"centreDistance", "centerDistance", "index.centerDistance: unknown key"},
      {"\"gap\": 1,", "\"gap\": 1, \"gap\": 2,", "index.gap: given twice"},
      {"\"Hobber 1 (small hobbing machine)\"", "[[[[[[[[[1]]]]]]]]]", "name[0][0][0][0][0][0][0]: nested deeper than a machine profile is"},
      {"[70, 165]", "[165, 70]", "index.studRange: expects the least distance first, got [165, 70]"},
      {"[70, 165]", "[70]", "index.studRange: expects [least, greatest] in mm, got [70]"},
      {"\"idler\": 40", "\"idler\": 12", "index.idler: expects a tooth count from 16 to 169, got 12"},
      {"{\"driving\": 32, \"driven\": 32}", "{\"driving\": 32}", "index.shaftDiameters.driven: missing"},
      {"\"30\"", "\"3x\"", "indexConstant: expects digits with at most one \".\", at most 6 characters, got \"3x\""},
      {"\"30\"", "\"1234567\"", "indexConstant: expects digits with at most one \".\", at most 6 characters, got \"1234567\""},
      {"\"0.0625\"", "\"0.06.25\"", "feedConstant: expects digits with at most one \".\", at most 33 characters, got \"0.06.25\""},
      {"\"00000000000000111", "\"8111", "stock: expects 154 digits 0 to 7 (the gear stock as the settings store it), got \"8111..."},
      {"\"Hobber 1 (small hobbing machine)\"", "5", "name: expects a text, got 5"},
      {"Hobber 1", "Hob\\u0007ber", "name: holds a control character"},
      {"\"feed\":", "\"feeds\":", "feeds: unknown key"},
  };
  const std::string example = exampleText();
  for (const auto& c : cases) {
    std::string text = std::string(c.from).empty() ? c.to : example;
    if (!std::string(c.from).empty()) {
      const std::size_t at = text.find(c.from);
      ASSERT_NE(at, std::string::npos) << c.from;
      text.replace(at, std::string(c.from).size(), c.to);
    }
    const MachineProfileResult result = parseMachineProfile(text);
    ASSERT_TRUE(std::holds_alternative<std::string>(result)) << c.message;
    const std::string& message = std::get<std::string>(result);
    const std::string expected = c.message;
    if (expected.size() > 3 && expected.substr(expected.size() - 3) == "...")
      EXPECT_EQ(message.substr(0, expected.size() - 3), expected.substr(0, expected.size() - 3)) << message;
    else
      EXPECT_EQ(message, expected);
  }
  std::string manyKeys = "{";
  for (int k = 0; k < 40; ++k) manyKeys += "\"k" + std::to_string(k) + "\": 0, ";
  EXPECT_EQ(std::get<std::string>(parseMachineProfile(manyKeys + "\"end\": 0}")),
            "k32: more keys than a machine profile has");
  // A profile built by hand is held to the same bounds.
  MachineProfile m = exampleProfile();
  m.feed.gap = *Decimal4::fromText("100.5");
  EXPECT_EQ(machineProfileProblem(m), "feed.gap: expects a gap in mm from 0 to 100, got 100.5");
}

// The example job's first result, index (51 x 52)/(53 x 50) and feed (32 x 42)/(65 x 58),
// set-up 0 (one stud in each train). Index, module 2.5, D = 180, shafts 32: as listed
// L1 = 2.5 x 104 / 2 = 130 (slot 70 to 165), L2 = 2.5 x 102 / 2 = 127.5; 52 clears the
// driving shaft by 130 - 67.5 - 16 = 46.5, 53 the driven by 127.5 - 68.75 - 16 = 42.75
// (the tightest), 51 by 180 - 66.25 - 16 = 97.75, 50 by 99; the largest OD 137.5 <= 210.
// Feed, module 2, D = 125, shafts 25: L1 = 97, L2 = 100; clearances 40.5, 20.5 (65 to
// the driven shaft, the tightest), 78.5 and 52.5; OD(65) = 134 <= 170.
TEST(MachineProfileFile, ExampleJobsFirstResultMountsAsListed) {
  const MachineProfile m = exampleProfile();
  const struct {
    const Quadrant& quadrant;
    GearTrain train;
    double l1, l2, tightest;
    MountPart gear;
  } cases[] = {
      {m.index, shownTrain(52, 51, 53, 50), 130, 127.5, 42.75, MountPart::kQ},
      {m.feed, shownTrain(42, 32, 65, 58), 97, 100, 20.5, MountPart::kQ},
  };
  for (const auto& c : cases) {
    const MountResult r = MountCheck(c.quadrant, TrainKind::kIndex, intermediateStuds(0, TrainKind::kIndex)).check(c.train);
    EXPECT_TRUE(r.mounts);
    EXPECT_EQ(std::tuple(r.way, r.l1, r.l2), std::tuple(0, c.l1, c.l2));
    ASSERT_TRUE(r.tightest && r.stud);
    EXPECT_EQ(std::tuple(r.tightest->gear, r.tightest->mm), std::tuple(c.gear, c.tightest));
    // x = (L1^2 - L2^2 + D^2) / 2D.
    const double d = c.quadrant.centreDistance.value();
    EXPECT_NEAR(r.stud->x, (c.l1 * c.l1 - c.l2 * c.l2 + d * d) / (2 * d), 1e-9);
  }
  const int studs[8][2] = {{1, 1}, {1, 2}, {1, 1}, {1, 2}, {2, 2}, {2, 1}, {2, 2}, {2, 1}};
  for (int item = 0; item < 8; ++item)
    EXPECT_EQ(std::pair(intermediateStuds(item, TrainKind::kIndex), intermediateStuds(item, TrainKind::kFeed)),
              std::pair(studs[item][0], studs[item][1]));
}

}  // namespace
}  // namespace hobwise
