#include "ui/table_tools.h"

#include <QAction>
#include <QEvent>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>

#include "model/input_ranges.h"
#include "model/text_value.h"
#include "report/sheet_painter.h"
#include "results/result_json.h"
#include "results/result_rows.h"
#include "ui/main_window.h"
#include "ui/results_table.h"
#include "ui/stock_tools.h"
#include "ui/widgets.h"

namespace hobwise::ui {

namespace {

constexpr int kSolve = 1001;
constexpr int kBrowser = 1003;
constexpr int kExit = 1002;

}  // namespace

TableTools::TableTools(MainWindow& window, QMenu* file, QAction* print, QMenu* tools)
    : QObject(&window), window_(window) {
  // File: the sheet as PDF, below "Print ..." and greyed whenever it is.
  auto* sheetPdf = new QAction(QStringLiteral("Save Sheet as PDF ..."), file);
  file->insertAction(file->actions().value(file->actions().indexOf(print) + 1), sheetPdf);
  sheetPdf->setEnabled(print->isEnabled());
  connect(print, &QAction::changed, sheetPdf, [print, sheetPdf] { sheetPdf->setEnabled(print->isEnabled()); });
  connect(sheetPdf, &QAction::triggered, this, [this] { saveSheetWithDialog(); });

  // Tools.
  QAction* table = tools->addAction(QStringLiteral("Results Table ..."), this, [this] { openTable(); });
  table->setShortcut(QKeySequence(QStringLiteral("Ctrl+T")));
  Controls& c = window_.controls();
  tools->addAction(QStringLiteral("Set Whole Stock ..."), this, [this, &c] { setWholeStockWithDialog(&window_, c); });
  tools->addAction(QStringLiteral("Save Stock ..."), this,
                   [this] { saveStockWithDialog(&window_, window_.ReadGearStock()); });
  tools->addAction(QStringLiteral("Load Stock ..."), this, [this, &c] { loadStockWithDialog(&window_, c); });

  // "k of n" just below the result browser, in a smaller size of the page's font,
  // shown and hidden with the browser.
  position_ = new QLabel(window_.clientArea());
  QFont small = c.widget(kBrowser)->font();
  small.setPixelSize(13);
  position_->setFont(small);
  position_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  position_->setGeometry(203, 439, 120, 18);
  position_->setVisible(c.isShown(kBrowser));
  c.widget(kBrowser)->installEventFilter(this);
  c.widget(kSolve)->installEventFilter(this);  // its tooltip says why it is greyed

  table_ = new ResultsTable(&window_);
  connect(table_, &ResultsTable::resultChosen, this, [this](int k) { chooseResult(k); });
  connect(&window_, &MainWindow::solveStarted, table_, &ResultsTable::showRunning);
  connect(&window_, &MainWindow::solveFinished, this, [this] { fillTable(); });
  connect(&window_, &MainWindow::resultsCleared, table_, &ResultsTable::showNoResults);
  connect(&window_, &MainWindow::resultShown, this, [this](int k) { resultShown(k); });
}

void TableTools::openTable() {
  table_->show();
  table_->raise();
  table_->activateWindow();
}

bool TableTools::eventFilter(QObject* watched, QEvent* e) {
  Controls& c = window_.controls();
  if (watched == c.widget(kBrowser) && (e->type() == QEvent::Show || e->type() == QEvent::Hide))
    position_->setVisible(c.isShown(kBrowser));
  if (watched == c.widget(kSolve) && e->type() == QEvent::ToolTip) c.widget(kSolve)->setToolTip(solveTip());
  return QObject::eventFilter(watched, e);
}

QString TableTools::solveTip() const {
  const Controls& c = window_.controls();
  if (c.isEnabled(kSolve)) return QString();
  auto value = [&c](int id, int limit) { return textToDouble(c.text(id).left(limit).toStdString()); };
  SolveInputValues v;
  v.indexConstant = value(2001, 58);
  v.feedConstant = value(2002, 58);
  v.helixAngle = value(2004, 58);
  v.normalPitch = value(2006, 58);
  v.feedRate = value(2007, 10);
  v.teethSelected = c.selectedIndex(2003) >= 0;
  v.running = !c.isEnabled(kExit);
  const std::string blocked = solveBlockedText(v);
  // Nothing out of range: the result on display is the last run's, and Solve waits
  // for an input to be touched.
  if (blocked.empty()) return QStringLiteral("Solve is greyed after a run until an input changes or a field is left.");
  return QStringLiteral("Solve needs:\n") + QString::fromStdString(blocked);
}

void TableTools::fillTable() {
  const JobInputs inputs = window_.ReadJobInputs();
  const std::vector<FoundResult> results = window_.foundResults();
  table_->showResults(resultRows(inputs, results), [inputs, results] { return resultsJson(inputs, results); });
  if (!results.empty()) table_->followResult(0);
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

bool TableTools::saveSheetPdf(const QString& path) {
  return window_.controls().isMenuEnabled(32779) && writeSheetPdf(window_.ReadSheetInputs(), path);
}

void TableTools::saveSheetWithDialog() {
  QString path = QFileDialog::getSaveFileName(&window_, QStringLiteral("Save Sheet as PDF"),
                                              QStringLiteral("sheet.pdf"), QStringLiteral("PDF files (*.pdf)"));
  if (path.isEmpty()) return;
  if (!path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) path += QStringLiteral(".pdf");
  if (!saveSheetPdf(path))
    QMessageBox::warning(&window_, QStringLiteral("Save Sheet as PDF"),
                         QStringLiteral("The sheet could not be written to %1.").arg(path));
}

}  // namespace hobwise::ui
