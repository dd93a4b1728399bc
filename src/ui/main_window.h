#pragma once
// The Main window: its commands and the wiring of its parts. The parts live in files
// of their own: the menu (menu), the Main page's controls (main_page), the
// Change-gears page (change_gears_page), the solve run (solve_session), the print job
// (print_job), the About boxes (about_dialogs) and the settings (settings).
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QMainWindow>
#include <QString>

#include "hobwise/job.h"
#include "hobwise/run.h"
#include "hobwise/sheet.h"
#include "hobwise/stock.h"
#include "ui/about_dialogs.h"
#include "ui/controls.h"
#include "ui/main_page.h"
#include "ui/print_job.h"
#include "ui/solve_session.h"
#include "ui/window_access.h"

namespace hobwise::ui {

class MachineTools;
class TableTools;
class WhyNothingLine;

class MainWindow : public QMainWindow, public WindowAccess {
  Q_OBJECT
 public:
  explicit MainWindow(QWidget* parent = nullptr);
  ~MainWindow() override;

  Controls& controls() override { return controls_; }
  const Controls& controls() const override { return controls_; }
  QWidget* mainWidget() override { return this; }
  QWidget* clientArea() const override;

  // The operations every input change, the solve run and the browser run.
  void ClearResults();
  void UpdateSolveButton();
  void ShowResult(int k) override;
  void UpdateGeometryReadouts();
  void ShowPage(int page);  // 1: Main page, 2: Change-gears page

  // Settings: the three fields and the gear stock text (filled in) / written back.
  void LoadSettings(std::string& gearStockText);
  void SaveSettings();

  // What a solve run and a print job take from the controls.
  GearStock ReadGearStock() const override;  // first character of each count display 5000..5153
  JobInputs ReadJobInputs() const override;
  SolveOptions ReadSolveOptions() const override;
  SheetInputs ReadSheetInputs() const override;

  // Prints a sheet through the window's print job, the print dialog owned by
  // `dialogOwner`: the sheet of the result on display, or of a checked train. With
  // no printer installed it says so and offers `saveInstead` (the sheet as PDF); a
  // print that fails is reported.
  void PrintSheet(const SheetInputs& inputs, QWidget* dialogOwner, std::function<void()> saveInstead) override;

  // Runs a command as the menu, a button or an accelerator issues it.
  void command(int id);

  bool solveRunning() const override { return solve_.running(); }
  const MachineProfile* machine() const override;
  MachineTools* machineTools() const { return machineTools_; }
  bool printing() const { return print_.running(); }
  const std::vector<FoundResult>& foundResults() const override { return results_; }
  const StageCounts& foundStages() const override { return stages_; }
  SolveStage foundStoppedIn() const override { return stoppedIn_; }
  bool lastPrintSucceeded() const { return print_.lastSucceeded(); }

  // For tests: print into this PDF file instead of asking the print dialog.
  void setPrintToPdf(const QString& path) { print_.setPdfOutputForTesting(path); }
  // For tests: what stands for the printers installed on the system.
  void setPrintersInstalled(std::function<bool()> installed) { print_.setPrintersInstalledForTesting(std::move(installed)); }

 signals:
  void solveStarted();
  void solveFinished();
  void printFinished();
  void resultShown(int k);  // ShowResult(k) put result k on display
  void resultsCleared();    // ClearResults() emptied the list of found results

 protected:
  void closeEvent(QCloseEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;
  bool focusNextPrevChild(bool next) override;

 private:
  void wireMainPage();
  void installBehaviours();
  void takeFocus();
  void browse(int pos, int delta);
  void lockForRun();
  void startSolve();
  void finishSolve(std::shared_ptr<SolveReport> report);
  void startPrint();
  void finishPrint(const QString& failure, QWidget* owner);
  void offerPdfInstead(QWidget* owner, std::function<void()> saveInstead);

  Controls controls_;
  ClientArea* client_ = nullptr;
  WindowFonts fonts_;

  std::vector<FoundResult> results_;
  StageCounts stages_;
  SolveStage stoppedIn_ = SolveStage::None;  // the found results the browser pages through

  SolveSession solve_{this};
  PrintJob print_{this};
  TableTools* tableTools_ = nullptr;  // results table, sheet as PDF, stock tools
  MachineTools* machineTools_ = nullptr;  // machine profiles, Mountable Trains Only, the mount lines
  bool closeAfterPrint_ = false;

  static constexpr QSize kOuterSize{900, 550};
  WhyNothingLine* whyNothing_ = nullptr;  // where a run that kept nothing ran dry
};

}  // namespace hobwise::ui
