// The engine's JavaScript face: every call the page makes into the C++ engine, on the
// engine's public face (hobwise/*.h) only, with plain JavaScript objects in and out (no
// C++ class reaches JavaScript), so that the page does not depend on how the engine is
// laid out.
//
// Objects used by several calls:
//   job      {indexConstant, feedConstant, helixAngle, normalPitch, feedRate,
//             hobThreads, teeth, setupIndex}: the fields' texts as typed, the set-up
//             item as a number (-1: none)
//   options  {wholeOnly, finiteOnly, bypassDuplicates, exact}: booleans
//   stock    the gear stock text: 154 digits 0 to 7, tooth counts 16 to 169
//   texts    {gears: [8 texts: index upper left, upper right, lower left, lower right,
//             then the feed train the same], status, indexError, feedError, feedLine,
//             leadLine, row: [the results table's columns], indexGears, feedGears
//             (the trains as the table writes them)}
//   report   {results: [texts], failed, cConstantCount, stages: {indexTrains, inStock,
//             cConstants, feedTrains, feedTest, kept}, stoppedIn: '' | 'indexTrains' |
//             'cConstants' | 'feedTrains', whyNothing}
//
// A run in parts (the page's workers; each worker's instance keeps the plan and the
// advisor's additions of the run it works for):
//   planRun(job, stock, options, workers, onStatus(text), onStage(stage))
//       -> {text, pieces, cConstantCount, processors, failed}; the plan stays here
//   takePlan(text) -> true when this instance now holds the plan of that text
//   searchPiece(piece, onStarted()) -> the piece's partial as text
//   mergeRun(partialTexts, stopped, job, stock, options) -> report (of the plan here)
//   reportJson(planText, partialTexts, stopped, job) -> the text of hobwise-solve --json
//   progressText(counter, count, processors) -> the status line of the feed search
//   stoppedRunReport(stage, stock, options) -> report of a run stopped in its plan
// The advisor in parts:
//   adviceStart(job, stock, options) -> {text, additions, failed}
//   adviceTake(job, stock, options, startText) -> true when the additions are ready here
//   adviceOutcome(toothCount) -> the outcome as text
//   adviceReport(job, stock, startText | null, outcomeTexts) -> advice
//       {candidates, tried, full, stopped, failed, nowCount, nowBest: texts | null, nowFeedError,
//        suggestions: [{add, count, best: texts, nowFeedError, feedError, leadError}]}
//       (no start text: the advisor was stopped during its run on the stock as it is)
#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "hobwise/advisor.h"
#include "hobwise/check.h"
#include "hobwise/fields.h"
#include "hobwise/job.h"
#include "hobwise/json.h"
#include "hobwise/results.h"
#include "hobwise/run.h"
#include "hobwise/sheet.h"
#include "hobwise/stock.h"

using emscripten::val;

namespace hobwise {
namespace {

// ------------------------------------------------------------ JavaScript to C++

std::string textOf(const val& object, const char* key) {
  const val value = object[key];
  if (value.isUndefined() || value.isNull()) return {};
  return val::global("String")(value).as<std::string>();
}

bool flagOf(const val& object, const char* key) {
  const val value = object[key];
  return !value.isUndefined() && !value.isNull() && value.as<bool>();
}

JobInputs jobOf(const val& job) {
  JobInputs in;
  in.indexConstant = textOf(job, "indexConstant");
  in.feedConstant = textOf(job, "feedConstant");
  in.helixAngle = textOf(job, "helixAngle");
  in.normalPitch = textOf(job, "normalPitch");
  in.feedRate = textOf(job, "feedRate");
  in.hobThreads = textOf(job, "hobThreads");
  in.teeth = textOf(job, "teeth");
  const val setup = job["setupIndex"];
  in.setupIndex = setup.isNumber() ? setup.as<int>() : -1;
  return in;
}

// The options of a run in one instance (one thread); `processors`: the workers the
// plan's pieces are cut for.
SolveOptions optionsOf(const val& options, unsigned processors = 1) {
  SolveOptions o;
  if (!options.isUndefined() && !options.isNull()) {
    o.wholeOnly = flagOf(options, "wholeOnly");
    o.finiteOnly = flagOf(options, "finiteOnly");
    o.bypassDuplicates = flagOf(options, "bypassDuplicates");
    o.exact = flagOf(options, "exact");
  }
  o.processors = std::max(1u, processors);
  return o;
}

GearStock stockOf(const std::string& text) { return GearStock::fromText(text); }

ResultTexts textsOf(const val& texts) {
  ResultTexts t;
  const val gears = texts["gears"];
  for (std::size_t i = 0; i < t.gears.size(); ++i) t.gears[i] = val::global("String")(gears[i]).as<std::string>();
  t.status = textOf(texts, "status");
  t.indexError = textOf(texts, "indexError");
  t.feedError = textOf(texts, "feedError");
  t.feedLine = textOf(texts, "feedLine");
  t.leadLine = textOf(texts, "leadLine");
  return t;
}

std::vector<std::string> stringsOf(const val& array) {
  std::vector<std::string> out;
  const unsigned n = array["length"].as<unsigned>();
  out.reserve(n);
  for (unsigned i = 0; i < n; ++i) out.push_back(array[i].as<std::string>());
  return out;
}

// ------------------------------------------------------------ C++ to JavaScript

template <typename Range>
val arrayOf(const Range& items) {
  val out = val::array();
  for (const auto& item : items) out.call<void>("push", val(item));
  return out;
}

val textsObject(int number, const ResultTexts& t) {
  val out = val::object();
  out.set("gears", arrayOf(t.gears));
  out.set("status", t.status);
  out.set("indexError", t.indexError);
  out.set("feedError", t.feedError);
  out.set("feedLine", t.feedLine);
  out.set("leadLine", t.leadLine);
  const ResultRow row = resultRowOf(number, t);
  out.set("row", arrayOf(row));
  out.set("indexGears", row[kIndexGearsColumn]);
  out.set("feedGears", row[kFeedGearsColumn]);
  return out;
}

val stagesObject(const StageCounts& s) {
  val out = val::object();
  out.set("indexTrains", static_cast<double>(s.indexTrains));
  out.set("inStock", static_cast<double>(s.inStock));
  out.set("cConstants", static_cast<double>(s.cConstants));
  out.set("feedTrains", static_cast<double>(s.feedTrains));
  out.set("feedTest", static_cast<double>(s.feedTest));
  out.set("kept", static_cast<double>(s.kept));
  return out;
}

const char* stageName(SolveStage stage) {
  switch (stage) {
    case SolveStage::IndexTrains: return "indexTrains";
    case SolveStage::CConstants: return "cConstants";
    case SolveStage::FeedTrains: return "feedTrains";
    case SolveStage::None: break;
  }
  return "";
}

val reportObject(const JobInputs& in, const SolveReport& report, const GearStock& stock, const SolveOptions& o) {
  val results = val::array();
  for (std::size_t k = 0; k < report.results.size(); ++k)
    results.call<void>("push", textsObject(static_cast<int>(k + 1), resultTextsOf(in, report.results[k], o.exact)));
  val out = val::object();
  out.set("results", results);
  out.set("failed", report.failed);
  out.set("cConstantCount", static_cast<double>(report.cConstantCount));
  out.set("stages", stagesObject(report.stages));
  out.set("stoppedIn", std::string(stageName(report.stoppedIn)));
  out.set("whyNothing", whereTheSearchRanDry(report, stock, o));
  return out;
}

// ------------------------------------------------------------ the fields

val fieldRuleObject(int id) {
  const std::optional<FieldRule> rule = fieldRule(id);
  if (!rule) return val::null();
  val out = val::object();
  out.set("id", rule->id);
  out.set("label", rule->label);
  out.set("kind", std::string(rule->kind == FieldKind::kNumber ? "number"
                              : rule->kind == FieldKind::kCount ? "count"
                                                                : "list"));
  out.set("characters", std::string(rule->characters));
  out.set("limit", static_cast<double>(rule->limit));
  out.set("low", rule->low);
  out.set("high", rule->high);
  return out;
}

// What a number field does with a key: a character, or "Backspace" / "Delete".
val numberKey(const std::string& text, unsigned selStart, unsigned selEnd, const std::string& key) {
  char32_t code = 0;
  if (key == "Backspace") code = kBackspaceKey;
  else if (key == "Delete") code = kDeleteKey;
  else if (key.size() == 1) code = static_cast<unsigned char>(key[0]);
  else code = 0xFFFD;  // a character outside ASCII: no field takes it
  const KeyOutcome outcome = numberFieldKey(text, selStart, selEnd, code);
  val out = val::object();
  out.set("accepted", outcome.accepted);
  out.set("clearsResults", outcome.clearsResults);
  return out;
}

val editMenu(const std::string& text, unsigned selStart, unsigned selEnd, const val& clipboard) {
  const bool have = clipboard.isString();
  const EditMenuState state = editMenuState(text, selStart, selEnd, have ? clipboard.as<std::string>() : "", have);
  val out = val::object();
  out.set("copy", state.copyEnabled);
  out.set("paste", state.pasteEnabled);
  return out;
}

val setupItems() {
  val out = val::array();
  for (int i = 0; i < 8; ++i) {
    const SetupItem s = *setupItem(i);
    val item = val::object();
    item.set("hob", std::string(s.hob));
    item.set("gear", std::string(s.gear));
    item.set("cut", std::string(s.cut));
    item.set("sign", std::string(s.sign));
    item.set("work", std::string(s.work));
    item.set("indexStuds", s.indexStuds);
    item.set("feedStuds", s.feedStuds);
    out.call<void>("push", item);
  }
  return out;
}

val setupHeaders() {
  val out = val::object();
  out.set("columns", arrayOf(std::vector<std::string>(std::begin(kSetupColumnHeaders), std::end(kSetupColumnHeaders))));
  out.set("studs", std::string(kSetupStudsHeader));
  return out;
}

// Whether Solve may go for the job as the fields hold it, and why not, one line per
// reason (the empty text when it may).
val solveState(const val& job, bool running) {
  const JobInputs in = jobOf(job);
  SolveInputValues v;
  v.indexConstant = solveValueOf(2001, in.indexConstant);
  v.feedConstant = solveValueOf(2002, in.feedConstant);
  v.helixAngle = solveValueOf(2004, in.helixAngle);
  v.normalPitch = solveValueOf(2006, in.normalPitch);
  v.feedRate = solveValueOf(2007, in.feedRate);
  v.teethSelected = !in.teeth.empty();
  v.running = running;
  val out = val::object();
  out.set("allowed", solveAllowed(v));
  out.set("reasons", solveBlockedText(v));
  return out;
}

val geometry(const std::string& teeth, const std::string& normalPitch, const std::string& helixAngle) {
  const GeometryReadouts r = geometryReadoutsOf(teeth, normalPitch, helixAngle);
  val out = val::object();
  out.set("pitchDiameter", r.pitchDiameter);
  out.set("outsideDiameter", r.outsideDiameter);
  return out;
}

// ------------------------------------------------------------ results, sheet, files

val resultColumnHeaders() { return arrayOf(kResultColumnHeaders); }

std::string csvOfRows(const val& rows) {
  std::vector<ResultRow> out;
  const unsigned n = rows["length"].as<unsigned>();
  for (unsigned r = 0; r < n; ++r) {
    ResultRow row;
    for (std::size_t c = 0; c < row.size(); ++c) row[c] = val::global("String")(rows[r][c]).as<std::string>();
    out.push_back(std::move(row));
  }
  return resultsCsv(out);
}

// The set-up sheet of a result (or a checked train) laid out on width x height device
// units; measure(text) gives [width, height] of a text in the page font.
val sheetLayout(const val& job, const val& texts, int width, int height, const val& measure) {
  const SheetInputs inputs = sheetInputsOf(jobOf(job), textsOf(texts));
  const SheetLayout layout = sheetLayoutOf(inputs, width, height, [&measure](const std::string& text) {
    const val size = measure(val(text));
    return std::pair<int, int>(size[0].as<int>(), size[1].as<int>());
  });
  val lines = val::array();
  for (const SheetText& t : layout.texts) {
    val line = val::object();
    line.set("x", t.x);
    line.set("y", t.y);
    line.set("text", t.text);
    lines.call<void>("push", line);
  }
  val bars = val::array();
  for (const SheetBar& b : layout.bars) {
    val bar = val::object();
    bar.set("x1", b.x1);
    bar.set("y1", b.y1);
    bar.set("x2", b.x2);
    bar.set("y2", b.y2);
    bars.call<void>("push", bar);
  }
  val out = val::object();
  out.set("fontHeight", layout.fontHeight);
  out.set("texts", lines);
  out.set("bars", bars);
  return out;
}

// A mounted train "A,B,C,D:E,F,G,H" checked against the job and the stock: {texts,
// inStock, summary: [lines]}, {error} for a train that is none, or {unjudged: true}.
val trainCheck(const val& job, const std::string& stockText, const val& options, const std::string& train) {
  val out = val::object();
  std::string error;
  const std::optional<MountedTeeth> teeth = mountedTrainOf(train, error);
  if (!teeth) {
    out.set("error", error);
    return out;
  }
  const std::optional<TrainCheck> check = checkMountedTrain(jobOf(job), stockOf(stockText), optionsOf(options), *teeth);
  if (!check) {
    out.set("unjudged", true);  // a field that must be a number is none
    return out;
  }
  out.set("texts", textsObject(1, check->texts));
  out.set("inStock", check->inStock);
  out.set("summary", arrayOf(checkSummaryLines(*check)));
  return out;
}

// A stock file's bytes (a Uint8Array) read: {stock} or {error: "line N: why"}.
val stockFromBytes(const std::string& bytes) {
  const StockFileResult parsed = parseStockText(bytes);
  val out = val::object();
  if (const auto* stock = std::get_if<GearStock>(&parsed))
    out.set("stock", stock->toText());
  else
    out.set("error", std::get<std::string>(parsed));
  return out;
}

std::string stockFileOf(const std::string& stockText) { return stockFileTextOf(stockOf(stockText)); }

bool isValidStockText(const std::string& text) { return GearStock::isValidText(text); }

std::string defaultStock() { return defaultStockText(); }

std::string version() { return HOBWISE_VERSION; }

// ------------------------------------------------------------ a run in parts

std::optional<RunPlan> gPlan;  // the plan of the run this instance works for

val planOn(const val& job, const std::string& stockText, const val& options, unsigned workers, const val& onStatus,
           const val& onStage) {
  SolveCallbacks callbacks;
  if (onStatus.typeOf().as<std::string>() == "function")
    callbacks.status = [&onStatus](const std::string& text) { onStatus(val(text)); };
  if (onStage.typeOf().as<std::string>() == "function")
    callbacks.stageStarted = [&onStage](SolveStage stage) { onStage(val(std::string(stageName(stage)))); };
  gPlan = planRun(jobOf(job), stockOf(stockText), optionsOf(options, workers), callbacks);
  val out = val::object();
  if (!gPlan) {
    out.set("failed", true);
    return out;
  }
  val pieces = val::array();
  for (const WorkRange& piece : gPlan->pieces()) pieces.call<void>("push", static_cast<double>(piece.size()));
  out.set("text", gPlan->workerText());
  out.set("pieces", pieces);
  out.set("cConstantCount", static_cast<double>(gPlan->cConstantCount()));
  out.set("processors", gPlan->processors());
  out.set("failed", gPlan->failed());
  return out;
}

bool takePlan(const std::string& text) {
  gPlan = planFromText(text);
  return gPlan.has_value();
}

std::string searchPieceOf(unsigned piece, const val& onStarted) {
  if (!gPlan) return {};
  const bool report = onStarted.typeOf().as<std::string>() == "function";
  const std::optional<RunPartial> partial = searchPiece(*gPlan, piece, [&] {
    if (report) onStarted();
  });
  return partial ? partial->toText() : std::string();
}

// The partials from their texts; nothing when one of them is none (a worker failed).
std::optional<std::vector<RunPartial>> partialsOf(const val& texts) {
  std::vector<RunPartial> partials;
  for (const std::string& text : stringsOf(texts)) {
    std::optional<RunPartial> partial = RunPartial::fromText(text);
    if (!partial) return std::nullopt;
    partials.push_back(std::move(*partial));
  }
  return partials;
}

SolveReport mergeHere(const RunPlan& plan, const val& partialTexts, bool stopped) {
  const std::optional<std::vector<RunPartial>> partials = partialsOf(partialTexts);
  if (!partials) return SolveReport{.failed = true};
  return mergeRun(plan, *partials, stopped);
}

val mergeOn(const val& partialTexts, bool stopped, const val& job, const std::string& stockText, const val& options) {
  const JobInputs in = jobOf(job);
  const SolveReport report = gPlan ? mergeHere(*gPlan, partialTexts, stopped) : SolveReport{.failed = true};
  return reportObject(in, report, stockOf(stockText), optionsOf(options));
}

std::string reportJsonOf(const std::string& planText, const val& partialTexts, bool stopped, const val& job) {
  const std::optional<RunPlan> plan = planFromText(planText);
  const SolveReport report = plan ? mergeHere(*plan, partialTexts, stopped) : SolveReport{.failed = true};
  return reportJson(jobOf(job), report);
}

std::string progressTextOf(unsigned counter, double count, unsigned processors) {
  return runProgressText(counter, static_cast<std::size_t>(count), processors);
}

val stoppedRunReport(const std::string& stage, const std::string& stockText, const val& options) {
  SolveReport report;
  report.stoppedIn = stage == "indexTrains" ? SolveStage::IndexTrains : SolveStage::CConstants;
  return reportObject(JobInputs{}, report, stockOf(stockText), optionsOf(options));
}

// ------------------------------------------------------------ the advisor in parts

std::unique_ptr<AdvisorAdditions> gAdditions;  // of the advisor this instance works for

val adviceStart(const val& job, const std::string& stockText, const val& options) {
  const AdvisorStart start = startSuggestions(jobOf(job), stockOf(stockText), optionsOf(options));
  val out = val::object();
  out.set("text", startText(start));
  out.set("additions", arrayOf(start.additions));
  out.set("failed", start.failed);
  return out;
}

bool adviceTake(const val& job, const std::string& stockText, const val& options, const std::string& text) {
  gAdditions.reset();
  const std::optional<AdvisorStart> start = startFromText(text);
  if (!start) return false;
  gAdditions = std::make_unique<AdvisorAdditions>(jobOf(job), stockOf(stockText), optionsOf(options), *start);
  return true;
}

std::string adviceOutcome(int toothCount) {
  if (!gAdditions) return {};
  return outcomeText(gAdditions->outcomeOf(toothCount));
}

val adviceReport(const val& job, const std::string& stockText, const val& startTextValue, const val& outcomeTexts,
                 const val& options) {
  const JobInputs in = jobOf(job);
  const GearStock stock = stockOf(stockText);
  const bool exact = optionsOf(options).exact;
  std::optional<AdvisorStart> start;
  if (startTextValue.isString()) start = startFromText(startTextValue.as<std::string>());
  if (!start) {  // stopped during the run on the stock as it is
    start.emplace();
    start->additions = toothCountsToTry(stock);
    start->stopped = true;
  }
  std::vector<AdditionOutcome> outcomes;
  for (const std::string& text : stringsOf(outcomeTexts))
    if (std::optional<AdditionOutcome> outcome = outcomeFromText(text)) outcomes.push_back(std::move(*outcome));
  const AdvisorReport report = suggestionsFrom(*start, outcomes);

  val out = val::object();
  out.set("candidates", report.candidates);
  out.set("tried", report.tried);
  out.set("full", report.full);
  out.set("stopped", report.stopped);
  out.set("failed", report.failed);
  out.set("nowCount", static_cast<double>(report.nowCount));
  const std::optional<ResultTexts> now =
      report.nowBest ? std::optional(resultTextsOf(in, *report.nowBest, exact)) : std::nullopt;
  out.set("nowBest", now ? textsObject(1, *now) : val::null());
  out.set("nowFeedError", now ? resultRowOf(1, *now)[kFeedErrorColumn] : std::string());
  val suggestions = val::array();
  for (const Suggestion& s : report.suggestions) {
    const SuggestionFigures figures = figuresOf(in, report, s, exact);
    val item = val::object();
    item.set("add", s.add);
    item.set("count", static_cast<double>(s.count));
    item.set("best", textsObject(1, resultTextsOf(in, s.best, exact)));
    item.set("nowFeedError", figures.nowFeedError);
    item.set("feedError", figures.feedError);
    item.set("leadError", figures.leadError);
    suggestions.call<void>("push", item);
  }
  out.set("suggestions", suggestions);
  return out;
}

}  // namespace
}  // namespace hobwise

EMSCRIPTEN_BINDINGS(hobwise) {
  using namespace hobwise;
  using emscripten::function;
  function("version", &version);
  // The fields
  function("fieldRule", &fieldRuleObject);
  function("numberFieldKey", &numberKey);
  function("editMenuState", &editMenu);
  function("tabPartnerOf", &tabPartnerOf);
  function("setupItems", &setupItems);
  function("setupHeaders", &setupHeaders);
  function("solveState", &solveState);
  function("geometryReadouts", &geometry);
  // Results, sheet, stock files, the train check
  function("resultColumnHeaders", &resultColumnHeaders);
  function("csvText", &csvOfRows);
  function("sheetLayout", &sheetLayout);
  function("checkTrain", &trainCheck);
  function("parseStockFile", &stockFromBytes);
  function("stockFileText", &stockFileOf);
  function("isValidStockText", &isValidStockText);
  function("defaultStockText", &defaultStock);
  // A run in parts
  function("planRun", &planOn);
  function("takePlan", &takePlan);
  function("searchPiece", &searchPieceOf);
  function("mergeRun", &mergeOn);
  function("reportJson", &reportJsonOf);
  function("progressText", &progressTextOf);
  function("stoppedRunReport", &stoppedRunReport);
  // The advisor in parts
  function("adviceStart", &adviceStart);
  function("adviceTake", &adviceTake);
  function("adviceOutcome", &adviceOutcome);
  function("adviceReport", &adviceReport);
}
