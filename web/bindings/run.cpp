// A run and the advisor in parts, over the page's workers. Each worker's instance keeps
// the plan and the advisor's additions of the run it works for.
//
// A run in parts:
//   planRun(job, stock, options, workers, onStatus(text), onStage(stage))
//       -> {text, pieces, cConstantCount, processors, failed}; the plan stays here. Its
//       text carries the options, "Mountable Trains Only" included, so the workers
//       that take it search as this one would.
//   planUpToCConstants(job, stock, options, workers, onStatus, onStage) -> as planRun,
//       with {pending, indexTrains}: when pending, the plan up to its index trains,
//       whose C constants the workers that take its text share out:
//   cConstantsPiece(first, end) -> the C constants of index trains [first, end) as text
//   finishPlan(texts, withText) -> as planRun (the text only when asked): the whole plan
//       here, from the pieces' texts in order
//   takePlan(text) -> true when this instance now holds the plan of that text
//   searchPiece(piece, onStarted()) -> the piece's partial as text
//   mergeRun(partialTexts, stopped, job, stock, options) -> report (of the plan here)
//   reportJson(planText, partialTexts, stopped, job, options) -> the text of
//       hobwise-solve --json (with "mount" when the options name a machine)
//   progressText(counter, count, processors) -> the status line of the feed search
//   stoppedRunReport(stage, stock, options) -> report of a run stopped in its plan
// The advisor in parts:
//   adviceStart(job, stock, options) -> {text, additions, failed}
//   adviceTake(job, stock, options, startText) -> true when the additions are ready here
//   adviceOutcome(toothCount) -> the outcome as text
//   adviceReport(job, stock, startText | null, outcomeTexts, options) -> advice
//       {candidates, tried, full, stopped, failed, nowCount, nowBest: texts | null, nowFeedError,
//        suggestions: [{add, count, best: texts, nowFeedError, feedError, leadError}]}
//       (no start text: the advisor was stopped during its run on the stock as it is)
#include <emscripten/bind.h>

#include <memory>
#include <utility>

#include "hobwise/advisor.h"
#include "hobwise/json.h"
#include "values.h"

namespace hobwise::web {
namespace {

// ------------------------------------------------------------ a run in parts

std::optional<RunPlan> gPlan;  // the plan of the run this instance works for

// What the page needs of the plan held here (with `withText`, the text for the other
// workers).
val planObject(bool withText = true) {
  val out = val::object();
  if (!gPlan) {
    out.set("failed", true);
    return out;
  }
  val pieces = val::array();
  for (const WorkRange& piece : gPlan->pieces()) pieces.call<void>("push", static_cast<double>(piece.size()));
  if (withText) out.set("text", gPlan->workerText());
  out.set("pieces", pieces);
  out.set("cConstantCount", static_cast<double>(gPlan->cConstantCount()));
  out.set("processors", gPlan->processors());
  out.set("failed", gPlan->failed());
  out.set("pending", gPlan->cConstantsPending());
  out.set("indexTrains", static_cast<double>(gPlan->indexTrainCount()));
  return out;
}

SolveCallbacks callbacksOf(const val& onStatus, const val& onStage) {
  SolveCallbacks callbacks;
  if (onStatus.typeOf().as<std::string>() == "function")
    callbacks.status = [onStatus](const std::string& text) { onStatus(val(text)); };
  if (onStage.typeOf().as<std::string>() == "function")
    callbacks.stageStarted = [onStage](SolveStage stage) { onStage(val(std::string(stageName(stage)))); };
  return callbacks;
}

val planOn(const val& job, const std::string& stockText, const val& options, unsigned workers, const val& onStatus,
           const val& onStage) {
  gPlan = planRun(jobOf(job), stockOf(stockText), optionsOf(options, workers), callbacksOf(onStatus, onStage));
  return planObject();
}

val planUpToCConstantsOn(const val& job, const std::string& stockText, const val& options, unsigned workers,
                         const val& onStatus, const val& onStage) {
  gPlan = planUpToCConstants(jobOf(job), stockOf(stockText), optionsOf(options, workers),
                             callbacksOf(onStatus, onStage));
  return planObject();
}

std::string cConstantsPiece(double first, double end) {
  if (!gPlan || !(first >= 0 && end >= first)) return {};
  return cConstantsOf(*gPlan, static_cast<std::size_t>(first), static_cast<std::size_t>(end)).value_or("");
}

val finishPlan(const val& texts, bool withText) {
  if (gPlan && gPlan->cConstantsPending()) {
    const std::vector<std::string> pieces = stringsOf(texts);
    gPlan = planWithCConstants(*gPlan, pieces);
  } else {
    gPlan.reset();
  }
  return planObject(withText);
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
  return reportObject(in, report, stockOf(stockText), optionsOf(options), machineOf(options));
}

std::string reportJsonOf(const std::string& planText, const val& partialTexts, bool stopped, const val& job,
                         const val& options) {
  const std::optional<RunPlan> plan = planFromText(planText);
  const SolveReport report = plan ? mergeHere(*plan, partialTexts, stopped) : SolveReport{.failed = true};
  const std::optional<MachineProfile> machine = machineOf(options);
  return reportJson(jobOf(job), report, optionsOf(options).exact, kAllResults, machine ? &*machine : nullptr);
}

std::string progressTextOf(unsigned counter, double count, unsigned processors) {
  return runProgressText(counter, static_cast<std::size_t>(count), processors);
}

val stoppedRunReport(const std::string& stage, const std::string& stockText, const val& options) {
  SolveReport report;
  report.stoppedIn = stage == "indexTrains" ? SolveStage::IndexTrains : SolveStage::CConstants;
  return reportObject(JobInputs{}, report, stockOf(stockText), optionsOf(options), std::nullopt);
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

val suggestionObject(const JobInputs& in, const AdvisorReport& report, const Suggestion& s, bool exact,
                     const std::optional<MachineProfile>& machine) {
  const SuggestionFigures figures = figuresOf(in, report, s, exact);
  val item = val::object();
  item.set("add", s.add);
  item.set("count", static_cast<double>(s.count));
  item.set("best", textsObject(1, resultTextsOf(in, s.best, exact), machine, in, s.best));
  item.set("nowFeedError", figures.nowFeedError);
  item.set("feedError", figures.feedError);
  item.set("leadError", figures.leadError);
  return item;
}

val adviceReport(const val& job, const std::string& stockText, const val& startTextValue, const val& outcomeTexts,
                 const val& options) {
  const JobInputs in = jobOf(job);
  const GearStock stock = stockOf(stockText);
  const bool exact = optionsOf(options).exact;
  const std::optional<MachineProfile> machine = machineOf(options);
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
  out.set("nowBest", now ? textsObject(1, *now, machine, in, *report.nowBest) : val::null());
  out.set("nowFeedError", now ? resultRowOf(1, *now)[kFeedErrorColumn] : std::string());
  val suggestions = val::array();
  for (const Suggestion& s : report.suggestions)
    suggestions.call<void>("push", suggestionObject(in, report, s, exact, machine));
  out.set("suggestions", suggestions);
  return out;
}

}  // namespace
}  // namespace hobwise::web

EMSCRIPTEN_BINDINGS(hobwise_run) {
  using namespace hobwise::web;
  using emscripten::function;
  function("planRun", &planOn);
  function("planUpToCConstants", &planUpToCConstantsOn);
  function("cConstantsPiece", &cConstantsPiece);
  function("finishPlan", &finishPlan);
  function("takePlan", &takePlan);
  function("searchPiece", &searchPieceOf);
  function("mergeRun", &mergeOn);
  function("reportJson", &reportJsonOf);
  function("progressText", &progressTextOf);
  function("stoppedRunReport", &stoppedRunReport);
  function("adviceStart", &adviceStart);
  function("adviceTake", &adviceTake);
  function("adviceOutcome", &adviceOutcome);
  function("adviceReport", &adviceReport);
}
