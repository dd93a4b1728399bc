// The engine's JavaScript face: every call the page and the node program make into
// the C++ engine, with plain JavaScript objects in and out (no C++ class reaches
// JavaScript), so that the page does not depend on how the engine is laid out.
//
// Objects used by several calls:
//   job      {indexConstant, feedConstant, helixAngle, normalPitch, feedRate,
//             hobThreads, teeth, setupIndex}: the fields' texts as typed, the set-up
//             item as a number (-1: none)
//   options  {wholeOnly, finiteOnly, bypassDuplicates, exact}: booleans
//   stock    the gear stock text: 154 digits 0 to 7, tooth counts 16 to 169
//   texts    {gears: [8 texts: index upper left, upper right, lower left, lower right,
//             then the feed train the same], status, indexError, feedError, feedLine,
//             leadLine, row: [the results table's columns]}
#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <string>
#include <utility>
#include <vector>

#include "model/gear_stock.h"
#include "model/input_ranges.h"
#include "model/job.h"
#include "model/stock_file.h"
#include "model/text_value.h"
#include "report/sheet.h"
#include "results/result_rows.h"
#include "results/results.h"
#include "results/train_check.h"
#include "solver/advisor.h"
#include "solver/solver.h"

using emscripten::val;

namespace hobwise {
namespace {

// ------------------------------------------------------------ JavaScript to C++

std::string textOf(const val& object, const char* key) {
  const val value = object[key];
  if (value.isUndefined() || value.isNull()) return {};
  return val::global("String")(value).as<std::string>();
}

bool flagOf(const val& object, const char* key) { return object[key].as<bool>(); }

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

SolveOptions optionsOf(const val& options) {
  SolveOptions o;
  if (options.isUndefined() || options.isNull()) return o;
  o.wholeOnly = flagOf(options, "wholeOnly");
  o.finiteOnly = flagOf(options, "finiteOnly");
  o.bypassDuplicates = flagOf(options, "bypassDuplicates");
  o.exact = flagOf(options, "exact");
  o.processors = 1;  // one engine per worker; the page runs the workers
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
  out.set("row", arrayOf(resultRow(number, t)));
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

// ------------------------------------------------------------ the calls

// A whole solve run on the calling thread; onStatus(text) gets the progress texts.
val solveJob(const val& job, const std::string& stockText, const val& options, const val& onStatus) {
  const JobInputs in = jobOf(job);
  const GearStock stock = stockOf(stockText);
  const SolveOptions o = optionsOf(options);
  SolveCallbacks callbacks;
  if (onStatus.typeOf().as<std::string>() == "function")
    callbacks.status = [&onStatus](const std::string& text) { onStatus(val(text)); };
  const SolveReport report = solve(in, stock, o, callbacks);

  val results = val::array();
  for (std::size_t k = 0; k < report.results.size(); ++k)
    results.call<void>("push", textsObject(static_cast<int>(k + 1), resultTextsForJob(in, report.results[k])));
  val out = val::object();
  out.set("results", results);
  out.set("failed", report.failed);
  out.set("rangeSet", report.rangeSet);
  out.set("cConstantCount", static_cast<double>(report.cConstantCount));
  out.set("stages", stagesObject(report.stages));
  out.set("stoppedIn", std::string(stageName(report.stoppedIn)));
  out.set("whyNothing", whereTheSearchRanDry(report, stock, o));
  return out;
}

val geometry(const std::string& teeth, const std::string& normalPitch, const std::string& helixAngle) {
  const GeometryReadouts r = geometryReadouts(teeth, normalPitch, helixAngle);
  val out = val::object();
  out.set("pitchDiameter", r.pitchDiameter);
  out.set("outsideDiameter", r.outsideDiameter);
  return out;
}

// The reasons that keep Solve greyed, one a line; empty when Solve may run.
std::string solveBlocked(const val& job, bool running) {
  const JobInputs in = jobOf(job);
  SolveInputValues v;
  v.indexConstant = textToDouble(in.indexConstant);
  v.feedConstant = textToDouble(in.feedConstant);
  v.helixAngle = textToDouble(in.helixAngle);
  v.normalPitch = textToDouble(in.normalPitch);
  v.feedRate = textToDouble(in.feedRate);
  v.teethSelected = !in.teeth.empty();
  v.running = running;
  return solveBlockedText(v);
}

val resultColumnHeaders() { return arrayOf(kResultColumnHeaders); }

std::string csvOfRows(const val& rows) {
  std::vector<ResultRow> out;
  const unsigned n = rows["length"].as<unsigned>();
  for (unsigned r = 0; r < n; ++r) {
    ResultRow row;
    for (std::size_t c = 0; c < row.size(); ++c) row[c] = val::global("String")(rows[r][c]).as<std::string>();
    out.push_back(std::move(row));
  }
  return csvText(out);
}

// The set-up sheet of a result (or a checked train) laid out on width x height
// device units; measure(text) gives [width, height] of a text in the page font.
val sheetLayout(const val& job, const val& texts, int width, int height, const val& measure) {
  const SheetInputs inputs = sheetInputsFor(jobOf(job), textsOf(texts));
  const SheetLayout layout = layoutSheet(inputs, width, height, [&measure](const std::string& text) {
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

// A mounted train "A,B,C,D:E,F,G,H" checked against the job and the stock.
val checkMountedTrain(const val& job, const std::string& stockText, const val& options, const std::string& train) {
  val out = val::object();
  std::string error;
  const std::optional<MountedTeeth> teeth = parseMountedTrain(train, error);
  if (!teeth) {
    out.set("error", error);
    return out;
  }
  const std::optional<TrainCheck> check = checkTrain(jobOf(job), stockOf(stockText), optionsOf(options), *teeth);
  if (!check) {
    out.set("error", std::string("the job could not be evaluated (a field is no number)"));
    return out;
  }
  out.set("texts", textsObject(1, check->texts));
  out.set("inStock", check->inStock);
  val shortfalls = val::array();
  for (const StockShortfall& s : check->shortfalls) {
    val item = val::object();
    item.set("toothCount", s.toothCount);
    item.set("needed", s.needed);
    item.set("held", s.held);
    shortfalls.call<void>("push", item);
  }
  out.set("shortfalls", shortfalls);
  out.set("notes", arrayOf(check->notes));
  return out;
}

// Which one gear to buy: every addition tried with a whole run, on this thread.
val adviseJob(const val& job, const std::string& stockText, const val& options, const val& onProgress) {
  const JobInputs in = jobOf(job);
  AdvisorCallbacks callbacks;
  if (onProgress.typeOf().as<std::string>() == "function")
    callbacks.progress = [&onProgress](int tried, int candidates) { onProgress(val(tried), val(candidates)); };
  const AdvisorReport report = advise(in, stockOf(stockText), optionsOf(options), callbacks);
  val out = val::object();
  out.set("nowCount", static_cast<double>(report.nowCount));
  out.set("nowBest", report.nowBest ? textsObject(1, resultTextsForJob(in, *report.nowBest)) : val::null());
  val suggestions = val::array();
  for (const Suggestion& s : report.suggestions) {
    val item = val::object();
    item.set("add", s.add);
    item.set("count", static_cast<double>(s.count));
    item.set("best", textsObject(1, resultTextsForJob(in, s.best)));
    suggestions.call<void>("push", item);
  }
  out.set("suggestions", suggestions);
  out.set("candidates", report.candidates);
  out.set("tried", report.tried);
  out.set("stopped", report.stopped);
  out.set("failed", report.failed);
  return out;
}

// A stock file's text as a stock text, or the message that refuses it.
val parseStock(const std::string& fileText) {
  const StockFileResult parsed = parseStockFile(fileText);
  val out = val::object();
  if (const auto* stock = std::get_if<GearStock>(&parsed))
    out.set("stock", stock->toText());
  else
    out.set("error", std::get<std::string>(parsed));
  return out;
}

std::string stockFile(const std::string& stockText) { return stockFileText(stockOf(stockText)); }

bool validStockText(const std::string& text) { return GearStock::isValidText(text); }

std::string version() { return HOBWISE_VERSION; }

}  // namespace
}  // namespace hobwise

EMSCRIPTEN_BINDINGS(hobwise) {
  using namespace hobwise;
  emscripten::function("version", &version);
  emscripten::function("solve", &solveJob);
  emscripten::function("geometryReadouts", &geometry);
  emscripten::function("solveBlockedText", &solveBlocked);
  emscripten::function("resultColumnHeaders", &resultColumnHeaders);
  emscripten::function("csvText", &csvOfRows);
  emscripten::function("sheetLayout", &sheetLayout);
  emscripten::function("checkTrain", &checkMountedTrain);
  emscripten::function("advise", &adviseJob);
  emscripten::function("parseStockFile", &parseStock);
  emscripten::function("stockFileText", &stockFile);
  emscripten::function("isValidStockText", &validStockText);
  emscripten::function("defaultStockText", &defaultGearStockText);
}
