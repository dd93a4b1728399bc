#pragma once
// The Change-gears page: for each tooth count 16 to 169 the number of gears in stock
// (a display 5000 + i with its up-down 5200 + i and its label 5400 + i).
#include <string>

class QFont;
class QWidget;

namespace hobwise::ui {

class Controls;

// Creates the page's controls, hidden, from a gear stock text (unusable or missing
// counts show as 0).
void createChangeGearsPage(Controls& controls, QWidget* client, const QFont& font, const std::string& gearStockText);

// Shows or hides every control of the page.
void setChangeGearsPageVisible(Controls& controls, bool visible);

}  // namespace hobwise::ui
