// hobwise-solve as a user runs it: bad input, the listing, and the JSON output
// against the engine and the result texts called directly.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "model/gear_stock.h"
#include "model/stock_file.h"
#include "results/result_rows.h"
#include "results/results.h"
#include "solver/solver.h"

namespace hobwise {
namespace {

struct CliRun {
  int status = -1;
  std::string out, err;
};

std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string quoted(const std::string& arg) {
  std::string out = "'";
  for (char ch : arg) {
    if (ch == '\'') out += "'\\''";
    else out += ch;
  }
  return out + "'";
}

CliRun solveCli(const std::vector<std::string>& args) {
  const auto dir = std::filesystem::temp_directory_path();
  const std::string tag = std::to_string(::getpid()) + "_" + std::to_string(std::rand());
  const auto out = dir / ("hobwise_cli_out_" + tag);
  const auto err = dir / ("hobwise_cli_err_" + tag);
  std::string command = quoted(HOBWISE_SOLVE);
  for (const auto& a : args) command += " " + quoted(a);
  command += " >" + quoted(out.string()) + " 2>" + quoted(err.string()) + " </dev/null";
  const int raw = std::system(command.c_str());
  CliRun run;
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.out = readFile(out);
  run.err = readFile(err);
  std::filesystem::remove(out);
  std::filesystem::remove(err);
  return run;
}

// One gear of each tooth count from 30 to 60: a quick job with a full list of results.
std::string smallStock() {
  std::string text(kToothCountKinds, '0');
  for (int t = 30; t <= 60; ++t) text[static_cast<std::size_t>(t - kFirstToothCount)] = '1';
  return text;
}

const std::vector<std::string> kJob = {"--index-constant", "30",   "--feed-constant", "0.0625", "--feed-rate", ".025",
                                       "--helix-angle",    "23.5", "--pitch",         "8",      "--teeth",     "30"};

std::vector<std::string> with(std::vector<std::string> args, const std::vector<std::string>& more) {
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

std::vector<std::string> replaced(std::vector<std::string> args, const std::string& option, const std::string& value) {
  for (std::size_t i = 0; i + 1 < args.size(); ++i)
    if (args[i] == option) args[i + 1] = value;
  return args;
}

std::vector<std::string> without(const std::vector<std::string>& args, const std::string& option) {
  std::vector<std::string> out;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == option) {
      ++i;
      continue;
    }
    out.push_back(args[i]);
  }
  return out;
}

void expectBadInput(const std::vector<std::string>& args, const std::string& option) {
  std::string line;
  for (const auto& a : args) line += a + " ";
  SCOPED_TRACE(line);
  const CliRun run = solveCli(args);
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find(option), std::string::npos) << run.err;
  EXPECT_EQ(run.out, "");
}

TEST(CliBadInputTest, UnknownMissingAndMalformedOptions) {
  expectBadInput(with(kJob, {"--frobnicate"}), "--frobnicate");
  expectBadInput(with(kJob, {"--whole=yes"}), "--whole");
  expectBadInput({"--index-constant", "30"}, "--feed-constant");
  expectBadInput(without(kJob, "--teeth"), "--teeth");
  expectBadInput(without(kJob, "--pitch"), "--pitch");
  expectBadInput(with(kJob, {"--hob-threads"}), "--hob-threads");
  expectBadInput(with(kJob, {"--whole", "--finite"}), "--finite");
  expectBadInput(with(kJob, {"--result", "1"}), "--result");
}

TEST(CliBadInputTest, ValuesOutsideTheRangesOfTheSolveButton) {
  expectBadInput(replaced(kJob, "--index-constant", "0.4"), "--index-constant");
  expectBadInput(replaced(kJob, "--index-constant", "1200.1"), "--index-constant");
  expectBadInput(replaced(kJob, "--feed-constant", "-1"), "--feed-constant");
  expectBadInput(replaced(kJob, "--feed-constant", "90"), "--feed-constant");
  expectBadInput(replaced(kJob, "--helix-angle", "0"), "--helix-angle");
  expectBadInput(replaced(kJob, "--helix-angle", "89.91"), "--helix-angle");
  expectBadInput(replaced(kJob, "--pitch", "0.349"), "--pitch");
  expectBadInput(replaced(kJob, "--pitch", "361"), "--pitch");
  expectBadInput(replaced(kJob, "--feed-rate", "0.11"), "--feed-rate");
  expectBadInput(replaced(kJob, "--feed-rate", "-.01"), "--feed-rate");
  expectBadInput(replaced(kJob, "--teeth", "0"), "--teeth");
  expectBadInput(replaced(kJob, "--teeth", "401"), "--teeth");
  expectBadInput(replaced(kJob, "--teeth", "thirty"), "--teeth");
  expectBadInput(with(kJob, {"--hob-threads", "25"}), "--hob-threads");
  expectBadInput(with(kJob, {"--setup", "8"}), "--setup");
  expectBadInput(with(kJob, {"--setup", "-1"}), "--setup");
  expectBadInput(with(kJob, {"--workers", "0"}), "--workers");
  expectBadInput(with(kJob, {"--results", "many"}), "--results");
}

TEST(CliBadInputTest, StockThatIsNot154DigitsZeroToSeven) {
  expectBadInput(with(kJob, {"--stock", "123"}), "--stock");
  std::string eight = smallStock();
  eight[3] = '8';
  expectBadInput(with(kJob, {"--stock", eight}), "--stock");
  expectBadInput(with(kJob, {"--stock", smallStock() + "1"}), "--stock");
}

TEST(CliBadInputTest, TextsInRangeThatAreNoNumber) {
  // Their value counts as 0, which the range test lets through, but the engine
  // cannot read them.
  expectBadInput(replaced(kJob, "--feed-constant", ""), "--feed-constant");
  expectBadInput(replaced(kJob, "--feed-rate", ""), "--feed-rate");
  expectBadInput(replaced(kJob, "--feed-rate", ".02x"), "--feed-rate");
  expectBadInput(replaced(kJob, "--feed-constant", "0.0625.5"), "--feed-constant");
}

TEST(CliBadInputTest, NoSuchResultForTheSheet) {
  const auto dir = std::filesystem::temp_directory_path();
  const auto pdf = dir / ("hobwise_cli_missing_" + std::to_string(::getpid()) + ".pdf");
  const CliRun run = solveCli(with(kJob, {"--stock", smallStock(), "--sheet", pdf.string(), "--result", "201", "--json"}));
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("--result"), std::string::npos) << run.err;
  EXPECT_FALSE(std::filesystem::exists(pdf));
}

TEST(CliTest, HelpNamesEveryOption) {
  const CliRun run = solveCli({"--help"});
  EXPECT_EQ(run.status, 0);
  for (const char* option : {"--index-constant", "--feed-constant", "--feed-rate", "--helix-angle", "--pitch",
                             "--teeth", "--hob-threads", "--setup", "--whole", "--finite", "--bypass-duplicates",
                             "--stock", "--workers", "--json", "--results", "--exact", "--example", "--sheet",
                             "--result", "--stock-file", "--csv"}) {
    EXPECT_NE(run.out.find(option), std::string::npos) << option;
  }
}

TEST(CliTest, VersionPrintsTheProjectVersion) {
  const CliRun run = solveCli({"--version"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, std::string("hobwise-solve ") + HOBWISE_VERSION + "\n");
}

// The whole line is read before any value is checked: an unknown option is reported
// even after a bad value.
TEST(CliTest, UnknownOptionsComeBeforeBadValues) {
  expectBadInput(with(kJob, {"--teeth", "abc", "--frobnicate"}), "unknown option \"--frobnicate\"");
}

JobInputs smallJob() {
  return exampleJobInputs();
}

QJsonObject parseJson(const std::string& text) {
  QJsonParseError error{};
  const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
  EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
  EXPECT_TRUE(doc.isObject());
  return doc.object();
}

TEST(CliJsonTest, EveryKeptResultWithTheTextsTheWindowShows) {
  const CliRun run = solveCli(with(kJob, {"--stock", smallStock(), "--json", "--workers", "2"}));
  ASSERT_EQ(run.status, 0) << run.err;
  const QJsonObject root = parseJson(run.out);
  ASSERT_TRUE(root.contains("count"));
  const QJsonArray results = root.value("results").toArray();
  ASSERT_EQ(root.value("count").toInt(), results.size());

  // The same job through the engine and the result texts directly.
  SolveOptions options;
  options.processors = 2;
  const SolveReport report = solve(smallJob(), GearStock::fromText(smallStock()), options);
  ASSERT_EQ(static_cast<std::size_t>(results.size()), report.results.size());
  ASSERT_GT(results.size(), 0);
  int withFraction = 0;
  for (qsizetype k = 0; k < results.size(); ++k) {
    const QJsonObject r = results[k].toObject();
    const auto ev = EvaluateResult(smallJob(), report.results[static_cast<std::size_t>(k)]);
    ASSERT_TRUE(ev);
    const ResultTexts t = resultTexts(report.results[static_cast<std::size_t>(k)], *ev);
    const QJsonArray index = r.value("index").toArray();
    const QJsonArray feed = r.value("feed").toArray();
    ASSERT_EQ(index.size(), 4);
    ASSERT_EQ(feed.size(), 4);
    for (int g = 0; g < 4; ++g) {
      ASSERT_TRUE(index[g].isDouble());
      EXPECT_EQ(std::to_string(index[g].toInt()), t.gears[static_cast<std::size_t>(g)]);
      EXPECT_EQ(std::to_string(feed[g].toInt()), t.gears[static_cast<std::size_t>(g + 4)]);
    }
    EXPECT_EQ(r.value("c").toString().toStdString(), t.status);
    EXPECT_EQ(r.value("feedError").toString().toStdString(), t.feedError);
    EXPECT_EQ(r.value("feedLine").toString().toStdString(), t.feedLine);
    EXPECT_EQ(r.value("leadLine").toString().toStdString(), t.leadLine);
    const std::string feedLine = r.value("feedLine").toString().toStdString();
    EXPECT_NE(feedLine.find("   \r\nFeed Rate along Helix Angle: "), std::string::npos);
    EXPECT_EQ(r.value("feedError").toString().toStdString().rfind("Feed Error: ", 0), 0u);
    if (!t.status.empty()) ++withFraction;
  }
  EXPECT_GT(withFraction, 0);
  // The line break is written escaped, as two characters.
  EXPECT_NE(run.out.find("   \\r\\nFeed Rate along Helix Angle"), std::string::npos);
}

TEST(CliTableTest, StockFileAndCsvAgreeWithStockDigitsAndTheTableRows) {
  const auto dir = std::filesystem::temp_directory_path() / ("hobwise_cli_stock_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string good = (dir / "good.txt").string(), bad = (dir / "bad.txt").string();
  ASSERT_EQ(writeStockFile(good, GearStock::fromText(smallStock())), "");
  std::ofstream(bad) << "30 1\n31 9\n";
  const CliRun csv = solveCli(with(kJob, {"--stock-file", good, "--csv"}));
  ASSERT_EQ(csv.status, 0) << csv.err;
  const std::vector<FoundResult> found = solve(exampleJobInputs(), GearStock::fromText(smallStock()), {}).results;
  EXPECT_EQ(csv.out, csvText(resultRows(exampleJobInputs(), found)));
  EXPECT_EQ(solveCli(with(kJob, {"--stock-file", good, "--json"})).out,
            solveCli(with(kJob, {"--stock", smallStock(), "--json"})).out);
  expectBadInput(with(kJob, {"--stock-file", bad}), "--stock-file: " + bad + ", line 2: the count 9");
  expectBadInput(with(kJob, {"--stock-file", good, "--stock", smallStock()}), "--stock and --stock-file");
  expectBadInput(with(kJob, {"--csv", "--json"}), "--json and --csv");
  std::filesystem::remove_all(dir);
}

TEST(CliJsonTest, ExactGivesTheSameOutputAsTheDefault) {
  const auto args = with(kJob, {"--stock", smallStock(), "--json", "--setup", "1"});
  const CliRun fast = solveCli(args);
  const CliRun exact = solveCli(with(args, {"--exact"}));
  ASSERT_EQ(fast.status, 0) << fast.err;
  ASSERT_EQ(exact.status, 0) << exact.err;
  EXPECT_EQ(fast.out, exact.out);
  EXPECT_GT(parseJson(fast.out).value("count").toInt(), 0);
}

TEST(CliListingTest, ResultsOptionSetsHowManyAreListed) {
  for (int n : {0, 1, 3}) {
    const CliRun run = solveCli(with(kJob, {"--stock", smallStock(), "--results", std::to_string(n)}));
    ASSERT_EQ(run.status, 0) << run.err;
    for (int k = 1; k <= n; ++k) EXPECT_NE(run.out.find("Result " + std::to_string(k) + " of "), std::string::npos);
    EXPECT_EQ(run.out.find("Result " + std::to_string(n + 1) + " of "), std::string::npos);
    // Progress goes to a terminal only: none here.
    EXPECT_EQ(run.err.find("Processing"), std::string::npos);
  }
  const CliRun listed = solveCli(with(kJob, {"--stock", smallStock()}));
  ASSERT_EQ(listed.status, 0);
  EXPECT_NE(listed.out.find("Result 10 of "), std::string::npos);
  EXPECT_EQ(listed.out.find("Result 11 of "), std::string::npos);
  for (const char* text : {"Index Error: None", "Feed Error: ", "Actual Feed Rate: ", "Feed Rate along Helix Angle: ",
                           "Theoretical Lead: ", "Index Change-Gears:", "Feed Change-Gears:"}) {
    EXPECT_NE(listed.out.find(text), std::string::npos) << text;
  }
  EXPECT_EQ(listed.out.find('\r'), std::string::npos);
}

TEST(CliListingTest, ListingShowsTheFirstResultsGearsAndCConstant) {
  const CliRun run = solveCli(with(kJob, {"--stock", smallStock(), "--results", "1"}));
  ASSERT_EQ(run.status, 0);
  SolveOptions options;
  const SolveReport report = solve(smallJob(), GearStock::fromText(smallStock()), options);
  ASSERT_FALSE(report.results.empty());
  const auto ev = EvaluateResult(smallJob(), report.results[0]);
  ASSERT_TRUE(ev);
  const ResultTexts t = resultTexts(report.results[0], *ev);
  EXPECT_NE(run.out.find(t.gears[0] + " x " + t.gears[1]), std::string::npos);
  EXPECT_NE(run.out.find(t.gears[2] + " x " + t.gears[3]), std::string::npos);
  EXPECT_NE(run.out.find(t.gears[4] + " x " + t.gears[5]), std::string::npos);
  EXPECT_NE(run.out.find(t.gears[6] + " x " + t.gears[7]), std::string::npos);
  if (!t.status.empty()) {
    EXPECT_NE(run.out.find(t.status + "\n"), std::string::npos);
  }
  EXPECT_NE(run.out.find(t.feedError), std::string::npos);
  EXPECT_NE(run.out.find(t.leadLine), std::string::npos);
}

TEST(CliListingTest, JobWithoutResultsEndsNormally) {
  // A one-character feed rate has no tolerance: nothing can be accepted.
  const CliRun run = solveCli(replaced(with(kJob, {"--stock", smallStock(), "--json"}), "--feed-rate", "0"));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(parseJson(run.out).value("count").toInt(), 0);
}

TEST(CliInterruptTest, CtrlCStopsTheRunAndPrintsWhatWasFound) {
  // Two gears of every tooth count with every shortcut off: a run of minutes, sure to
  // be still going when the signal comes.
  const auto dir = std::filesystem::temp_directory_path();
  const auto out = dir / ("hobwise_cli_int_" + std::to_string(::getpid()));
  std::vector<std::string> args = {HOBWISE_SOLVE, "--example", "--stock", std::string(kToothCountKinds, '2'),
                                   "--workers", "1", "--results", "1", "--exact"};
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const int fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int null = ::open("/dev/null", O_RDWR);
    ::dup2(fd, 1);
    ::dup2(null, 2);
    ::dup2(null, 0);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  ::kill(child, SIGINT);
  int raw = 0;
  pid_t done = 0;
  for (int waited = 0; waited < 1200 && done == 0; ++waited) {  // up to two minutes
    done = ::waitpid(child, &raw, WNOHANG);
    if (done == 0) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  if (done == 0) {
    ::kill(child, SIGKILL);
    ::waitpid(child, &raw, 0);
    FAIL() << "hobwise-solve did not stop after Ctrl+C";
  }
  ASSERT_TRUE(WIFEXITED(raw));
  EXPECT_EQ(WEXITSTATUS(raw), 0);
  const std::string text = readFile(out);
  std::filesystem::remove(out);
  EXPECT_EQ(text.rfind("Stopped early: ", 0), 0u) << text.substr(0, 200);
}

}  // namespace
}  // namespace hobwise
