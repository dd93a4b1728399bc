#include "ui/menu.h"

#include <vector>

#include <QAction>
#include <QMainWindow>
#include <QMenuBar>
#include <QShortcut>

#include "ui/command_ids.h"
#include "ui/controls.h"

namespace hobwise::ui {

namespace {

struct MenuItem {
  int id = 0;  // 0: a separator
  const char* text = "";
  bool checkable = false;
  bool enabledAtStart = true;
  const char* shortcut = nullptr;
};

// A menu of the bar, or (no items) a command on the bar itself.
struct BarEntry {
  const char* title;
  std::vector<MenuItem> items;
  int id = 0;
  bool enabledAtStart = true;
};

const MenuItem kSeparator{};

// The menu bar from left to right. A new menu is a row here in its place, its items'
// identifiers in command_ids.h and their cases in MainWindow::command().
const std::vector<BarEntry>& menuBarTable() {
  static const std::vector<BarEntry> table = {
      {"&File",
       {{kBypassDuplicates, "Bypass Duplicates Check", true},
        kSeparator,
        {kPrint, "Print ...", false, false},
        {kSaveSheetPdf, "Save Sheet as PDF ...", false, false},
        kSeparator,
        {kExitMenu, "E&xit"}}},
      {"Main Page ...", {}, kMainPage, false},
      {"Change-Gears Page ...", {}, kChangeGearsPage},
      {"&Tools",
       {{kResultsTable, "Results Table ...", false, true, "Ctrl+T"},
        {kSetWholeStock, "Set Whole Stock ..."},
        {kSaveStock, "Save Stock ..."},
        {kLoadStock, "Load Stock ..."},
        {kSuggestGears, "Suggest Gears to Buy ..."},
        {kCheckTrain, "Check a Train ..."},
        kSeparator,
        {kMachineProfiles, "Machine Profiles ..."},
        {kQuadrantDrawing, "Quadrants ...", false, false}}},
      {"&Help", {{kAboutMath, "About The &Math ..."}, kSeparator, {kAbout, "&About ..."}}},
  };
  return table;
}

QAction* addCommand(QAction* action, int id, bool checkable, bool enabled, Controls& controls,
                    const std::function<void(int)>& command) {
  action->setCheckable(checkable);
  action->setEnabled(enabled);
  controls.addAction(id, action);
  QObject::connect(action, &QAction::triggered, action, [command, id] { command(id); });
  return action;
}

}  // namespace

void buildMenuBar(QMainWindow& window, Controls& controls, const std::function<void(int)>& command) {
  QMenuBar* bar = window.menuBar();
  for (const BarEntry& entry : menuBarTable()) {
    const QString title = QString::fromLatin1(entry.title);
    if (entry.items.empty()) {
      addCommand(bar->addAction(title), entry.id, false, entry.enabledAtStart, controls, command);
      continue;
    }
    QMenu* menu = bar->addMenu(title);
    for (const MenuItem& item : entry.items) {
      if (item.id == 0) {
        menu->addSeparator();
      } else {
        QAction* action = addCommand(menu->addAction(QString::fromLatin1(item.text)), item.id, item.checkable,
                                     item.enabledAtStart, controls, command);
        if (item.shortcut) action->setShortcut(QKeySequence(QString::fromLatin1(item.shortcut)));
      }
    }
  }
  // Alt+"?" and Alt+"/" open the About box.
  for (const char* keys : {"Alt+?", "Alt+/"}) {
    auto* s = new QShortcut(QKeySequence(QString::fromLatin1(keys)), &window);
    QObject::connect(s, &QShortcut::activated, &window, [command] { command(kAbout); });
  }
}

}  // namespace hobwise::ui
