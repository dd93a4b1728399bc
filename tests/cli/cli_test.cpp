// hobwise-solve as a user runs it: bad input, the listing, and the JSON output
// against the engine and the result texts called directly.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <chrono>
#include <random>
#include <thread>

#include <QtCore>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "model/gear_stock.h"
#include "model/stock_file.h"
#include "results/result_rows.h"
#include "results/results.h"
#include "solver/advisor.h"
#include "solver/solver.h"

extern char** environ;

namespace hobwise {
namespace {

struct CliRun { int status = -1; std::string out, err; };

std::string bytesOf(const std::string& file) {
  std::ostringstream out;
  out << std::ifstream(file, std::ios::binary).rdbuf();
  return out.str();
}

// The paths in a folder.
std::set<std::string> entries(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder)) names.insert(e.path().string());
  return names;
}

// A fresh folder of the test's own.
std::string freshFolder(const std::string& name) {
  const auto folder = std::filesystem::temp_directory_path() / ("hobwise_cli_" + name + "_" + std::to_string(::getpid()));
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  return folder.string();
}

// Starts hobwise-solve with the arguments as bytes (no decoding on the way), no input,
// its standard output and error into the two files.
pid_t startCli(const std::vector<std::string>& args, const std::string& out, const std::string& err) {
  std::vector<std::string> line = {HOBWISE_SOLVE};
  line.insert(line.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : line) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_addopen(&files, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&files, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&files, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  pid_t pid = -1;
  if (posix_spawn(&pid, argv[0], &files, nullptr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&files);
  return pid;
}

// The exit status, or -(the signal) that ended it.
int waitFor(pid_t pid) {
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

// Runs hobwise-solve with the arguments (and no input) to its end.
CliRun solveCli(const std::vector<std::string>& args) {
  static const std::string folder = freshFolder("output");
  const std::string out = folder + "/out", err = folder + "/err";
  const int status = waitFor(startCli(args, out, err));
  return {status < 0 ? -1 : status, bytesOf(out), bytesOf(err)};
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

// The job with one option's value replaced, or the option left out (value nullptr).
std::vector<std::string> changed(const std::string& option, const char* value) {
  std::vector<std::string> out;
  for (std::size_t i = 0; i < kJob.size(); i += 2) {
    if (kJob[i] != option) out.insert(out.end(), {kJob[i], kJob[i + 1]});
    else if (value) out.insert(out.end(), {kJob[i], value});
  }
  return out;
}

TEST(Cli, BadInputIsRefusedNamingTheOption) {
  std::string eight = smallStock();
  eight[3] = '8';
  const auto pdf = std::filesystem::temp_directory_path() / ("hobwise_cli_missing_" + std::to_string(::getpid()) + ".pdf");
  const struct { std::vector<std::string> args; const char* option; } cases[] = {
      {with(kJob, {"--frobnicate"}), "--frobnicate"}, {with(kJob, {"--whole=yes"}), "--whole"},
      {{"--index-constant", "30"}, "--feed-constant"}, {changed("--teeth", nullptr), "--teeth"},
      {changed("--pitch", nullptr), "--pitch"},        {with(kJob, {"--hob-threads"}), "--hob-threads"},
      {with(kJob, {"--whole", "--finite"}), "--finite"}, {with(kJob, {"--result", "1"}), "--result"},
      // Outside the ranges of the Solve button.
      {changed("--index-constant", "0.4"), "--index-constant"}, {changed("--index-constant", "1200.1"), "--index-constant"},
      {changed("--feed-constant", "-1"), "--feed-constant"},    {changed("--feed-constant", "90"), "--feed-constant"},
      {changed("--helix-angle", "0"), "--helix-angle"},         {changed("--helix-angle", "89.91"), "--helix-angle"},
      {changed("--pitch", "0.349"), "--pitch"},                 {changed("--pitch", "361"), "--pitch"},
      {changed("--feed-rate", "0.11"), "--feed-rate"},          {changed("--feed-rate", "-.01"), "--feed-rate"},
      {changed("--teeth", "0"), "--teeth"},                     {changed("--teeth", "401"), "--teeth"},
      {changed("--teeth", "thirty"), "--teeth"},                {with(kJob, {"--hob-threads", "25"}), "--hob-threads"},
      {with(kJob, {"--setup", "8"}), "--setup"},                {with(kJob, {"--setup", "-1"}), "--setup"},
      {with(kJob, {"--workers", "0"}), "--workers"},            {with(kJob, {"--results", "many"}), "--results"},
      // A stock that is not 154 digits 0 to 7.
      {with(kJob, {"--stock", "123"}), "--stock"}, {with(kJob, {"--stock", eight}), "--stock"},
      {with(kJob, {"--stock", smallStock() + "1"}), "--stock"},
      // In range (their value counts as 0) but no number the engine can read.
      {changed("--feed-constant", ""), "--feed-constant"}, {changed("--feed-rate", ""), "--feed-rate"},
      {changed("--feed-rate", ".02x"), "--feed-rate"},     {changed("--feed-constant", "0.0625.5"), "--feed-constant"},
      // --suggest: a number of suggestions 1 to 154, and no sheet.
      {with(kJob, {"--suggest", "0"}), "--suggest"},   {with(kJob, {"--suggest", "155"}), "--suggest"},
      {with(kJob, {"--suggest", "ten"}), "--suggest"}, {with(kJob, {"--suggest=", "--json"}), "--suggest"},
      {with(kJob, {"--suggest", "3", "--sheet", pdf.string()}), "--suggest"},
      // The whole line is read before any value: an unknown option is named even after a bad value.
      {with(kJob, {"--teeth", "abc", "--frobnicate"}), "unknown option \"--frobnicate\""}};
  for (const auto& c : cases) {
    std::string line;
    for (const auto& a : c.args) line += a + " ";
    const CliRun run = solveCli(c.args);
    EXPECT_EQ(run.status, 2) << line;
    EXPECT_NE(run.err.find(c.option), std::string::npos) << line << ": " << run.err;
    EXPECT_EQ(run.out, "") << line;
  }
  // No such result for the sheet (after the listing).
  const CliRun missing = solveCli(with(kJob, {"--stock", smallStock(), "--sheet", pdf.string(), "--result", "201", "--json"}));
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.err.find("--result"), std::string::npos) << missing.err;
  EXPECT_FALSE(std::filesystem::exists(pdf));
  EXPECT_EQ(solveCli({"--help"}).status, 0);
  EXPECT_EQ(solveCli({"--version"}).out, std::string("hobwise-solve ") + HOBWISE_VERSION + "\n");
}

QJsonObject parseJson(const std::string& text) {
  QJsonParseError error{};
  const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
  EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
  return doc.object();
}

// The small job solved by the engine, with the texts the window shows for each result.
std::vector<ResultTexts> engineTexts() {
  SolveOptions options;
  options.processors = 2;
  std::vector<ResultTexts> texts;
  for (const FoundResult& r : solve(exampleJobInputs(), GearStock::fromText(smallStock()), options).results)
    texts.push_back(resultTexts(r, *EvaluateResult(exampleJobInputs(), r)));
  return texts;
}

TEST(Cli, JsonHoldsEveryResultWithTheTextsTheWindowShows) {
  const CliRun run = solveCli(with(kJob, {"--stock", smallStock(), "--json", "--workers", "2"}));
  ASSERT_EQ(run.status, 0) << run.err;
  const QJsonObject root = parseJson(run.out);
  const QJsonArray results = root.value("results").toArray();
  ASSERT_EQ(root.value("count").toInt(), results.size());
  const std::vector<ResultTexts> texts = engineTexts();
  ASSERT_EQ(static_cast<std::size_t>(results.size()), texts.size());
  ASSERT_GT(results.size(), 0);
  for (std::size_t k = 0; k < texts.size(); ++k) {
    const QJsonObject r = results[static_cast<qsizetype>(k)].toObject();
    const ResultTexts& t = texts[k];
    for (std::size_t g = 0; g < 8; ++g)  // numbers, index gears then feed gears
      EXPECT_EQ(QString::number(r.value(g < 4 ? "index" : "feed")[g % 4].toInt(-1)).toStdString(), t.gears[g]) << k;
    const auto text = [&](const char* key) { return r.value(key).toString().toStdString(); };
    EXPECT_EQ(std::tie(t.status, t.feedError, t.feedLine, t.leadLine),
              std::make_tuple(text("c"), text("feedError"), text("feedLine"), text("leadLine"))) << k;
  }
  EXPECT_NE(texts[0].status, "");
  EXPECT_NE(run.out.find("   \\r\\nFeed Rate along Helix Angle"), std::string::npos);  // escaped, two characters

  const CliRun exact = solveCli(with(kJob, {"--stock", smallStock(), "--json", "--workers", "2", "--exact"}));
  EXPECT_EQ(exact.out, run.out);
  // --sheet writes the sheet of the first result.
  const auto sheet = std::filesystem::temp_directory_path() / ("hobwise_cli_sheet_" + std::to_string(::getpid()) + ".pdf");
  EXPECT_EQ(solveCli(with(kJob, {"--stock", smallStock(), "--sheet", sheet.string(), "--json"})).out, run.out);
  EXPECT_TRUE(std::filesystem::exists(sheet) && std::filesystem::file_size(sheet) > 1000);
  std::filesystem::remove(sheet);
  // A one-character feed rate has no tolerance: nothing can be accepted.
  const CliRun none = solveCli(with(changed("--feed-rate", "0"), {"--stock", smallStock(), "--json"}));
  EXPECT_EQ(none.status, 0) << none.err;
  EXPECT_EQ(parseJson(none.out).value("count").toInt(), 0);
}

TEST(Cli, ListingShowsAsManyResultsAsAsked) {
  const ResultTexts first = engineTexts().at(0);
  for (const char* n : std::initializer_list<const char*>{"0", "1", "3", nullptr}) {
    const CliRun run = solveCli(n ? with(kJob, {"--stock", smallStock(), "--results", n}) : with(kJob, {"--stock", smallStock()}));
    ASSERT_EQ(run.status, 0) << run.err;
    const int listed = n ? std::atoi(n) : 10;
    for (int k = 1; k <= listed; ++k) EXPECT_NE(run.out.find("Result " + std::to_string(k) + " of "), std::string::npos);
    EXPECT_EQ(run.out.find("Result " + std::to_string(listed + 1) + " of "), std::string::npos);
    EXPECT_EQ(run.err.find("Processing"), std::string::npos);  // progress goes to a terminal only
    EXPECT_EQ(run.out.find('\r'), std::string::npos);
    if (listed == 0) continue;
    for (const std::string& text : {first.gears[0] + " x " + first.gears[1], first.gears[6] + " x " + first.gears[7],
                                    first.status + "\n", first.feedError, first.leadLine, std::string("Index Error: None"),
                                    std::string("Feed Rate along Helix Angle: "), std::string("Feed Change-Gears:")})
      EXPECT_NE(run.out.find(text), std::string::npos) << text;
  }
}

TEST(Cli, CtrlCStopsTheRunAndPrintsWhatWasFound) {
  // Two gears of every tooth count with every shortcut off: a run of minutes, sure to
  // be still going when the signal comes.
  const std::string folder = freshFolder("stop"), sheet = folder + "/sheet.pdf";
  const pid_t pid = startCli({"--example", "--stock", std::string(kToothCountKinds, '2'), "--workers", "1", "--results",
                              "1", "--exact", "--sheet", sheet},
                             folder + "/out", folder + "/err");
  ASSERT_GT(pid, 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  ::kill(pid, SIGINT);
  EXPECT_EQ(waitFor(pid), 3);
  EXPECT_EQ(bytesOf(folder + "/out").rfind("Stopped early: ", 0), 0u) << bytesOf(folder + "/out").substr(0, 200);
  EXPECT_EQ(bytesOf(folder + "/err"),
            "hobwise-solve: stopped; the results found so far follow\n"
            "hobwise-solve: --sheet: the run was stopped before its end, so no sheet was written\n");
  EXPECT_FALSE(std::filesystem::exists(sheet));
  std::filesystem::remove_all(folder);
}

// Two Ctrl+C in quick succession (or Ctrl+C, then SIGTERM) at any moment of a --sheet
// run: the sheet is whole or not there, and no temporary file is left beside it.
TEST(Cli, TwoCtrlCAtAnyMomentLeaveAWholeSheetOrNone) {
  const std::string folder = freshFolder("interrupt"), sheet = folder + "/sheet.pdf", out = folder + ".out";
  // The program ends at once while the run's threads still work, on purpose: not the
  // leak a thread-sanitizer build would report.
  const char* tsan = std::getenv("TSAN_OPTIONS");
  const bool hadTsan = tsan != nullptr;
  const std::string tsanBefore = hadTsan ? tsan : "";
  ::setenv("TSAN_OPTIONS", (tsanBefore + " report_thread_leaks=0").c_str(), 1);
  std::mt19937 random(20240607);
  std::map<int, int> ends;  // exit status (or -signal): how often
  int whole = 0;
  for (int round = 0; round < 200; ++round) {
    const pid_t pid = startCli({"--example", "--stock", smallStock(), "--results", "0", "--sheet", sheet}, out, out);
    ASSERT_GT(pid, 0);
    ::usleep(std::uniform_int_distribution<unsigned>(0, 60000)(random));
    ::kill(pid, SIGINT);
    ::usleep(std::uniform_int_distribution<unsigned>(0, 2000)(random));
    ::kill(pid, round % 4 == 3 ? SIGTERM : SIGINT);
    ++ends[waitFor(pid)];
    const std::string pdf = bytesOf(sheet);
    const std::set<std::string> left = entries(folder);
    ASSERT_TRUE(left.empty() || left == std::set<std::string>{sheet}) << "round " << round << ": " << left.size() << " files";
    ASSERT_TRUE(pdf.empty() || (pdf.starts_with("%PDF-") && pdf.ends_with("%%EOF\n"))) << "round " << round;
    whole += !pdf.empty();
    std::filesystem::remove(sheet);
  }
  std::printf("%d whole sheets in 200 rounds; exit statuses:", whole);
  for (auto [status, count] : ends) std::printf(" %d (%d times)", status, count);
  std::printf("\n");
  for (auto [status, count] : ends)
    EXPECT_TRUE(status == 0 || status == 3 || status == 130 || status == 143 || status == -SIGINT || status == -SIGTERM)
        << status;
  std::filesystem::remove_all(folder);
  std::filesystem::remove(out);
  hadTsan ? ::setenv("TSAN_OPTIONS", tsanBefore.c_str(), 1) : ::unsetenv("TSAN_OPTIONS");
}

// File names are the bytes the system gives: a Latin-1 name is read and written as it
// is; what is no file is refused at once, never waited on.
TEST(Cli, FileNamesAreTakenAsTheSystemGivesThem) {
  const std::string folder = freshFolder("names"), stock = folder + "/lat\xe9.txt", sheet = folder + "/lat\xe9.pdf";
  const std::string fifo = folder + "/fifo";
  ASSERT_EQ(writeStockFile(stock, GearStock::fromText(smallStock())), "");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const CliRun written = solveCli(with(kJob, {"--stock-file", stock, "--sheet", sheet}));
  EXPECT_EQ(written.status, 0) << written.err;
  EXPECT_TRUE(written.out.ends_with("written to \"" + folder + "/lat\\xE9.pdf\"\n")) << written.out;
  EXPECT_EQ(bytesOf(sheet).substr(0, 5), "%PDF-");
  const std::string quotedFifo = "\"" + folder + "/fifo\"";
  for (auto [option, says] : {std::pair{"--stock-file", "cannot read " + quotedFifo + ": it is a pipe, not a file"},
                              {"--sheet", "cannot write " + quotedFifo + ": it is a pipe, not a file"},
                              {"--sheet", "cannot write \"/dev/full\": it is a device, not a file"}}) {
    const CliRun run = solveCli(with(kJob, {option, says.find("full") != std::string::npos ? "/dev/full" : fifo}));
    EXPECT_EQ(run.status, 2) << says;
    EXPECT_EQ(run.out + run.err, std::string("hobwise-solve: ") + option + ": " + says + "\n");
  }
  EXPECT_EQ(entries(folder), (std::set<std::string>{stock, sheet, fifo}));
  std::filesystem::remove_all(folder);
}

// --suggest N --json: the advisor's report, each best result an entry like those of "results".
TEST(Cli, SuggestionsAsTheAdvisorGivesThem) {
  GearStock stock;
  for (int t = 20; t <= 110; t += 5) stock.setCount(t, 1);
  const std::vector<std::string> climbCut = {"--index-constant", "30", "--feed-constant", "0.0625", "--feed-rate", ".04",
                                             "--helix-angle", "31", "--pitch", "8", "--teeth", "47", "--setup", "1"};
  // The advisor's own threads before the program is started: a thread-sanitizer run loses
  // track of memory shared with a child that Qt starts.
  JobInputs in = exampleJobInputs();
  std::tie(in.feedRate, in.helixAngle, in.teeth, in.setupIndex) = std::tuple(".04", "31", "47", 1);
  SolveOptions options;
  options.processors = 2;
  const AdvisorReport report = advise(in, stock, options);
  const CliRun run = solveCli(with(climbCut, {"--stock", stock.toText(), "--suggest", "3", "--json"}));
  ASSERT_EQ(run.status, 0) << run.err;
  const QJsonObject root = parseJson(run.out);

  ASSERT_TRUE(report.nowBest && report.suggestions.size() > 3) << "a job with results now and more than 3 suggestions";
  const QJsonObject now = root.value("now").toObject();
  EXPECT_EQ(now.value("count").toInt(), static_cast<int>(report.nowCount));
  EXPECT_EQ(now.value("best").toObject().value("feedError").toString().toStdString(),
            resultTextsForJob(in, *report.nowBest).feedError);
  EXPECT_EQ(root.value("tried").toInt(), kToothCountKinds);
  const QJsonArray suggestions = root.value("suggestions").toArray();
  ASSERT_EQ(suggestions.size(), 3);
  for (int k = 0; k < 3; ++k) {
    const QJsonObject s = suggestions[k].toObject();
    const Suggestion& expected = report.suggestions[static_cast<std::size_t>(k)];
    const ResultTexts t = resultTextsForJob(in, expected.best);
    EXPECT_EQ(s.value("add").toInt(), expected.add) << k;
    EXPECT_EQ(s.value("count").toInt(), static_cast<int>(expected.count)) << k;
    const QJsonObject best = s.value("best").toObject();
    EXPECT_EQ(best.keys(), now.value("best").toObject().keys()) << k;
    EXPECT_EQ(best.value("index").toArray().first().toInt(), std::stoi(t.gears[0])) << k;
    EXPECT_EQ(best.value("feedError").toString().toStdString(), t.feedError) << k;
    EXPECT_EQ(best.value("leadLine").toString().toStdString(), t.leadLine) << k;
  }
}

// The stage counts: always in the JSON, and a last line of the listing when a run keeps
// fewer than 200 results.
TEST(Cli, StageCountsOfTheRun) {
  GearStock stock;
  for (int t = 20; t <= 110; t += 5) stock.setCount(t, 1);
  SolveOptions options;
  options.processors = 2;
  const StageCounts s = solve(exampleJobInputs(), stock, options).stages;
  ASSERT_LT(s.kept, 200u);
  const QJsonObject stages = parseJson(solveCli(with(kJob, {"--stock", stock.toText(), "--json"})).out)["stages"].toObject();
  const std::pair<const char*, std::size_t> expected[] = {{"indexTrains", s.indexTrains}, {"inStock", s.inStock},
                                                          {"cConstants", s.cConstants},   {"feedTrains", s.feedTrains},
                                                          {"feedTest", s.feedTest},       {"kept", s.kept}};
  EXPECT_EQ(stages.size(), 6);
  for (const auto& [key, count] : expected) EXPECT_EQ(stages[key].toInteger(), static_cast<qint64>(count)) << key;
  const std::string listing = solveCli(with(kJob, {"--stock", stock.toText()})).out;
  EXPECT_NE(listing.find("\nStages: " + std::to_string(s.indexTrains) + " index trains"), std::string::npos) << listing;
  EXPECT_TRUE(listing.ends_with(" " + std::to_string(s.kept) + " kept\n")) << listing;
  EXPECT_EQ(solveCli(with(kJob, {"--stock", smallStock()})).out.find("Stages: "), std::string::npos);
}

TEST(CliCheckTrainTest, ATrainIsCheckedAsTheListingAndTheJsonShowAResult) {
  // The first result of the small job, checked: the same entry and the same lines.
  const CliRun solved = solveCli(with(kJob, {"--stock", smallStock(), "--json"}));
  const QJsonObject first = parseJson(solved.out).value("results").toArray().at(0).toObject();
  const auto gears = [&first](const char* key) {
    std::string text;
    for (const QJsonValue gear : first.value(key).toArray()) text += (text.empty() ? "" : ",") + std::to_string(gear.toInt());
    return text;
  };
  const std::string train = gears("index") + ":" + gears("feed");
  const CliRun json = solveCli(with(kJob, {"--stock", smallStock(), "--json", "--check-train", train}));
  ASSERT_EQ(json.status, 0) << train << ": " << json.err;
  const QJsonObject checked = parseJson(json.out);
  EXPECT_EQ(checked.value("check").toObject(), first);
  EXPECT_EQ(checked.value("inStock"), QJsonValue(true));
  EXPECT_EQ(checked.value("notes"), QJsonValue(QJsonArray()));

  const auto pdf = std::filesystem::temp_directory_path() / ("hobwise_check_" + std::to_string(::getpid()) + ".pdf");
  const CliRun listed = solveCli(with(kJob, {"--stock", smallStock(), "--results", "1"}));
  const CliRun check = solveCli(with(kJob, {"--stock", smallStock(), "--check-train", train, "--sheet", pdf.string()}));
  ASSERT_EQ(check.status, 0) << check.err;
  const std::string block = listed.out.substr(listed.out.find('\n', listed.out.find("Result 1 of ")) + 1);
  EXPECT_EQ(check.out.rfind("Checked train\n" + block + "\nIn stock, and within every limit of a run.\n", 0), 0u)
      << check.out;
  QFile file(QString::fromStdString(pdf.string()));
  EXPECT_TRUE(file.open(QIODevice::ReadOnly) && file.read(5) == "%PDF-");
  std::filesystem::remove(pdf);

  // Refused: bad tooth counts, and what picks, lists or runs found results.
  const struct { std::vector<std::string> more; const char* message; } refused[] = {
      {{"--check-train", "15," + train.substr(train.find(',') + 1)}, "--check-train: index upper left: 15 teeth is outside 16 to 169"},
      {{"--check-train", train.substr(0, train.rfind(',') + 1) + "x"}, "--check-train: feed lower right: \""},
      {{"--check-train", "40,40,40,40"}, "--check-train: expects A,B,C,D:E,F,G,H"},
      {{"--check-train", train, "--sheet", pdf.string(), "--result", "1"}, "--result: picks a found result"},
      {{"--check-train", train, "--results", "3"}, "--results: lists found results"},
      {{"--check-train", train, "--workers", "2"}, "--workers: the workers of a search"}};
  for (const auto& c : refused) {
    const CliRun run = solveCli(with(kJob, c.more));
    EXPECT_EQ(run.status, 2) << c.message;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "") << c.message;
  }
  EXPECT_FALSE(std::filesystem::exists(pdf));
}

TEST(Cli, StockFileAndCsvAgreeWithStockDigitsAndTheTableRows) {
  const std::string good = std::filesystem::temp_directory_path() / ("hobwise_stock_" + std::to_string(::getpid()));
  const std::string bad = good + ".bad";
  ASSERT_EQ(writeStockFile(good, GearStock::fromText(smallStock())), "");
  std::ofstream(bad) << "30 1\n31 9\n";
  const CliRun csv = solveCli(with(kJob, {"--stock-file", good, "--csv"}));
  ASSERT_EQ(csv.status, 0) << csv.err;
  EXPECT_EQ(csv.out, csvText(resultRows(exampleJobInputs(), solve(exampleJobInputs(), GearStock::fromText(smallStock()), {}).results)));
  EXPECT_EQ(solveCli(with(kJob, {"--stock-file", good, "--json"})).out, solveCli(with(kJob, {"--stock", smallStock(), "--json"})).out);
  for (auto [more, message] : {std::pair{std::vector<std::string>{"--stock-file", bad}, "--stock-file: \"" + bad + "\", line 2: the count 9"},
                               {{"--stock-file", good, "--stock", smallStock()}, "--stock and --stock-file: use one"},
                               {{"--csv", "--json"}, "--json and --csv: use one"}}) {
    const CliRun run = solveCli(with(kJob, more));
    EXPECT_TRUE(run.status == 2 && run.out.empty() && run.err.find(message) != std::string::npos) << run.err;
  }
  std::filesystem::remove(good);
  std::filesystem::remove(bad);
}

}  // namespace
}  // namespace hobwise
