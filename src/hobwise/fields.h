#pragma once
// Hobwise's public face: the rules of the inputs, for any front end that draws them.
// Brought in from the engine's model (model/field_rules.h, model/input_ranges.h):
//
//   fieldRule(id), mainPageFieldRules()  each input's label, kind, characters, length
//       limit and range: the number fields 2001, 2002, 2004, 2006, 2007, the hob
//       threads 3002, the number of teeth 2003, the set-up list 2005 and the 154 gear
//       counts 5000 + i (tooth count 16 + i, 0 to 7).
//   numberFieldKey(text, selStart, selEnd, key)  what a number field does with a key:
//       take it (clearing the displayed result first, or not) or drop it.
//   editMenuState(...)  whether the fields' Copy/Paste pop-up offers Copy and Paste.
//   tabPartnerOf(id)  Tab from the helix angle goes to the pitch and back.
//   setupItem(i), kSetupColumnHeaders  the eight items of the set-up list, by column.
//   solveValueOf(id, text), SolveInputValues, solveAllowed(values)  Solve's rule.
//   solveBlockedText(values)  why Solve is greyed, one line per reason.
//
// Pure functions of their arguments: safe on any thread, never throw. A front end
// applies them as the window does: after every accepted change the displayed result
// goes (when the outcome says so) and Solve is judged again with solveAllowed.
#include "model/field_rules.h"
#include "model/input_ranges.h"
