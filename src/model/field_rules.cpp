#include "model/field_rules.h"

#include <array>

#include "model/gear_stock.h"
#include "model/job.h"
#include "model/text_value.h"

namespace hobwise {

namespace {

constexpr std::string_view kDecimal = "0123456789.";
constexpr std::string_view kDigits = "0123456789";

// Built on first use (the labels are strings), so that rules read while other files'
// constants are made are there.
const std::array<FieldRule, 8>& mainPageRules() {
  static const std::array<FieldRule, 8> rules = {{
      {2001, "Index Const:", FieldKind::kNumber, kDecimal, kIndexConstantLimit, 0.5, 1200},
      {2002, "Feed Const:", FieldKind::kNumber, kDecimal, kFeedConstantLimit, 0, 89.9},
      {2007, "Feed Rate:", FieldKind::kNumber, kDecimal, kFeedRateLimit, 0, 0.1},
      {2004, "Helix Angle:", FieldKind::kNumber, kDecimal, kHelixAngleLimit, 0.0001, 89.9},
      {2006, "Normal Diametral Pitch:", FieldKind::kNumber, kDecimal, kNormalPitchLimit, 0.35, 360},
      {3002, "Hob Threads:", FieldKind::kCount, kDigits, kHobThreadsLimit, 1, 24},
      {2003, "Number of Teeth:", FieldKind::kList, {}, 400, 1, 400},
      {2005, "", FieldKind::kList, {}, 8, 0, 7},
  }};
  return rules;
}

}  // namespace

std::span<const FieldRule> mainPageFieldRules() { return mainPageRules(); }

std::optional<FieldRule> fieldRule(int id) {
  for (const FieldRule& rule : mainPageRules())
    if (rule.id == id) return rule;
  if (id >= 5000 && id < 5000 + kToothCountKinds)
    return FieldRule{id, std::to_string(kFirstToothCount + id - 5000), FieldKind::kCount, "01234567", 1, 0,
                     kMaxGearCount};
  return std::nullopt;
}

int tabPartnerOf(int id) { return id == 2004 ? 2006 : id == 2006 ? 2004 : 0; }

KeyOutcome numberFieldKey(std::string_view text, std::size_t selStart, std::size_t selEnd, char32_t key) {
  if (key == kBackspaceKey || key == kDeleteKey) return {true, true};
  if (key >= '0' && key <= '9') return {true, true};
  if (key != '.') return {};  // letters, signs, blanks, Enter, control characters
  const std::string_view field = text.substr(0, 59);
  const std::string_view selected =
      selStart < selEnd && selStart < field.size() ? field.substr(selStart, selEnd - selStart) : std::string_view();
  // The point replaces a selection that holds the field's point.
  if (selected.find('.') != std::string_view::npos) return {true, false};
  if (field.find('.') == std::string_view::npos) return {true, true};
  return {};  // a second point
}

EditMenuState editMenuState(std::string_view fieldText, std::size_t selStart, std::size_t selEnd,
                            std::string_view clipboard, bool haveClipboardText) {
  EditMenuState state;
  state.copyEnabled = selStart < selEnd;
  if (!haveClipboardText || clipboard.empty()) return state;
  int clipPoints = 0;
  for (char c : clipboard) {
    if (c == '.') {
      ++clipPoints;
    } else if (!(c >= '0' && c <= '9')) {
      return state;
    }
  }
  if (clipPoints > 1) return state;
  const double value = textToDouble(clipboard);
  if (!(value >= 1e-9 && value <= 1000)) return state;
  // Points of the field that the paste would keep: those outside the selection.
  const std::string_view field = fieldText.substr(0, 58);
  int keptPoints = 0;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '.' && (i < selStart || i >= selEnd)) ++keptPoints;
  }
  state.pasteEnabled = clipPoints + keptPoints <= 1;
  return state;
}

std::optional<SetupItem> setupItem(int item) {
  if (item < 0 || item > 7) return std::nullopt;
  const bool rightHob = item <= 3;
  const bool sameHands = item == 0 || item == 1 || item == 4 || item == 5;
  SetupItem s;
  s.hob = rightHob ? "RH" : "LH";
  s.gear = rightHob == sameHands ? "RH" : "LH";
  s.cut = item % 2 == 1 ? "Climb" : "Conventional";
  s.sign = setupSign(item) < 0 ? "-" : "+";
  s.work = rightHob ? "TC" : "TG";
  s.indexStuds = rightHob ? 1 : 2;
  s.feedStuds = item == 0 || item == 2 || item == 5 || item == 7 ? 1 : 2;
  return s;
}

}  // namespace hobwise
