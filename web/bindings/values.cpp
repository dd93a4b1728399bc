#include "values.h"

#include <algorithm>
#include <variant>

#include "hobwise/json.h"

namespace hobwise::web {

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

std::optional<MachineProfile> machineOf(const val& options) {
  if (options.isUndefined() || options.isNull() || !options["machine"].isString()) return std::nullopt;
  MachineProfileResult read = parseMachineProfile(options["machine"].as<std::string>());
  if (auto* profile = std::get_if<MachineProfile>(&read)) return std::move(*profile);
  return std::nullopt;
}

SolveOptions optionsOf(const val& options, unsigned processors) {
  SolveOptions o;
  if (!options.isUndefined() && !options.isNull()) {
    o.wholeOnly = flagOf(options, "wholeOnly");
    o.finiteOnly = flagOf(options, "finiteOnly");
    o.bypassDuplicates = flagOf(options, "bypassDuplicates");
    o.exact = flagOf(options, "exact");
    if (flagOf(options, "mountable"))
      if (const std::optional<MachineProfile> machine = machineOf(options)) o.mountableOnly = mountQuadrantsOf(*machine);
  }
  o.processors = std::max(1u, processors);
  return o;
}

// ------------------------------------------------------------ C++ to JavaScript

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

val textsObject(int number, const ResultTexts& texts, const std::optional<MachineProfile>& machine,
                const JobInputs& job, const FoundResult& result) {
  val out = textsObject(number, texts);
  if (machine) out.set("mount", mountObject(*machine, job.setupIndex, result));
  return out;
}

val mountObject(const MachineProfile& machine, int setupIndex, const FoundResult& result) {
  const TrainsMount mount = mountOf(machine, setupIndex, result);
  SheetInputs sheet;
  addMountToSheet(sheet, mount, machine);
  val out = val::object();
  out.set("both", mount.both());
  out.set("cell", mountCell(mount));
  out.set("lines", arrayOf(mountLines(mount, machine)));
  out.set("sheet", arrayOf(sheet.mounts));
  out.set("json", mountJson(mount, machine));
  out.set("quadrants", quadrantsObject(machine, mount));
  return out;
}

namespace {

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

}  // namespace

const char* stageName(SolveStage stage) {
  switch (stage) {
    case SolveStage::IndexTrains: return "indexTrains";
    case SolveStage::CConstants: return "cConstants";
    case SolveStage::FeedTrains: return "feedTrains";
    case SolveStage::None: break;
  }
  return "";
}

namespace {

template <typename Range>
std::string jsonArray(const Range& texts) {
  std::string out = "[";
  for (const std::string& text : texts) out += (out.size() == 1 ? "" : ",") + jsonString(text);
  return out + "]";
}

// textsObject's object (without MOUNT) as JSON, its keys in the same order.
std::string textsJson(int number, const ResultTexts& t) {
  const ResultRow row = resultRowOf(number, t);
  return "{\"gears\":" + jsonArray(t.gears) + ",\"status\":" + jsonString(t.status) +
         ",\"indexError\":" + jsonString(t.indexError) + ",\"feedError\":" + jsonString(t.feedError) +
         ",\"feedLine\":" + jsonString(t.feedLine) + ",\"leadLine\":" + jsonString(t.leadLine) +
         ",\"row\":" + jsonArray(row) + ",\"indexGears\":" + jsonString(row[kIndexGearsColumn]) +
         ",\"feedGears\":" + jsonString(row[kFeedGearsColumn]) + "}";
}

}  // namespace

// The results' objects come from one JSON text: one call into JavaScript instead of
// some thirty for each of up to 200 results.
val reportObject(const JobInputs& in, const SolveReport& report, const GearStock& stock, const SolveOptions& o,
                 const std::optional<MachineProfile>& machine) {
  const std::vector<ResultTexts> texts = resultTextsOf(in, report.results, o.exact);
  std::string json = "[";
  for (std::size_t k = 0; k < texts.size(); ++k) json += (k == 0 ? "" : ",") + textsJson(static_cast<int>(k + 1), texts[k]);
  val results = val::global("JSON").call<val>("parse", json + "]");
  if (machine)
    for (std::size_t k = 0; k < texts.size(); ++k)
      results[k].set("mount", mountObject(*machine, in.setupIndex, report.results[k]));
  val out = val::object();
  out.set("results", results);
  out.set("failed", report.failed);
  out.set("cConstantCount", static_cast<double>(report.cConstantCount));
  out.set("stages", stagesObject(report.stages));
  out.set("stoppedIn", std::string(stageName(report.stoppedIn)));
  out.set("whyNothing", whereTheSearchRanDry(report, stock, o));
  return out;
}

}  // namespace hobwise::web
