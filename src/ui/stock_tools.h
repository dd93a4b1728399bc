#pragma once
// Quick ways to fill and keep the Change-gears page's stock: one count for every
// tooth count, and the stock saved to and loaded from a plain text file.
#include "hobwise/stock.h"

class QWidget;

namespace hobwise::ui {

class Controls;

// Puts a stock on the Change-gears page as stepping its up-downs would: every count
// that changes runs the page's reaction (a displayed result goes, Solve is judged
// again). True when any count changed.
bool writeGearStock(Controls& controls, const GearStock& stock);

// "Set Whole Stock ...": asks for one count 0 to 7 and gives it to every tooth count.
void setWholeStockWithDialog(QWidget* owner, Controls& controls);

// "Save Stock ...": writes the stock to a file chosen in a save dialog.
void saveStockWithDialog(QWidget* owner, const GearStock& stock);

// "Load Stock ...": reads a stock file chosen in an open dialog onto the page. A file
// that is refused leaves the page as it was and says why, naming the line.
void loadStockWithDialog(QWidget* owner, Controls& controls);

}  // namespace hobwise::ui
