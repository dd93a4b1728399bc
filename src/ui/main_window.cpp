#include "ui/main_window.h"

#include <utility>

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QTimer>

#include "hobwise/fields.h"
#include "ui/advisor_dialog.h"
#include "ui/change_gears_page.h"
#include "ui/check_train_dialog.h"
#include "ui/command_ids.h"
#include "ui/machine_tools.h"
#include "ui/menu.h"
#include "ui/placement.h"
#include "ui/settings.h"
#include "ui/table_tools.h"
#include "ui/why_nothing_line.h"
#include "ui/widgets.h"

namespace hobwise::ui {

// ------------------------------------------------------------------ creation

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  setWindowTitle(QStringLiteral("Hobwise for Helicals without Differential"));
  setObjectName(QStringLiteral("TORVANE"));

  buildMenuBar(*this, controls_, [this](int id) { command(id); });
  client_ = new ClientArea(controls_, nullptr);
  client_->setFocusPolicy(Qt::NoFocus);
  // On a screen too small for the whole window the client area scrolls.
  auto* scroll = new QScrollArea(this);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setFocusPolicy(Qt::NoFocus);
  scroll->setWidgetResizable(true);
  scroll->setWidget(client_);
  setCentralWidget(scroll);

  fonts_ = windowFonts();
  createMainPage(controls_, client_, fonts_);
  std::string gearStockText = defaultGearStockText();
  LoadSettings(gearStockText);
  createChangeGearsPage(controls_, client_, fonts_.main, gearStockText);
  wireMainPage();
  whyNothing_ = new WhyNothingLine(client_, controls_.widget(1020), [this] { command(kSuggestGears); });
  installBehaviours();
  tableTools_ = new TableTools(*this);
  connect(this, &MainWindow::solveStarted, tableTools_, &TableTools::solveStarted);
  connect(this, &MainWindow::solveFinished, tableTools_, &TableTools::solveFinished);
  connect(this, &MainWindow::resultsCleared, tableTools_, &TableTools::resultsCleared);
  connect(this, &MainWindow::resultShown, tableTools_, &TableTools::resultShown);
  machineTools_ = new MachineTools(*this, [this] {
    ClearResults();
    UpdateSolveButton();
  });
  connect(this, &MainWindow::resultsCleared, machineTools_, &MachineTools::resultsCleared);
  connect(this, &MainWindow::resultShown, machineTools_, &MachineTools::resultShown);

  // 900 x 550 is the outer size, frame included, as far as the screen's available
  // area allows; on a smaller area the window is smaller and its client area scrolls.
  setProperty(kOuterSizeProperty, kOuterSize);
  placeWindow(this);
  qApp->installEventFilter(this);  // Escape stops a run wherever it is pressed
  qApp->installEventFilter(new WindowPlacer(this));  // every window and dialog opens on the screen
}

MainWindow::~MainWindow() {
  qApp->removeEventFilter(this);
  delete tableTools_;  // it watches controls that go first
  delete machineTools_;
  // No reaction of the window may run while it is being taken apart.
  for (auto& [id, w] : controls_.all()) {
    if (auto* e = qobject_cast<NumberEdit*>(w)) e->clearResults = e->inputSettled = e->pasted = nullptr;
    if (auto* d = qobject_cast<NumberDisplay*>(w)) d->beforeChange = nullptr;
    if (auto* c = qobject_cast<SetupCombo*>(w)) c->closedUp = nullptr;
    w->disconnect(this);
  }
  solve_.stopAndWait();
  print_.wait();
}

QWidget* MainWindow::clientArea() const { return client_; }

const MachineProfile* MainWindow::machine() const { return machineTools_ ? machineTools_->chosen() : nullptr; }

void MainWindow::LoadSettings(std::string& gearStockText) { loadSettings(controls_, gearStockText); }

void MainWindow::SaveSettings() { saveSettings(controls_); }

// ------------------------------------------------------------------ wiring

void MainWindow::wireMainPage() {
  auto* teeth = controls_.as<QComboBox>(2003);
  auto* setup = controls_.as<SetupCombo>(2005);
  auto* finite = controls_.as<QCheckBox>(3007);
  auto* whole = controls_.as<QCheckBox>(3015);
  auto* solve = controls_.as<QPushButton>(kSolve);
  auto* exit = controls_.as<QPushButton>(kExit);
  auto* browser = controls_.as<UpDown>(kBrowser);

  // Reactions of the inputs.
  connect(teeth, &QComboBox::currentIndexChanged, this, [this] {
    UpdateGeometryReadouts();
    ClearResults();
    UpdateSolveButton();
  });
  connect(setup, &QComboBox::currentIndexChanged, this, [this] {
    ClearResults();
    UpdateSolveButton();
  });
  setup->closedUp = [this] { takeFocus(); };
  connect(finite, &QCheckBox::clicked, this, [this, finite, whole] {
    if (finite->isChecked()) whole->setChecked(false);
    UpdateSolveButton();
    ClearResults();
  });
  connect(whole, &QCheckBox::clicked, this, [this, finite, whole] {
    if (whole->isChecked()) finite->setChecked(false);
    UpdateSolveButton();
    ClearResults();
  });
  connect(solve, &QPushButton::clicked, this, [this] { command(kSolve); });
  connect(exit, &QPushButton::clicked, this, [this] { command(kExit); });
  connect(browser, &UpDown::deltaPos, this, [this](int pos, int delta) { browse(pos, delta); });
}

void MainWindow::installBehaviours() {
  for (int id : {2001, 2002, 2004, 2006, 2007}) {
    auto* e = controls_.as<NumberEdit>(id);
    const bool geometry = id == 2004 || id == 2006;
    e->clearResults = [this] { ClearResults(); };
    e->inputSettled = [this, geometry] {
      if (geometry) UpdateGeometryReadouts();
      UpdateSolveButton();
    };
    e->pasted = [this] {
      UpdateGeometryReadouts();
      ClearResults();
    };
  }
  for (int id : {2001, 2002, 2004, 2006, 2007})
    controls_.as<NumberEdit>(id)->tabPartner = controls_.as<NumberEdit>(tabPartnerOf(id));
  auto numberChanged = [this] {
    ClearResults();
    UpdateSolveButton();
  };
  controls_.as<NumberDisplay>(3002)->beforeChange = numberChanged;
  for (int i = 0; i < kToothCountKinds; ++i) controls_.as<NumberDisplay>(5000 + i)->beforeChange = numberChanged;
}

void MainWindow::resizeEvent(QResizeEvent* e) {
  QMainWindow::resizeEvent(e);
  // The client area scrolls only along a side where the window is smaller than its
  // full size (give or take the rounding of a scaled frame).
  const QSize frameExtra = frameGeometry().size() - size();
  client_->setMinimumSize(kOuterSize - frameExtra - QSize(0, menuBar()->sizeHint().height()));
  const QSize shortBy = kOuterSize - frameExtra - size();
  auto* scroll = static_cast<QScrollArea*>(centralWidget());
  scroll->setHorizontalScrollBarPolicy(shortBy.width() > 2 ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
  scroll->setVerticalScrollBarPolicy(shortBy.height() > 2 ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
}

// ------------------------------------------------------------------ commands

void MainWindow::command(int id) {
  switch (id) {
    case kSolve:
      if (controls_.isEnabled(kSolve)) startSolve();
      break;
    case kExit:
    case kExitMenu:
      close();
      break;
    case kAbout:
      runAboutDialog(103, this);
      break;
    case kAboutMath:
      runAboutDialog(129, this);
      break;
    case kMainPage:
      ShowPage(1);
      controls_.setMenuEnabled(kMainPage, false);
      controls_.setMenuEnabled(kChangeGearsPage, true);
      break;
    case kChangeGearsPage:
      ShowPage(2);
      controls_.setMenuEnabled(kChangeGearsPage, false);
      controls_.setMenuEnabled(kMainPage, true);
      break;
    case kPrint:
      if (controls_.isMenuEnabled(kPrint)) startPrint();
      break;
    case kSuggestGears:
      openAdvisorDialog(*this);
      break;
    case kCheckTrain:
      openCheckTrainDialog(*this);
      break;
    case kBypassDuplicates:
      // The menu item has already toggled its own check mark.
      UpdateSolveButton();
      ClearResults();
      break;
    case kSaveSheetPdf:
    case kResultsTable:
    case kSetWholeStock:
    case kSaveStock:
    case kLoadStock:
      tableTools_->command(id);
      break;
    case kMachineProfiles:
    case kQuadrantDrawing:
      machineTools_->command(id);
      break;
    default:
      break;
  }
}

void MainWindow::takeFocus() {
  if (QWidget* f = QApplication::focusWidget(); f && f->window() == this) f->clearFocus();
  client_->setFocus(Qt::OtherFocusReason);
}

bool MainWindow::focusNextPrevChild(bool) {
  return true;  // no control has a tab stop
}

// ------------------------------------------------------------------ solve run

void MainWindow::startSolve() {
  if (solve_.running()) return;
  takeFocus();
  // Everything the run needs is taken now, on this thread, as the fields show it.
  const JobInputs inputs = ReadJobInputs();
  const SolveOptions options = ReadSolveOptions();
  const GearStock stock = ReadGearStock();

  lockForRun();
  results_.clear();
  results_.shrink_to_fit();
  emit solveStarted();
  solve_.start(
      inputs, options, stock, [this](const QString& text) { controls_.setText(kStatus, text); },
      [this](std::shared_ptr<SolveReport> report) { finishSolve(std::move(report)); });
}

void MainWindow::finishSolve(std::shared_ptr<SolveReport> report) {
  const std::string whyNothing = whereTheSearchRanDry(ReadJobInputs(), *report, ReadGearStock(), ReadSolveOptions());
  results_ = std::move(report->results);
  stages_ = report->stages;
  stoppedIn_ = report->stoppedIn;
  auto* browser = controls_.as<UpDown>(kBrowser);
  if (report->rangeSet) {
    browser->setRange(1, static_cast<int>(results_.size()));
    browser->setPosition(1);
  }
  ShowResult(0);
  whyNothing_->showText(QString::fromStdString(whyNothing), !report->failed && !additionsTo(ReadGearStock()).empty());
  controls_.setEnabled(kBrowser, true);
  emit solveFinished();
}

void MainWindow::browse(int pos, int delta) {
  if (solve_.running()) return;
  const int n = static_cast<int>(results_.size());
  if (delta == 1) {
    if (pos < n) {
      ShowResult(pos);
    } else if (pos == n) {
      QApplication::beep();
    }
  } else if (delta == -1) {
    if (pos > 1) {
      ShowResult(pos - 2);
    } else if (pos == 1) {
      ShowResult(0);
      QApplication::beep();
    }
  }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* e) {
  if (solve_.running() && e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape) {
    auto* w = qobject_cast<QWidget*>(watched);
    if (w && w->window() == this) solve_.requestStop();  // workers stop after their current C constant
  }
  return QMainWindow::eventFilter(watched, e);
}

// ------------------------------------------------------------------ printing

void MainWindow::startPrint() {
  takeFocus();
  PrintSheet(ReadSheetInputs(), this, [this] { command(kSaveSheetPdf); });
}

void MainWindow::PrintSheet(const SheetInputs& inputs, QWidget* dialogOwner, std::function<void()> saveInstead) {
  if (print_.running()) {
    QApplication::beep();  // one sheet at a time
    return;
  }
  controls_.setMenuEnabled(kExitMenu, true);
  controls_.setEnabled(kExit, true);
  if (!print_.canPrint()) {
    offerPdfInstead(dialogOwner, std::move(saveInstead));
    return;
  }
  QPointer<QWidget> owner(dialogOwner);
  // Cancelled: nothing is printed and nothing said.
  print_.start(inputs, dialogOwner, [this, owner](const QString& failure) { finishPrint(failure, owner); });
}

namespace {

QMessageBox* printMessage(QWidget* owner, QMessageBox::Icon icon, const QString& text) {
  auto* box = new QMessageBox(icon, QStringLiteral("Print"), text, QMessageBox::NoButton, owner);
  box->setAttribute(Qt::WA_DeleteOnClose);
  return box;
}

}  // namespace

void MainWindow::offerPdfInstead(QWidget* owner, std::function<void()> saveInstead) {
  QMessageBox* box = printMessage(owner ? owner : this, QMessageBox::Information,
                                  QStringLiteral("No printer is available: the sheet cannot be printed."));
  box->setInformativeText(QStringLiteral("\"Save Sheet as PDF ...\" writes the same sheet to a PDF file, "
                                         "to print elsewhere or to keep."));
  QPushButton* save = saveInstead ? box->addButton(QStringLiteral("Save Sheet as PDF ..."), QMessageBox::AcceptRole)
                                  : nullptr;
  box->addButton(QMessageBox::Cancel);
  connect(box, &QMessageBox::finished, this, [this, box, save, saveInstead = std::move(saveInstead)] {
    if (save && box->clickedButton() == save) QTimer::singleShot(0, this, saveInstead);
  });
  box->open();
}

void MainWindow::finishPrint(const QString& failure, QWidget* owner) {
  emit printFinished();
  const bool closeNow = std::exchange(closeAfterPrint_, false);
  if (failure.isEmpty()) {
    if (closeNow) close();
    return;
  }
  QMessageBox* box = printMessage(owner ? owner : this, QMessageBox::Warning,
                                  QStringLiteral("The sheet could not be printed: ") + failure);
  box->addButton(QMessageBox::Ok);
  if (closeNow) connect(box, &QMessageBox::finished, this, &QWidget::close);
  box->open();
}

// ------------------------------------------------------------------ closing

void MainWindow::closeEvent(QCloseEvent* e) {
  if (solve_.running()) {
    e->ignore();  // like Exit, closing waits for the run's results
    return;
  }
  if (print_.running()) {
    closeAfterPrint_ = true;  // the sheet is finished first, then the window closes
    e->ignore();
    return;
  }
  SaveSettings();
  e->accept();
}

}  // namespace hobwise::ui
