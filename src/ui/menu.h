#pragma once
// The window's menu bar, built from one table: each menu with its items, and the
// commands that sit on the bar itself. Every item carries its command identifier.
#include <functional>

class QMainWindow;

namespace hobwise::ui {

class Controls;

// Builds the menu bar of `window`, registers every item in `controls` under its
// command identifier and sends each chosen item's identifier to `command`.
void buildMenuBar(QMainWindow& window, Controls& controls, const std::function<void(int)>& command);

}  // namespace hobwise::ui
