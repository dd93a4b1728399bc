// The job's fields: their rules, what a key does, the Edit menu, the set-up list, when
// Solve may go and the geometry readouts.
#include <emscripten/bind.h>

#include "hobwise/fields.h"
#include "values.h"

namespace hobwise::web {
namespace {

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

}  // namespace
}  // namespace hobwise::web

EMSCRIPTEN_BINDINGS(hobwise_fields) {
  using namespace hobwise::web;
  using emscripten::function;
  function("fieldRule", &fieldRuleObject);
  function("numberFieldKey", &numberKey);
  function("editMenuState", &editMenu);
  function("tabPartnerOf", &hobwise::tabPartnerOf);
  function("setupItems", &setupItems);
  function("setupHeaders", &setupHeaders);
  function("solveState", &solveState);
  function("geometryReadouts", &geometry);
}
