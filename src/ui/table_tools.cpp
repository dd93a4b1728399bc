#include "ui/table_tools.h"

#include <QAction>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>

#include "hobwise/fields.h"
#include "hobwise/json.h"
#include "hobwise/results.h"
#include "painting/sheet_painter.h"
#include "ui/command_ids.h"
#include "ui/controls.h"
#include "ui/results_table.h"
#include "ui/stock_tools.h"
#include "ui/widgets.h"
#include "ui/window_access.h"

namespace hobwise::ui {

TableTools::TableTools(WindowAccess& window)
    : QObject(window.mainWidget()),
      window_(window),
      browser_(window.controls().widget(kBrowser)),
      solve_(window.controls().widget(kSolve)) {
  Controls& c = window_.controls();
  // The sheet as PDF is there exactly while "Print ..." is.
  QAction* print = c.action(kPrint);
  connect(print, &QAction::changed, this, [&c, print] { c.setMenuEnabled(kSaveSheetPdf, print->isEnabled()); });

  // "k of n" just below the result browser, in a smaller size of the page's font,
  // shown and hidden with the browser.
  position_ = new QLabel(window_.clientArea());
  QFont small = c.widget(kBrowser)->font();
  small.setPixelSize(13);
  position_->setFont(small);
  position_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  position_->setGeometry(203, 439, 120, 18);
  position_->setVisible(!browser_->isHidden());
  browser_->installEventFilter(this);
  solve_->installEventFilter(this);  // its tooltip says why it is greyed

  table_ = new ResultsTable(window_.mainWidget());
  connect(table_, &ResultsTable::resultChosen, this, &TableTools::chooseResult);
}

void TableTools::solveStarted() {
  table_->showRunning();
  setStockToolsEnabled(false);  // the stock stays as the run took it
}

void TableTools::solveFinished() {
  fillTable();
  setStockToolsEnabled(true);
}

void TableTools::resultsCleared() { table_->showNoResults(); }

void TableTools::command(int id) {
  Controls& c = window_.controls();
  if (!c.isMenuEnabled(id)) return;
  switch (id) {
    case kSaveSheetPdf:
      saveSheetWithDialog();
      break;
    case kResultsTable:
      openTable();
      break;
    case kSetWholeStock:
      setWholeStockWithDialog(window_.mainWidget(), c);
      break;
    case kSaveStock:
      saveStockWithDialog(window_.mainWidget(), window_.ReadGearStock());
      break;
    case kLoadStock:
      loadStockWithDialog(window_.mainWidget(), c);
      break;
    default:
      break;
  }
}

void TableTools::setStockToolsEnabled(bool enabled) {
  for (int id : {kSetWholeStock, kSaveStock, kLoadStock}) window_.controls().setMenuEnabled(id, enabled);
}

void TableTools::openTable() {
  table_->show();
  table_->raise();
  table_->activateWindow();
}

bool TableTools::eventFilter(QObject* watched, QEvent* e) {
  if (watched == browser_ && (e->type() == QEvent::Show || e->type() == QEvent::Hide))
    position_->setVisible(!browser_->isHidden());
  if (watched == solve_ && e->type() == QEvent::ToolTip) solve_->setToolTip(solveTip());
  return QObject::eventFilter(watched, e);
}

QString TableTools::solveTip() const {
  const Controls& c = window_.controls();
  if (c.isEnabled(kSolve)) return QString();
  // The values as Solve's rule reads them.
  auto value = [&c](int id) { return solveValueOf(id, c.text(id).toStdString()); };
  const SolveInputValues v{value(2001), value(2002), value(2004), value(2006), value(2007),
                           c.selectedIndex(2003) >= 0, !c.isEnabled(kExit)};
  const std::string blocked = solveBlockedText(v);
  // Nothing out of range: the result on display is the last run's, and Solve waits
  // for an input to be touched.
  if (blocked.empty()) return QStringLiteral("Solve is greyed after a run until an input changes or a field is left.");
  return QStringLiteral("Solve needs:\n") + QString::fromStdString(blocked);
}

void TableTools::fillTable() {
  const JobInputs inputs = window_.ReadJobInputs();
  SolveReport report;
  report.results = window_.foundResults();
  report.stages = window_.foundStages();
  report.stoppedIn = window_.foundStoppedIn();
  std::optional<MachineProfile> machine;
  std::vector<std::string> mounts;  // the "Mounts" column, with a machine chosen
  if (const MachineProfile* chosen = window_.machine()) {
    machine = *chosen;
    for (const FoundResult& r : report.results) mounts.push_back(mountCell(mountOf(*chosen, inputs.setupIndex, r)));
  }
  table_->showResults(
      resultRowsOf(inputs, report.results),
      [inputs, report, machine] { return reportJson(inputs, report, false, kAllResults, machine ? &*machine : nullptr); },
      std::move(mounts));
  if (!report.results.empty()) table_->followResult(0);
}

void TableTools::resultShown(int k) {
  const int n = static_cast<int>(window_.foundResults().size());
  position_->setText(n == 0 ? QString() : QStringLiteral("%1 of %2").arg(k + 1).arg(n));
  table_->followResult(k);
}

// A row chosen in the table: the result goes on display as the browser would put it.
void TableTools::chooseResult(int k) {
  if (window_.solveRunning() || k < 0 || k >= static_cast<int>(window_.foundResults().size())) return;
  window_.controls().as<UpDown>(kBrowser)->setPosition(k + 1);
  window_.ShowResult(k);
}

std::string TableTools::saveSheetPdf(const QString& path) {
  if (!window_.controls().isMenuEnabled(kPrint)) return "no result on display";
  return writeSheetPdf(window_.ReadSheetInputs(), QFile::encodeName(path).toStdString());
}

void TableTools::saveSheetWithDialog() {
  QString path = QFileDialog::getSaveFileName(window_.mainWidget(), QStringLiteral("Save Sheet as PDF"),
                                              QStringLiteral("sheet.pdf"), QStringLiteral("PDF files (*.pdf)"));
  if (path.isEmpty()) return;
  if (!path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) path += QStringLiteral(".pdf");
  if (const std::string error = saveSheetPdf(path); !error.empty())
    QMessageBox::warning(window_.mainWidget(), QStringLiteral("Save Sheet as PDF"),
                         QStringLiteral("The sheet was not saved.\n\n%1").arg(QString::fromStdString(error)));
}

}  // namespace hobwise::ui
