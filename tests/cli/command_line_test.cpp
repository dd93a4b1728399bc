// hobwise-solve as a library: the line's words judged as the program has always judged
// them, and everything that reaches the world going through the Io a main hands in.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "command_line.h"
#include "hobwise/job.h"
#include "hobwise/stock.h"

namespace hobwise::cli {
namespace {

// Keeps what the command line writes; a stock file and a sheet only as told.
struct RecordingIo : Io {
  std::string out_, err_;
  bool terminal = false;
  std::atomic<bool> stop{false};
  std::vector<std::string> sheets;  // files written
  std::string sheetError;           // what writing a sheet says, when it fails
  std::string targetProblem;        // what the look at a sheet's target before the run says

  void out(std::string_view text) override { out_ += text; }
  void err(std::string_view text) override { err_ += text; }
  bool showsProgress() override { return terminal; }
  const std::atomic<bool>* stopFlag() override { return &stop; }
  unsigned defaultWorkers() override { return 2; }
  StockFileResult readStockFile(const std::string& path) override {
    if (path == "small") return GearStock::fromText(smallStock());
    return "cannot read " + path + ": no such file";
  }
  std::string writeSheet(const SheetInputs& sheet, const std::string& path) override {
    if (sheetError.empty() && sheet.gears[0] != "") sheets.push_back(path);
    return sheetError;
  }
  std::string sheetTargetProblem(const std::string&) override { return targetProblem; }
  static std::string smallStock() {
    GearStock stock;
    for (int t = 30; t <= 60; ++t) stock.setCount(t, 1);
    return stock.toText();
  }
};

std::vector<std::string> line(std::vector<std::string> args) {
  args.insert(args.begin(), "hobwise-solve");
  return args;
}

TEST(CommandLine, TheLineIsJudgedBeforeAnyValue) {
  const struct { std::vector<std::string> args; const char* says; } cases[] = {
      {{"--example", "--whole=yes"}, "--whole: takes no value"},
      {{"--example", "--teeth"}, "--teeth: missing value"},
      {{"--example", "-hx"}, "unknown option \"-hx\" (see --help)"},
      {{"-h=1", "--frob"}, "unknown option \"-h=1\" (see --help)"},
      {{"--example", "--", "--json"}, "unknown option \"--\" (see --help)"},
      {{"--example", "30"}, "unknown option \"30\" (see --help)"},
      {{"--=x"}, "--: takes no value"},
      {{"--h"}, "unknown option \"--h\" (see --help)"},
      {{"--example", "--teeth", "--frob"}, "--teeth: expects a number of teeth from 1 to 400, got \"--frob\""},
      {{"--example", "--feed-rate", "--suggest"},
       "--feed-rate: \"--suggest=\" is not a number (expects a feed rate from 0 to 0.1)"},
      {{"--example", "--suggest", "x"}, "--suggest: expects a number of suggestions from 1 to 154, got \"x\""},
      {{"--example", "--stock-file", "nowhere"}, "--stock-file: cannot read nowhere: no such file"},
      {{"--example", "--teeth", "12", "--teeth", "401"}, "--teeth: expects a number of teeth from 1 to 400, got \"401\""}};
  for (const auto& c : cases) {
    RecordingIo io;
    EXPECT_EQ(runCommandLine(line(c.args), io), 2) << c.says;
    EXPECT_EQ(io.err_, std::string("hobwise-solve: ") + c.says + "\n");
    EXPECT_EQ(io.out_, "") << c.says;
  }
  RecordingIo io;
  EXPECT_EQ(runCommandLine(line({"-vh"}), io), 0);  // short options run together; help first
  EXPECT_EQ(io.out_.rfind("Usage: hobwise-solve ", 0), 0u);
}

// Options that would do nothing together, and offending text shown quoted, escaped and
// cut; counts take plain digits only.
TEST(CommandLine, ClashesAndOffendingTextAreRefusedNamingThem) {
  const std::string big(100000, 'x'), digits(60000, '9'), cut = "\"" + std::string(60, 'x') + "\"... (100000 bytes)";
  const std::string train = "36,40,55,30:30,32,60,48";
  const struct { std::vector<std::string> args; std::string says; } cases[] = {
      {{"--whole", "--finite"}, "--whole and --finite: use one or the other, not both"},
      {{"--result", "2"}, "--result: only with --sheet FILE.pdf"},
      {{"--json", "--csv"}, "--json and --csv: use one or the other, not both"},
      {{"--stock-file", "small", "--stock", std::string(154, '1')}, "--stock and --stock-file: use one or the other, not both"},
      {{"--check-train", train, "--sheet", "s.pdf", "--result", "1"}, "--result: picks a found result; with --check-train the sheet is the checked train's"},
      {{"--check-train", train, "--results", "3"}, "--results: lists found results; --check-train runs no search"},
      {{"--check-train", train, "--workers", "2"}, "--workers: the workers of a search; --check-train runs no search"},
      {{"--check-train", train, "--csv"}, "--csv: lists found results; --check-train runs no search"},
      {{"--check-train", train, "--suggest"}, "--suggest: not with --check-train (a check runs no search)"},
      {{"--suggest", "--sheet", "s.pdf"}, "--suggest: not with --sheet (the suggestions have no set-up sheet)"},
      {{"--suggest", "--csv"}, "--csv: not with --suggest (the suggestions come as a listing or as --json)"},
      {{"--suggest", "3", "--results", "2"}, "--results: not with --suggest (the N of --suggest N is the number of suggestions listed)"},
      {{"--teeth", "+2"}, "--teeth: expects a number of teeth from 1 to 400, got \"+2\""},
      {{"--teeth", "-0"}, "--teeth: expects a number of teeth from 1 to 400, got \"-0\""},
      {{"--results", "-0"}, "--results: expects a number of results to list, 0 or more, got \"-0\""},
      {{"--hob-threads", "+1"}, "--hob-threads: expects a number of hob threads from 1 to 24, got \"+1\""},
      {{"--suggest", "+3"}, "--suggest: expects a number of suggestions from 1 to 154, got \"+3\""},
      {{"--teeth", digits}, "--teeth: expects a number of teeth from 1 to 400, got \"" + digits.substr(0, 60) + "\"... (60000 bytes)"},
      {{"--pitch", "8\x1b]0;owned\x07"}, "--pitch: \"8\\x1B]0;owned\\x07\" is not a number (expects a normal diametral pitch from 0.35 to 360)"},
      {{"--" + big}, "unknown option \"--" + std::string(58, 'x') + "\"... (100002 bytes) (see --help)"},
      {{big}, "unknown option " + cut + " (see --help)"},
      {{"--sheet", "s.pdf", "--result", big}, "--result: expects a result number, 1 or more, got " + cut},
      {{"--check-train", "\x1b]0;owned\x07" + train}, "--check-train: index upper left: \"\\x1B]0;owned\\x0736\" is not a whole number of teeth (16 to 169)"},
      {{"--check-train", digits + train.substr(2)}, "--check-train: index upper left: \"" + digits.substr(0, 60) + "\"... (60000 bytes) teeth is outside 16 to 169"},
      {{"--stock", "1234567" + std::string(147, '8')}, "--stock: expects 154 digits 0 to 7 (the count of each tooth count 16 to 169), got \"8\" for 23 teeth"},
  };
  for (const auto& c : cases) {
    RecordingIo io;
    std::vector<std::string> args = {"--example"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    EXPECT_EQ(runCommandLine(line(args), io), 2) << c.says;
    EXPECT_EQ(io.err_, "hobwise-solve: " + c.says + "\n");
    EXPECT_EQ(io.out_, "") << c.says;
  }
}

// --results N lists the first N with --json and --csv too; "count" stays the number kept.
TEST(CommandLine, ResultsLimitsEveryList) {
  for (const char* format : {"--json", "--csv"}) {
    RecordingIo all, two;
    ASSERT_EQ(runCommandLine(line({"--example", "--stock-file", "small", format}), all), 0);
    ASSERT_EQ(runCommandLine(line({"--example", "--stock-file", "small", format, "--results", "2"}), two), 0);
    const std::size_t third = all.out_.find('\n', all.out_.find('\n', all.out_.find('\n') + 1) + 1) + 1;
    if (std::string(format) == "--csv") {
      EXPECT_EQ(two.out_, all.out_.substr(0, third));
    } else {
      EXPECT_EQ(two.out_.substr(0, third - 2), all.out_.substr(0, third - 2));
      EXPECT_TRUE(two.out_.substr(third - 2).starts_with("\n], \"stages\": ")) << two.out_.substr(third - 2, 40);
      EXPECT_EQ(two.out_.substr(two.out_.find("], \"stages\"")), all.out_.substr(all.out_.find("], \"stages\"")));
      EXPECT_EQ(two.out_.rfind("{\"count\": 200, ", 0), 0u);
    }
  }
}

TEST(CommandLine, FilesProgressAndStopGoThroughTheIo) {
  RecordingIo fromFile, fromDigits;
  ASSERT_EQ(runCommandLine(line({"--example", "--stock-file", "small", "--json"}), fromFile), 0) << fromFile.err_;
  ASSERT_EQ(runCommandLine(line({"--example", "--stock", RecordingIo::smallStock(), "--json"}), fromDigits), 0);
  EXPECT_EQ(fromFile.out_, fromDigits.out_);

  RecordingIo sheet;
  sheet.terminal = true;
  ASSERT_EQ(runCommandLine(line({"--example", "--stock-file", "small", "--results", "0", "--sheet", "s.pdf"}), sheet), 0);
  EXPECT_EQ(sheet.sheets, std::vector<std::string>{"s.pdf"});
  EXPECT_TRUE(sheet.out_.ends_with("\nSet-up sheet of result 1 written to s.pdf\n")) << sheet.out_;
  EXPECT_EQ(sheet.err_.rfind("\r\033[KFinding Applicable C Constants...", 0), 0u);
  EXPECT_TRUE(sheet.err_.ends_with("\r\033[K")) << sheet.err_;

  RecordingIo noSheets;
  noSheets.sheetError = "cannot write \"s.pdf\": No space left on device";
  EXPECT_EQ(runCommandLine(line({"--example", "--stock-file", "small", "--json", "--sheet", "s.pdf"}), noSheets), 2);
  EXPECT_EQ(noSheets.err_, "hobwise-solve: --sheet: cannot write \"s.pdf\": No space left on device\n");

  // The name of the sheet written comes back escaped when it holds a control character.
  RecordingIo odd, refused, none;
  ASSERT_EQ(runCommandLine(line({"--example", "--stock-file", "small", "--results", "0", "--sheet", "a\tb.pdf"}), odd), 0);
  EXPECT_TRUE(odd.out_.ends_with("\nSet-up sheet of result 1 written to \"a\\tb.pdf\"\n")) << odd.out_;
  // A target that cannot be written is refused before the run; a run that keeps no
  // result writes no sheet, and no --result is blamed.
  refused.targetProblem = "cannot write \"fifo\": it is a pipe, not a file";
  EXPECT_EQ(runCommandLine(line({"--example", "--stock-file", "small", "--sheet", "fifo"}), refused), 2);
  EXPECT_EQ(refused.out_ + refused.err_, "hobwise-solve: --sheet: cannot write \"fifo\": it is a pipe, not a file\n");
  EXPECT_EQ(runCommandLine(line({"--example", "--feed-rate", "0", "--json", "--sheet", "s.pdf"}), none), 2);
  EXPECT_EQ(none.err_, "hobwise-solve: --sheet: the run kept no result, so no sheet was written\n");
}

// Every output of a run says when a stop ended it early: exit status 3, the line on
// standard error, and "stopped" in the JSON; the sheet is not written.
TEST(CommandLine, AStoppedRunSaysSoInEveryOutput) {
  const std::string stoppedLine = "hobwise-solve: stopped; the results found so far follow\n";
  const struct { std::vector<std::string> more; const char* out; std::string err; } cases[] = {
      {{}, "Stopped early: ", stoppedLine},
      {{"--json"}, "\"stopped\": true}\n", stoppedLine},
      {{"--csv"}, "Result,", stoppedLine},
      {{"--sheet", "s.pdf"}, "Stopped early: ",
       stoppedLine + "hobwise-solve: --sheet: the run was stopped before its end, so no sheet was written\n"},
      {{"--suggest", "--json"}, "\"stopped\": true}\n", "hobwise-solve: Stopped after 0 of 154 tooth counts\n"}};
  for (const auto& c : cases) {
    RecordingIo io;
    io.stop = true;
    std::vector<std::string> args = {"--example", "--stock", std::string(154, '1'), "--workers", "1"};
    args.insert(args.end(), c.more.begin(), c.more.end());
    EXPECT_EQ(runCommandLine(line(args), io), 3) << c.out;
    EXPECT_NE(io.out_.find(c.out), std::string::npos) << io.out_.substr(0, 300);
    EXPECT_EQ(io.err_, c.err);
    EXPECT_TRUE(io.sheets.empty());
  }
  RecordingIo finished;
  ASSERT_EQ(runCommandLine(line({"--example", "--stock-file", "small", "--json"}), finished), 0);
  EXPECT_TRUE(finished.out_.ends_with("\"kept\": 200}, \"stopped\": false}\n")) << finished.out_;
}

}  // namespace
}  // namespace hobwise::cli
