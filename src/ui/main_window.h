#pragma once
// The Main window: the Main page with the job and the results, the Change-gears page
// with the gear stock, the menu, the solve run and the print job.
#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <QMainWindow>
#include <QString>

#include "model/gear_stock.h"
#include "model/job.h"
#include "report/sheet.h"
#include "solver/solver.h"
#include "ui/controls.h"

namespace hobwise::ui {

class ClientArea;

class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  explicit MainWindow(QWidget* parent = nullptr);
  ~MainWindow() override;

  Controls& controls() { return controls_; }
  const Controls& controls() const { return controls_; }
  QWidget* clientArea() const;

  // The operations every input change, the solve run and the browser run.
  void ClearResults();
  void UpdateSolveButton();
  void ShowResult(int k);
  void UpdateGeometryReadouts();
  void ShowPage(int page);  // 1: Main page, 2: Change-gears page

  // Settings: the three fields and the gear stock text (filled in) / written back.
  void LoadSettings(std::string& gearStockText);
  void SaveSettings();

  // What a solve run and a print job take from the controls.
  GearStock ReadGearStock() const;  // first character of each count display 5000..5153
  JobInputs ReadJobInputs() const;
  SolveOptions ReadSolveOptions() const;
  SheetInputs ReadSheetInputs() const;

  // Runs a command as the menu, a button or an accelerator issues it.
  void command(int id);

  bool solveRunning() const { return solveRunning_; }
  bool printing() const { return printing_; }
  const std::vector<FoundResult>& foundResults() const { return results_; }
  bool lastPrintSucceeded() const { return lastPrintOk_; }

  // Prints to this PDF file instead of asking the print dialog (empty: the dialog).
  // The environment variable HOBWISE_PRINT_TO_PDF sets it at start.
  void setPrintToPdf(const QString& path) { printToPdf_ = path; }

 signals:
  void solveFinished();
  void printFinished();

 protected:
  void closeEvent(QCloseEvent* e) override;
  void showEvent(QShowEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;
  bool focusNextPrevChild(bool next) override;

 private:
  void createMenu();
  void createControls();
  void createChangeGearsPage(const std::string& gearStockText);
  void installBehaviours();
  void takeFocus();
  void browse(int pos, int delta);
  void startSolve();
  void finishSolve(std::shared_ptr<SolveReport> report);
  void startPrint();
  void finishPrint(bool ok);
  void about(int dialog);
  void invalidateBars();

  Controls controls_;
  ClientArea* client_ = nullptr;
  QFont mainFont_;
  QFont narrowFont_;

  std::vector<FoundResult> results_;  // the found results the browser pages through

  std::thread solveThread_;
  std::atomic<bool> stop_{false};
  bool solveRunning_ = false;

  std::thread printThread_;
  bool printing_ = false;
  bool closeAfterPrint_ = false;
  bool lastPrintOk_ = false;
  QString printToPdf_;

  bool sized_ = false;
};

// The two information dialogs: 103 "About Hobwise" and 129 "About The Math".
int runAboutDialog(int dialog, QWidget* owner);

}  // namespace hobwise::ui
