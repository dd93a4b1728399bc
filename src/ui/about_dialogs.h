#pragma once
// The two information dialogs: 103 "About Hobwise" and 129 "About The Math".
class QWidget;

namespace hobwise::ui {

// Runs the dialog modally; returns the button's code (1: OK, 2: Close or Escape).
int runAboutDialog(int dialog, QWidget* owner);

}  // namespace hobwise::ui
