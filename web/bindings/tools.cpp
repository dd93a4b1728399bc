// Results as the table and the files write them, the set-up sheet, stock files and the
// train check.
#include <emscripten/bind.h>

#include <utility>
#include <variant>

#include "hobwise/check.h"
#include "hobwise/sheet.h"
#include "values.h"

namespace hobwise::web {
namespace {

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

// The set-up sheet of a result (texts; with texts.mount.sheet, how its trains go on the
// machine) laid out on width x height device units; measure(text) gives [width,
// height] of a text in the page font.
val sheetLayout(const val& job, const val& texts, int width, int height, const val& measure) {
  SheetInputs inputs = sheetInputsOf(jobOf(job), textsOf(texts));
  const val mount = texts["mount"];
  if (!mount.isUndefined() && !mount.isNull() && mount["sheet"].isArray()) {
    const std::vector<std::string> lines = stringsOf(mount["sheet"]);
    for (std::size_t i = 0; i < inputs.mounts.size() && i < lines.size(); ++i) inputs.mounts[i] = lines[i];
  }
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

// A mounted train "A,B,C,D:E,F,G,H" checked against the job and the stock: {texts
// (with MOUNT on the options' machine), inStock, summary: [lines]}, {error} for a
// train that is none, or {unjudged: true}.
val trainCheck(const val& job, const std::string& stockText, const val& options, const std::string& train) {
  val out = val::object();
  std::string error;
  const std::optional<MountedTeeth> teeth = mountedTrainOf(train, error);
  if (!teeth) {
    out.set("error", error);
    return out;
  }
  const JobInputs in = jobOf(job);
  const std::optional<TrainCheck> check = checkMountedTrain(in, stockOf(stockText), optionsOf(options), *teeth);
  if (!check) {
    out.set("unjudged", true);  // a field that must be a number is none
    return out;
  }
  out.set("texts", textsObject(1, check->texts, machineOf(options), in, check->result));
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

}  // namespace
}  // namespace hobwise::web

EMSCRIPTEN_BINDINGS(hobwise_tools) {
  using namespace hobwise::web;
  using emscripten::function;
  function("version", &version);
  function("resultColumnHeaders", &resultColumnHeaders);
  function("csvText", &csvOfRows);
  function("sheetLayout", &sheetLayout);
  function("checkTrain", &trainCheck);
  function("parseStockFile", &stockFromBytes);
  function("stockFileText", &stockFileOf);
  function("isValidStockText", &isValidStockText);
  function("defaultStockText", &defaultStock);
}
