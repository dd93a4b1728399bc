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
  bool sheetsWork = true;

  void out(std::string_view text) override { out_ += text; }
  void err(std::string_view text) override { err_ += text; }
  bool showsProgress() override { return terminal; }
  const std::atomic<bool>* stopFlag() override { return &stop; }
  unsigned defaultWorkers() override { return 2; }
  StockFileResult readStockFile(const std::string& path) override {
    if (path == "small") return GearStock::fromText(smallStock());
    return "cannot read " + path + ": no such file";
  }
  bool writeSheet(const SheetInputs& sheet, const std::string& path) override {
    if (sheetsWork && sheet.gears[0] != "") sheets.push_back(path);
    return sheetsWork;
  }
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
  noSheets.sheetsWork = false;
  EXPECT_EQ(runCommandLine(line({"--example", "--stock-file", "small", "--json", "--sheet", "s.pdf"}), noSheets), 1);
  EXPECT_EQ(noSheets.err_, "hobwise-solve: --sheet: cannot write \"s.pdf\"\n");

  RecordingIo stopped;
  stopped.stop = true;
  ASSERT_EQ(runCommandLine(line({"--example", "--stock-file", "small"}), stopped), 0);
  EXPECT_EQ(stopped.out_.rfind("Stopped early: ", 0), 0u);
  EXPECT_EQ(stopped.err_, "hobwise-solve: stopped; the results found so far follow\n");
}

}  // namespace
}  // namespace hobwise::cli
