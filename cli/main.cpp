// hobwise-solve: the change-gear solver on the command line. Same engine and same
// texts as the window; optionally the set-up sheet of one result as a PDF file.
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <map>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <QGuiApplication>
#include <QString>

#include "model/decfloat.h"
#include "model/gear_stock.h"
#include "model/job.h"
#include "model/text_value.h"
#include "report/sheet.h"
#include "report/sheet_painter.h"
#include "results/results.h"
#include "solver/solver.h"

namespace {

using namespace hobwise;

constexpr int kBadInput = 2;
constexpr unsigned kMaxWorkers = 256;

std::atomic<bool> gStop{false};
std::atomic<int> gInterrupts{0};

extern "C" void onInterrupt(int) {
  // The first Ctrl+C stops the run the way Escape does in the window; the second ends
  // the program at once.
  if (gInterrupts.fetch_add(1) >= 1) _exit(130);
  gStop.store(true);
}

const char* const kUsage =
    "Usage: hobwise-solve --index-constant TEXT --feed-constant TEXT --feed-rate TEXT\n"
    "                     --helix-angle TEXT --pitch TEXT --teeth N [options]\n"
    "       hobwise-solve --example [options]\n"
    "\n"
    "Finds four-gear index and feed change-gear trains from the gear stock for a helical\n"
    "gear cut without a differential, as the Solve button of the window does.\n"
    "\n"
    "Job (texts are taken as the window's fields hold them, cut to their length):\n"
    "  --index-constant TEXT   machine index constant, 0.5 to 1200 (6 characters)\n"
    "  --feed-constant TEXT    machine feed constant, 0 to 89.9 (33 characters)\n"
    "  --feed-rate TEXT        wanted feed per work revolution, 0 to 0.1 (10 characters;\n"
    "                          the more characters, the narrower the feed tolerance)\n"
    "  --helix-angle TEXT      helix angle in degrees, 0.0001 to 89.9 (33 characters)\n"
    "  --pitch TEXT            normal diametral pitch, 0.35 to 360 (33 characters)\n"
    "  --teeth N               number of teeth, 1 to 400\n"
    "  --hob-threads N         hob threads, 1 to 24 (default 1)\n"
    "  --setup N               set-up item 0 to 7 (default 0):\n"
    "                          0 RH hob, RH gear, conventional   1 RH hob, RH gear, climb\n"
    "                          2 RH hob, LH gear, conventional   3 RH hob, LH gear, climb\n"
    "                          4 LH hob, LH gear, conventional   5 LH hob, LH gear, climb\n"
    "                          6 LH hob, RH gear, conventional   7 LH hob, RH gear, climb\n"
    "  --example               the example job: index constant 30, feed constant 0.0625,\n"
    "                          feed rate .025, helix angle 23.5, pitch 8, 30 teeth\n"
    "                          (options given as well take precedence)\n"
    "\n"
    "Search:\n"
    "  --whole                 use whole C constants only\n"
    "  --finite                use finite C constants only\n"
    "  --bypass-duplicates     bypass the duplicates check of the gear stock\n"
    "  --stock DIGITS          gear stock: 154 digits 0 to 7, the count of each tooth count\n"
    "                          16 to 169 (default: one gear of each of 30 to 80 teeth)\n"
    "  --workers N             logical processors to use (default: all of them)\n"
    "  --exact                 turn every shortcut off (same results, slower)\n"
    "\n"
    "Output:\n"
    "  --results N             list the first N results (default 10)\n"
    "  --json                  all kept results as one JSON object on standard output\n"
    "  --sheet FILE.pdf        write the set-up sheet of one result to a PDF file\n"
    "  --result N              the result for --sheet, 1-based (default 1)\n"
    "  --help                  this text\n"
    "\n"
    "Ctrl+C stops the search and prints what was found so far; a second Ctrl+C ends at once.\n"
    "Bad input: a message on standard error and exit status 2.\n";

struct BadInput {
  std::string message;
};

[[noreturn]] void fail(const std::string& message) { throw BadInput{message}; }

struct Options {
  std::map<std::string, std::string> texts;  // the five job texts by option name
  std::optional<int> teeth;
  int hobThreads = 1;
  int setup = 0;
  bool whole = false;
  bool finite = false;
  bool bypassDuplicates = false;
  std::string stock;
  bool hasStock = false;
  unsigned workers = 0;  // 0: one per logical processor
  bool json = false;
  int results = 10;
  bool exact = false;
  bool example = false;
  bool help = false;
  std::string sheet;
  bool hasSheet = false;
  std::optional<int> result;
};

// A whole number in plain decimal digits within [low, high].
int wholeNumber(const std::string& option, const std::string& text, long long low, long long high,
                const std::string& what) {
  const std::string accepts = option + ": expects " + what + ", got \"" + text + "\"";
  if (text.empty() || text.size() > 9) fail(accepts);
  for (char ch : text)
    if (ch < '0' || ch > '9') fail(accepts);
  const long long value = std::stoll(text);
  if (value < low || value > high) fail(accepts);
  return static_cast<int>(value);
}

Options parseArguments(int argc, char** argv) {
  Options o;
  const std::vector<std::string> textOptions = {"--index-constant", "--feed-constant", "--feed-rate",
                                                "--helix-angle", "--pitch"};
  const std::vector<std::string> valueOptions = {"--teeth", "--hob-threads", "--setup", "--stock",
                                                 "--workers", "--results", "--sheet", "--result"};
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    std::optional<std::string> inlineValue;
    if (arg.rfind("--", 0) == 0) {
      if (const auto eq = arg.find('='); eq != std::string::npos) {
        inlineValue = arg.substr(eq + 1);
        arg = arg.substr(0, eq);
      }
    }
    const bool takesText = std::find(textOptions.begin(), textOptions.end(), arg) != textOptions.end();
    const bool takesValue = std::find(valueOptions.begin(), valueOptions.end(), arg) != valueOptions.end();
    if (takesText || takesValue) {
      std::string value;
      if (inlineValue) {
        value = *inlineValue;
      } else {
        if (i + 1 >= argc) fail(arg + ": missing value");
        value = argv[++i];
      }
      if (takesText) {
        o.texts[arg] = value;
      } else if (arg == "--teeth") {
        o.teeth = wholeNumber(arg, value, 1, 400, "a number of teeth from 1 to 400");
      } else if (arg == "--hob-threads") {
        o.hobThreads = wholeNumber(arg, value, 1, 24, "a number of hob threads from 1 to 24");
      } else if (arg == "--setup") {
        o.setup = wholeNumber(arg, value, 0, 7, "a set-up item from 0 to 7");
      } else if (arg == "--stock") {
        if (!GearStock::isValidText(value))
          fail("--stock: expects 154 digits 0 to 7 (the count of each tooth count 16 to 169), got " +
               std::to_string(value.size()) + " characters");
        o.stock = value;
        o.hasStock = true;
      } else if (arg == "--workers") {
        o.workers = static_cast<unsigned>(
            wholeNumber(arg, value, 1, kMaxWorkers, "a number of workers from 1 to " + std::to_string(kMaxWorkers)));
      } else if (arg == "--results") {
        o.results = wholeNumber(arg, value, 0, 100000, "a number of results to list, 0 or more");
      } else if (arg == "--sheet") {
        if (value.empty()) fail("--sheet: expects the name of the PDF file to write");
        o.sheet = value;
        o.hasSheet = true;
      } else if (arg == "--result") {
        o.result = wholeNumber(arg, value, 1, 100000, "a result number, 1 or more");
      }
      continue;
    }
    if (inlineValue) fail(arg + ": takes no value");
    if (arg == "--whole") o.whole = true;
    else if (arg == "--finite") o.finite = true;
    else if (arg == "--bypass-duplicates") o.bypassDuplicates = true;
    else if (arg == "--json") o.json = true;
    else if (arg == "--exact") o.exact = true;
    else if (arg == "--example") o.example = true;
    else if (arg == "--help" || arg == "-h") o.help = true;
    else fail("unknown option \"" + arg + "\" (see --help)");
  }
  return o;
}

struct TextRule {
  const char* option;
  std::size_t limit;
  double low, high;
  const char* what;
};

constexpr TextRule kTextRules[] = {
    {"--index-constant", kIndexConstantLimit, 0.5, 1200, "an index constant from 0.5 to 1200"},
    {"--feed-constant", kFeedConstantLimit, 0, 89.9, "a feed constant from 0 to 89.9"},
    {"--helix-angle", kHelixAngleLimit, 0.0001, 89.9, "a helix angle from 0.0001 to 89.9 degrees"},
    {"--pitch", kNormalPitchLimit, 0.35, 360, "a normal diametral pitch from 0.35 to 360"},
    {"--feed-rate", kFeedRateLimit, 0, 0.1, "a feed rate from 0 to 0.1"},
};

// The job as the window would hold it, checked as the Solve button checks it, and
// then for texts the engine cannot read as numbers.
JobInputs jobFrom(Options& o) {
  if (o.example) {
    const JobInputs example = exampleJobInputs();
    o.texts.emplace("--index-constant", example.indexConstant);
    o.texts.emplace("--feed-constant", example.feedConstant);
    o.texts.emplace("--feed-rate", example.feedRate);
    o.texts.emplace("--helix-angle", example.helixAngle);
    o.texts.emplace("--pitch", example.normalPitch);
    if (!o.teeth) o.teeth = textToInt(example.teeth);
  }
  for (const TextRule& rule : kTextRules) {
    if (!o.texts.count(rule.option)) fail(std::string(rule.option) + ": required (" + rule.what + ")");
  }
  if (!o.teeth) fail("--teeth: required (a number of teeth from 1 to 400)");
  if (o.whole && o.finite) fail("--whole and --finite: use one or the other, not both");
  if (o.result && !o.hasSheet) fail("--result: only with --sheet FILE.pdf");

  for (const TextRule& rule : kTextRules) {
    std::string& text = o.texts[rule.option];
    text = cutText(text, rule.limit);
    const double value = textToDouble(text);
    if (!(value >= rule.low && value <= rule.high))
      fail(std::string(rule.option) + ": expects " + rule.what + ", got \"" + text + "\"");
  }
  for (const TextRule& rule : kTextRules) {
    const std::string& text = o.texts[rule.option];
    if (!parseDecFloat(text))
      fail(std::string(rule.option) + ": \"" + text + "\" is no number (expects " + rule.what + ")");
  }

  JobInputs in;
  in.indexConstant = o.texts["--index-constant"];
  in.feedConstant = o.texts["--feed-constant"];
  in.feedRate = o.texts["--feed-rate"];
  in.helixAngle = o.texts["--helix-angle"];
  in.normalPitch = o.texts["--pitch"];
  in.hobThreads = std::to_string(o.hobThreads);
  in.teeth = std::to_string(*o.teeth);
  in.setupIndex = o.setup;
  return in;
}

std::string jsonString(const std::string& text) {
  std::string out = "\"";
  for (char ch : text) {
    switch (ch) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      case '\t': out += "\\t"; break;
      default:
        if (static_cast<unsigned char>(ch) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(static_cast<unsigned char>(ch)));
          out += escaped;
        } else {
          out += ch;
        }
    }
  }
  return out + "\"";
}

// The texts the window shows for one result; the result lines stay empty when the
// job cannot be evaluated.
ResultTexts textsOf(const JobInputs& in, const FoundResult& r) {
  const std::optional<ResultEvaluation> ev = EvaluateResult(in, r);
  if (ev) return resultTexts(r, *ev);
  ResultTexts t;
  t.gears = gearTexts(r);
  return t;
}

void printJson(const JobInputs& in, const SolveReport& report) {
  std::string out = "{\"count\": " + std::to_string(report.results.size()) + ", \"results\": [";
  for (std::size_t k = 0; k < report.results.size(); ++k) {
    const ResultTexts t = textsOf(in, report.results[k]);
    out += k == 0 ? "\n  " : ",\n  ";
    out += "{\"index\": [" + t.gears[0] + ", " + t.gears[1] + ", " + t.gears[2] + ", " + t.gears[3] + "], ";
    out += "\"feed\": [" + t.gears[4] + ", " + t.gears[5] + ", " + t.gears[6] + ", " + t.gears[7] + "], ";
    out += "\"c\": " + jsonString(t.status) + ", ";
    out += "\"feedError\": " + jsonString(t.feedError) + ", ";
    out += "\"feedLine\": " + jsonString(t.feedLine) + ", ";
    out += "\"leadLine\": " + jsonString(t.leadLine) + "}";
  }
  out += report.results.empty() ? "]}\n" : "\n]}\n";
  std::fputs(out.c_str(), stdout);
}

std::string padded(const std::string& text, std::size_t width) {
  return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

void printListing(const JobInputs& in, const SolveReport& report, int count, bool stopped) {
  std::ostringstream out;
  const std::size_t total = report.results.size();
  out << (stopped ? "Stopped early: " : "") << total << (total == 1 ? " result" : " results") << " from "
      << report.cConstantCount << (report.cConstantCount == 1 ? " C constant" : " C constants");
  if (total > 0 && static_cast<std::size_t>(count) < total) out << ", the first " << count << " shown";
  out << "\n";
  const std::size_t shown = std::min<std::size_t>(total, static_cast<std::size_t>(count));
  for (std::size_t k = 0; k < shown; ++k) {
    const ResultTexts t = textsOf(in, report.results[k]);
    out << "\nResult " << (k + 1) << " of " << total << "\n";
    const std::string indexTop = t.gears[0] + " x " + t.gears[1];
    const std::string indexBottom = t.gears[2] + " x " + t.gears[3];
    const std::string feedTop = t.gears[4] + " x " + t.gears[5];
    const std::string feedBottom = t.gears[6] + " x " + t.gears[7];
    const std::size_t width = std::max(indexTop.size(), indexBottom.size());
    const std::size_t feedWidth = std::max(feedTop.size(), feedBottom.size());
    out << "  Index Change-Gears: " << padded(indexTop, width) << "    Feed Change-Gears: " << feedTop << "\n";
    out << "                      " << std::string(width, '-') << "                       "
        << std::string(feedWidth, '-') << "\n";
    out << "                      " << padded(indexBottom, width) << "                       " << feedBottom << "\n";
    out << "  " << (t.status.empty() ? std::string("C: (no fraction below 10000)") : t.status) << "\n";
    out << "  " << t.indexError << "\n";
    out << "  " << t.feedError << "\n";
    std::string feedLine = t.feedLine;
    if (const auto br = feedLine.find("   \r\n"); br != std::string::npos) feedLine.replace(br, 5, "\n  ");
    out << "  " << feedLine << "\n";
    out << "  " << t.leadLine << "\n";
  }
  std::fputs(out.str().c_str(), stdout);
}

SheetInputs sheetInputsOf(const JobInputs& in, const FoundResult& r) {
  SheetInputs s;
  s.indexConstant = in.indexConstant;
  s.feedConstant = in.feedConstant;
  s.helixAngle = in.helixAngle;
  s.normalPitch = in.normalPitch;
  s.teeth = in.teeth;
  s.setupIndex = in.setupIndex;
  s.hobThreads = in.hobThreads;
  const GeometryReadouts readouts = geometryReadouts(in.teeth, in.normalPitch, in.helixAngle);
  s.pitchDiameter = readouts.pitchDiameter;
  s.outsideDiameter = readouts.outsideDiameter;
  const ResultTexts t = textsOf(in, r);
  s.leadLine = t.leadLine;
  s.feedLine = t.feedLine;
  s.status = t.status;
  s.feedErrorLine = t.feedError;
  s.gears = t.gears;
  return s;
}

int run(int argc, char** argv) {
  Options o = parseArguments(argc, argv);
  if (o.help) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  const JobInputs inputs = jobFrom(o);
  const GearStock stock = o.hasStock ? GearStock::fromText(o.stock) : GearStock::defaultStock();

  SolveOptions options;
  options.wholeOnly = o.whole;
  options.finiteOnly = o.finite;
  options.bypassDuplicates = o.bypassDuplicates;
  options.exact = o.exact;
  options.processors = o.workers != 0 ? o.workers : std::max(1u, std::thread::hardware_concurrency());
  setExactFractionSearch(o.exact);

  const bool progress = isatty(STDERR_FILENO) != 0;
  std::mutex progressLock;
  SolveCallbacks callbacks;
  callbacks.stop = &gStop;
  callbacks.status = [&](const std::string& text) {
    if (!progress) return;
    std::lock_guard lock(progressLock);
    std::fprintf(stderr, "\r\033[K%s", text.c_str());
    std::fflush(stderr);
  };

  struct sigaction action {};
  action.sa_handler = onInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);

  const SolveReport report = solve(inputs, stock, options, callbacks);
  if (progress) {
    std::lock_guard lock(progressLock);
    std::fputs("\r\033[K", stderr);
  }
  const bool stopped = gStop.load();
  if (stopped) std::fputs("hobwise-solve: stopped; the results found so far follow\n", stderr);
  if (report.failed) {
    std::fputs("hobwise-solve: the job could not be solved (a field is no number, or memory ran out)\n", stderr);
    return kBadInput;
  }

  if (o.json)
    printJson(inputs, report);
  else
    printListing(inputs, report, o.results, stopped);
  std::fflush(stdout);

  if (o.hasSheet) {
    const int number = o.result.value_or(1);
    if (static_cast<std::size_t>(number) > report.results.size()) {
      std::fprintf(stderr, "hobwise-solve: --result: there is no result %d (the job has %zu)\n", number,
                   report.results.size());
      return kBadInput;
    }
    const SheetInputs sheet = sheetInputsOf(inputs, report.results[static_cast<std::size_t>(number) - 1]);
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    int qtArgc = 1;
    char name[] = "hobwise-solve";
    char* qtArgv[] = {name, nullptr};
    QGuiApplication app(qtArgc, qtArgv);
    if (!writeSheetPdf(sheet, QString::fromLocal8Bit(o.sheet.c_str()))) {
      std::fprintf(stderr, "hobwise-solve: --sheet: cannot write \"%s\"\n", o.sheet.c_str());
      return 1;
    }
    if (!o.json) std::printf("\nSet-up sheet of result %d written to %s\n", number, o.sheet.c_str());
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return run(argc, argv);
  } catch (const BadInput& bad) {
    std::fprintf(stderr, "hobwise-solve: %s\n", bad.message.c_str());
    return kBadInput;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "hobwise-solve: %s\n", e.what());
    return 1;
  }
}
