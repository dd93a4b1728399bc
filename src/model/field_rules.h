#pragma once
// The rules of the Main page's inputs, whatever draws them: what each input is called,
// which characters it takes, how many it holds and which values it may have; what a
// key typed into one of the five number fields does; when their pop-up may paste; and
// the eight items of the set-up list. No platform in here: the window and any other
// front end ask these rules and only carry out the outcome.
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace hobwise {

enum class FieldKind {
  kNumber,  // an edit field for an unsigned decimal number (2001, 2002, 2004, 2006, 2007)
  kCount,   // a number display stepped by an up-down (hob threads 3002, gear counts 5000 + i)
  kList,    // a drop-down list (number of teeth 2003, set-up 2005)
};

struct FieldRule {
  int id = 0;                   // control identifier
  std::string label;            // the label beside it, e.g. "Index Const:"; the tooth
                                // count for a gear count; empty for the set-up list,
                                // whose column headers label it
  FieldKind kind = FieldKind::kNumber;
  std::string_view characters;  // the characters it can hold ("0123456789." at most one
                                // point, for a number field); empty for a list
  std::size_t limit = 0;        // characters it holds; for a list, its number of items
  double low = 0, high = 0;     // the values it may have, both included: for a number
                                // field the range that lets Solve go, for a count the
                                // up-down's range, for a list its first and last value
};

// The rules of 2001, 2002, 2007, 2004, 2006, 3002, 2003 and 2005, in that order.
std::span<const FieldRule> mainPageFieldRules();

// The rule of one input: those above and the gear counts 5000 to 5153 (tooth count
// 16 + i, 0 to 7); nothing for any other identifier.
std::optional<FieldRule> fieldRule(int id);

// The field that Tab moves to from a number field, selecting all of its text: 2004
// and 2006 lead to each other; 0 for the others, where Tab is dropped.
int tabPartnerOf(int id);

// The two erasing keys a number field handles beside characters (codes outside
// Unicode, so that no typed character is taken for them).
inline constexpr char32_t kBackspaceKey = 0x110000;
inline constexpr char32_t kDeleteKey = 0x110001;

struct KeyOutcome {
  bool accepted = false;       // the field takes the key as it always does (inserts
                               // the character over the selection, or erases)
  bool clearsResults = false;  // before that, the displayed result goes
};

// What a number field does with one key: a character, kBackspaceKey or kDeleteKey,
// typed into `text` with the selection [selStart, selEnd) (both equal: the cursor),
// positions counted in characters of the text.
// Digits and the erasing keys clear the results and go in; "." goes in where it
// leaves one point in the field (over a selection that holds the field's point it
// goes in without clearing); every other character is dropped.
KeyOutcome numberFieldKey(std::string_view text, std::size_t selStart, std::size_t selEnd, char32_t key);

// The Copy/Paste pop-up of a number field: Copy needs a selection; Paste needs
// clipboard text of digits with at most one ".", a value from 1e-9 to 1000, and no
// second point in the field outside the selection. The field's length limit still
// cuts a longer paste.
struct EditMenuState {
  bool copyEnabled = false;
  bool pasteEnabled = false;
};
EditMenuState editMenuState(std::string_view fieldText, std::size_t selStart, std::size_t selEnd,
                            std::string_view clipboard, bool haveClipboardText);

// One item of the set-up list, column by column as the list shows it.
struct SetupItem {
  std::string_view hob;   // "RH" or "LH"
  std::string_view gear;  // "RH" or "LH"
  std::string_view cut;   // "Conventional" or "Climb"
  std::string_view sign;  // "-" or "+"
  std::string_view work;  // "TC" (top coming) or "TG" (top going)
  int indexStuds = 1;     // intermediate studs of the index train
  int feedStuds = 1;      // and of the feed train
};

// Items 0 to 7; nothing for any other index.
std::optional<SetupItem> setupItem(int item);

// The column headers above the list, left to right, and the one that spans the last
// two ("Intermediate Studs" over "Index" and "Feed").
inline constexpr std::string_view kSetupColumnHeaders[] = {"Hob",  "Gear",  "Type of Cut", "Sign",
                                                           "Work", "Index", "Feed"};
inline constexpr std::string_view kSetupStudsHeader = "Intermediate Studs";

}  // namespace hobwise
