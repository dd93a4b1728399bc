// hobwise-solve --machine and --mountable: the profile fills what the command line
// leaves open, every result says how it mounts, and a damaged profile is refused.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "command_line.h"
#include "hobwise/json.h"
#include "hobwise/machines.h"
#include "hobwise/run.h"

namespace hobwise::cli {
namespace {

struct Recording : Io {
  std::string out_, err_;
  void out(std::string_view text) override { out_ += text; }
  void err(std::string_view text) override { err_ += text; }
  unsigned defaultWorkers() override { return 2; }
};

std::string stockFrom(int first, int last) {
  GearStock stock;
  for (int t = first; t <= last; ++t) stock.setCount(t, 1);
  return stock.toText();
}

// The example machine with constants other than the example job's, a stock of its own
// and a feed quadrant on which some trains cannot reach (D 160 mm).
MachineProfile profile() {
  std::ifstream in(HOBWISE_DATA_DIR "/example-machine.json", std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  MachineProfile p = std::get<MachineProfile>(parseMachineProfile(text));
  p.indexConstant = "24";
  p.stock = stockFrom(30, 60);
  p.feed.centreDistance = Decimal4::whole(160);
  return p;
}

class MachineOption : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = ::testing::TempDir() + "hobwise-machine-" + std::to_string(::getpid()) + ".json";
    write(machineProfileText(profile()));
  }
  void TearDown() override { std::remove(path_.c_str()); }
  void write(const std::string& text) { std::ofstream(path_, std::ios::binary | std::ios::trunc) << text; }

  int run(std::vector<std::string> args) {
    io_ = {};
    args.insert(args.begin(), "hobwise-solve");
    return runCommandLine(args, io_);
  }

  std::string path_;
  Recording io_;
};

// The profile's constants stand where the line gives none (before --example fills the
// rest), its stock where no stock is given; the JSON's results carry their mount.
TEST_F(MachineOption, TheProfileFillsTheJobAndEveryResultSaysHowItMounts) {
  JobInputs job = exampleJobInputs();
  job.indexConstant = "24";
  const MachineProfile machine = profile();
  for (bool mountable : {false, true}) {
    std::vector<std::string> args = {"--example", "--machine", path_, "--json"};
    if (mountable) args.push_back("--mountable");
    ASSERT_EQ(run(args), 0) << io_.err_;
    SolveOptions options{.processors = 2};
    if (mountable) options.mountableOnly = mountQuadrantsOf(machine);
    const SolveReport report = runSolve(job, GearStock::fromText(machine.stock), options);
    ASSERT_FALSE(report.results.empty());
    EXPECT_EQ(io_.out_, reportJson(job, report, false, kAllResults, &machine)) << mountable;
    EXPECT_NE(io_.out_.find("\"mount\": {\"index\": {\"mounts\": "), std::string::npos);
    EXPECT_EQ(io_.out_.find("\"mounts\": false") == std::string::npos, mountable);
  }
  // The line's own constants and stock win; the listing has a line per train.
  ASSERT_EQ(run({"--example", "--machine", path_, "--index-constant", "30", "--stock", stockFrom(30, 80), "--results",
                 "1"}),
            0);
  const SolveReport example = runSolve(exampleJobInputs(), GearStock::fromText(stockFrom(30, 80)), {.processors = 2});
  for (const std::string& line : mountLines(mountOf(machine, 0, example.results[0]), machine))
    EXPECT_NE(io_.out_.find("  " + line + "\n"), std::string::npos) << line;
}

TEST_F(MachineOption, TheCheckAndTheAdvisorSayItToo) {
  ASSERT_EQ(run({"--example", "--machine", path_, "--check-train", "51,52,53,50:32,42,65,58", "--json"}), 0);
  EXPECT_NE(io_.out_.find("\"mount\": {\"index\": {\"mounts\": true, \"arrangement\": [51, 53, 52, 50], "
                          "\"centres\": [130, 127.5], \"note\": \"\"}"),
            std::string::npos)
      << io_.out_;
  ASSERT_EQ(run({"--example", "--machine", path_, "--mountable", "--suggest", "3"}), 0);
  EXPECT_NE(io_.out_.find("  Index mounts: "), std::string::npos) << io_.out_;
}

TEST_F(MachineOption, RefusedWithoutAMachineOrWithADamagedOne) {
  EXPECT_EQ(run({"--example", "--mountable"}), 2);
  EXPECT_EQ(io_.err_, "hobwise-solve: --mountable: only with --machine FILE (the machine to mount on)\n");
  std::string text = machineProfileText(profile());
  text.replace(text.find("\"gap\": 1"), 8, "\"gap\": \"x\"");
  write(text);
  EXPECT_EQ(run({"--example", "--machine", path_}), 2);
  EXPECT_NE(io_.err_.find("--machine: "), std::string::npos);
  EXPECT_NE(io_.err_.find("index.gap"), std::string::npos) << io_.err_;
  EXPECT_EQ(io_.out_, "");
  write("{\"name\": \"x\"}");
  EXPECT_EQ(run({"--example", "--machine", path_}), 2);
  EXPECT_NE(io_.err_.find("index"), std::string::npos) << io_.err_;
}

}  // namespace
}  // namespace hobwise::cli
