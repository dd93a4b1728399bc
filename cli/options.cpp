#include "options.h"

#include <iterator>

#include "hobwise/fields.h"
#include "hobwise/files.h"
#include "option_parser.h"
#include "suggest.h"

namespace hobwise::cli {

const char* const kUsage =
    "Usage: hobwise-solve --index-constant TEXT --feed-constant TEXT --feed-rate TEXT --helix-angle TEXT --pitch TEXT --teeth N [options]\n"
    "  or:  hobwise-solve --example [options]\n"
    "  or:  hobwise-solve JOB --check-train A,B,C,D:E,F,G,H [--json] [--sheet FILE.pdf]\n"
    "  or:  hobwise-solve JOB --suggest [N] [--json]\n"
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
    "  --stock-file FILE       gear stock from a stock file as the window saves it: one\n"
    "                          line \"teeth count\" per tooth count, \"#\" comments\n"
    "  --workers N             logical processors to use (default: all of them)\n"
    "  --exact                 turn every shortcut off (same results, slower)\n"
    "\n"
    "Machine:\n"
    "  --machine FILE          a machine profile (JSON, as the window exports it; see the\n"
    "                          README): its index and feed constants stand where the job\n"
    "                          options give none (with --example: the example job on this\n"
    "                          machine), its stock where --stock and --stock-file give\n"
    "                          none; every result then says whether its trains mount\n"
    "                          (a line each in the listing, \"mount\" in --json)\n"
    "  --mountable             Mountable Trains Only: keep only results whose index and\n"
    "                          feed trains both mount on the machine (needs --machine)\n"
    "\n"
    "Output:\n"
    "  --results N             list the first N results (default 10); with --json or --csv\n"
    "                          only the first N of them (default: all; \"count\" stays the\n"
    "                          number of kept results)\n"
    "  --json                  all kept results as one JSON object on standard output,\n"
    "                          with \"stopped\": true when Ctrl+C ended the run early\n"
    "  --csv                   all kept results as CSV on standard output, as the window's\n"
    "                          results table exports them\n"
    "  --sheet FILE.pdf        write the set-up sheet of one result to a PDF file\n"
    "  --result N              the result for --sheet, 1-based (default 1)\n"
    "  --suggest [N]           the first N gears worth buying (default 10, at most 154):\n"
    "                          each tooth count 16 to 169 tried with one gear more in stock,\n"
    "                          listed when it beats the best result now (or finds one)\n"
    "  --check-train A,B,C,D:E,F,G,H\n"
    "                          check a mounted train instead of solving: its figures, the\n"
    "                          stock and why a run would not find it; the index gears, then\n"
    "                          the feed gears, each upper left, upper right, lower left,\n"
    "                          lower right (the order of \"index\" and \"feed\" of --json);\n"
    "                          with --sheet, the set-up sheet of the train\n"
    "  --help                  this text\n"
    "  --version               the program's version\n"
    "\n"
    "Ctrl+C stops the search (or the advisor) and prints what was found so far, with no\n"
    "sheet; a second Ctrl+C, or one outside a search, ends at once and leaves no file\n"
    "half-written. Options that do nothing together are refused; an option given twice\n"
    "takes its last value. Files are written whole or not at all.\n"
    "\n"
    "Exit status: 0 done; 2 bad input, a job that cannot be solved, or a file that cannot\n"
    "be read or written (a message on standard error says why); 3 stopped by Ctrl+C;\n"
    "130 ended by a second Ctrl+C; 1 anything else.\n";

namespace {

[[noreturn]] void fail(const std::string& message) { throw BadInput{message}; }

// A whole number in plain decimal digits within [low, high].
int wholeNumber(const std::string& option, const std::string& text, long long low, long long high,
                const std::string& what) {
  // Plain digits only: a sign ("+2", "-0") is refused as any other character is.
  const std::string accepts = option + ": expects " + what + ", got " + quoteText(text);
  if (text.empty() || text.size() > 9) fail(accepts);
  for (char ch : text)
    if (ch < '0' || ch > '9') fail(accepts);
  const long long value = std::stoll(text);
  if (value < low || value > high) fail(accepts);
  return static_cast<int>(value);
}

// One option: its long name and whether it takes a value, and what it does to the
// options, checking its value.
struct OptionRule {
  OptionShape shape;
  void (*apply)(Options& o, const std::string& value);
};

void jobText(Options& o, const char* option, const std::string& value) { o.texts[option] = value; }

// What is wrong with a --stock value of the right length: its first character that is
// no digit 0 to 7, and the tooth count it stands for.
std::string stockFault(const std::string& v) {
  if (v.size() != static_cast<std::size_t>(kToothCountKinds)) return "got " + std::to_string(v.size()) + " characters";
  std::size_t k = 0;
  while (k < v.size() && v[k] >= '0' && v[k] <= '7') ++k;
  return "got " + quoteText(v.substr(k, 1)) + " for " + std::to_string(kFirstToothCount + static_cast<int>(k)) + " teeth";
}

const OptionRule kOptionRules[] = {
    {{"index-constant", true}, [](Options& o, const std::string& v) { jobText(o, "--index-constant", v); }},
    {{"feed-constant", true}, [](Options& o, const std::string& v) { jobText(o, "--feed-constant", v); }},
    {{"feed-rate", true}, [](Options& o, const std::string& v) { jobText(o, "--feed-rate", v); }},
    {{"helix-angle", true}, [](Options& o, const std::string& v) { jobText(o, "--helix-angle", v); }},
    {{"pitch", true}, [](Options& o, const std::string& v) { jobText(o, "--pitch", v); }},
    {{"teeth", true},
     [](Options& o, const std::string& v) { o.teeth = wholeNumber("--teeth", v, 1, 400, "a number of teeth from 1 to 400"); }},
    {{"hob-threads", true},
     [](Options& o, const std::string& v) {
       o.hobThreads = wholeNumber("--hob-threads", v, 1, 24, "a number of hob threads from 1 to 24");
     }},
    {{"setup", true},
     [](Options& o, const std::string& v) { o.setup = wholeNumber("--setup", v, 0, 7, "a set-up item from 0 to 7"); }},
    {{"stock", true},
     [](Options& o, const std::string& v) {
       if (!GearStock::isValidText(v))
         fail("--stock: expects 154 digits 0 to 7 (the count of each tooth count 16 to 169), " + stockFault(v));
       o.stock = v;
     }},
    {{"stock-file", true}, [](Options& o, const std::string& v) { o.stockFile = v; }},
    {{"workers", true},
     [](Options& o, const std::string& v) {
       o.workers = static_cast<unsigned>(
           wholeNumber("--workers", v, 1, kMaxWorkers, "a number of workers from 1 to " + std::to_string(kMaxWorkers)));
     }},
    {{"results", true},
     [](Options& o, const std::string& v) {
       o.results = wholeNumber("--results", v, 0, 100000, "a number of results to list, 0 or more");
     }},
    {{"sheet", true},
     [](Options& o, const std::string& v) {
       if (v.empty()) fail("--sheet: expects the name of the PDF file to write");
       o.sheet = v;
     }},
    {{"check-train", true},
     [](Options& o, const std::string& v) {
       std::string error;
       o.checkTrain = parseMountedTrain(v, error);
       if (!o.checkTrain) fail("--check-train: " + error);
     }},
    {{"result", true},
     [](Options& o, const std::string& v) { o.result = wholeNumber("--result", v, 1, 100000, "a result number, 1 or more"); }},
    {{"suggest", true},
     [](Options& o, const std::string& v) {
       o.suggest = suggestionCount(v);
       if (!o.suggest) fail("--suggest: expects a number of suggestions from 1 to 154, got " + quoteText(v));
     }},
    {{"machine", true},
     [](Options& o, const std::string& v) {
       if (v.empty()) fail("--machine: expects the name of a machine profile file");
       o.machine = v;
     }},
    {{"mountable", false}, [](Options& o, const std::string&) { o.mountable = true; }},
    {{"whole", false}, [](Options& o, const std::string&) { o.whole = true; }},
    {{"finite", false}, [](Options& o, const std::string&) { o.finite = true; }},
    {{"bypass-duplicates", false}, [](Options& o, const std::string&) { o.bypassDuplicates = true; }},
    {{"json", false}, [](Options& o, const std::string&) { o.json = true; }},
    {{"csv", false}, [](Options& o, const std::string&) { o.csv = true; }},
    {{"exact", false}, [](Options& o, const std::string&) { o.exact = true; }},
    {{"example", false}, [](Options& o, const std::string&) { o.example = true; }},
    {{"help", false}, [](Options& o, const std::string&) { o.help = true; }},
    {{"version", false}, [](Options& o, const std::string&) { o.version = true; }},
};

// --suggest takes its number only when one follows: "--suggest" alone is
// "--suggest=10", "--suggest N" is "--suggest=N" (any word that is no long option).
std::vector<std::string> withSuggestCount(std::vector<std::string> args) {
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (args[i] != "--suggest") continue;
    const bool followed = i + 1 < args.size() && args[i + 1].substr(0, 2) != "--";
    std::string count = std::to_string(kDefaultSuggestions);
    if (followed) {
      count = args[i + 1];
      args.erase(args.begin() + static_cast<std::ptrdiff_t>(i) + 1);
    }
    args[i] = "--suggest=" + count;
  }
  return args;
}

// Options that would have no effect together, each refused naming the clash, in this
// order.
struct Clash {
  bool (*applies)(const Options& o);
  const char* message;
};

const Clash kClashes[] = {
    {[](const Options& o) { return o.whole && o.finite; }, "--whole and --finite: use one or the other, not both"},
    {[](const Options& o) { return o.result && !o.sheet; }, "--result: only with --sheet FILE.pdf"},
    {[](const Options& o) { return o.json && o.csv; }, "--json and --csv: use one or the other, not both"},
    {[](const Options& o) { return o.stock && o.stockFile; }, "--stock and --stock-file: use one or the other, not both"},
    // A check runs no search: what picks, lists or runs found results has no place.
    {[](const Options& o) { return o.checkTrain && o.result; },
     "--result: picks a found result; with --check-train the sheet is the checked train's"},
    {[](const Options& o) { return o.checkTrain && o.results; },
     "--results: lists found results; --check-train runs no search"},
    {[](const Options& o) { return o.checkTrain && o.workers != 0; },
     "--workers: the workers of a search; --check-train runs no search"},
    {[](const Options& o) { return o.checkTrain && o.csv; }, "--csv: lists found results; --check-train runs no search"},
    {[](const Options& o) { return o.suggest && o.checkTrain; },
     "--suggest: not with --check-train (a check runs no search)"},
    {[](const Options& o) { return o.suggest && o.sheet; },
     "--suggest: not with --sheet (the suggestions have no set-up sheet)"},
    // The suggestions are a report of several parts (the results now, each addition with
    // its result, the tooth counts tried, a stop) that no table of rows holds.
    {[](const Options& o) { return o.suggest && o.csv; },
     "--csv: not with --suggest (the suggestions come as a listing or as --json)"},
    {[](const Options& o) { return o.suggest && o.results; },
     "--results: not with --suggest (the N of --suggest N is the number of suggestions listed)"},
};

}  // namespace

Options parseOptions(const std::vector<std::string>& commandLine) {
  std::vector<OptionShape> shapes;
  for (const OptionRule& rule : kOptionRules) shapes.push_back(rule.shape);
  const ReadLine line = readCommandLine(withSuggestCount(commandLine), shapes);
  if (line.complaint) fail(*line.complaint);
  // Every option in the order of the command line; a later one overrides an earlier.
  Options o;
  for (const GivenOption& given : line.options) kOptionRules[given.shape].apply(o, given.value);
  return o;
}

// The five job texts, each checked by the rule of its field.
struct TextRule {
  const char* option;
  int field;
  const char* what;
};

constexpr TextRule kTextRules[] = {
    {"--index-constant", 2001, "an index constant from 0.5 to 1200"},
    {"--feed-constant", 2002, "a feed constant from 0 to 89.9"},
    {"--helix-angle", 2004, "a helix angle from 0.0001 to 89.9 degrees"},
    {"--pitch", 2006, "a normal diametral pitch from 0.35 to 360"},
    {"--feed-rate", 2007, "a feed rate from 0 to 0.1"},
};

JobInputs jobFrom(Options& o, const StockReader& readStock) {
  if (o.example) {
    const JobInputs example = exampleJob();
    o.texts.emplace("--index-constant", example.indexConstant);
    o.texts.emplace("--feed-constant", example.feedConstant);
    o.texts.emplace("--feed-rate", example.feedRate);
    o.texts.emplace("--helix-angle", example.helixAngle);
    o.texts.emplace("--pitch", example.normalPitch);
    if (!o.teeth) o.teeth = numberInText(example.teeth);
  }
  for (const TextRule& rule : kTextRules) {
    if (!o.texts.count(rule.option)) fail(std::string(rule.option) + ": required (" + rule.what + ")");
  }
  if (!o.teeth) fail("--teeth: required (a number of teeth from 1 to 400)");
  for (const Clash& clash : kClashes)
    if (clash.applies(o)) fail(clash.message);
  if (o.stockFile) {
    const StockFileResult read = readStock(*o.stockFile);
    if (const auto* message = std::get_if<std::string>(&read)) fail("--stock-file: " + *message);
    o.stock = std::get<GearStock>(read).toText();
  }
  for (const TextRule& rule : kTextRules) {
    const FieldRule field = *fieldRule(rule.field);
    std::string& text = o.texts[rule.option];
    text = text.substr(0, field.limit);
    const double value = valueOfText(text);
    if (!(value >= field.low && value <= field.high))
      fail(std::string(rule.option) + ": expects " + rule.what + ", got " + quoteText(text));
  }
  for (const TextRule& rule : kTextRules) {
    const std::string& text = o.texts[rule.option];
    if (!readsAsNumber(text))
      fail(std::string(rule.option) + ": " + quoteText(text) + " is not a number (expects " + rule.what + ")");
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

}  // namespace hobwise::cli
