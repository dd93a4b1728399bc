#pragma once
// What the parts of the Main window (its dialogs, the results table and its tools)
// may reach of the window, without knowing the window itself: its controls, what a
// run and a print job read from them, the found results, and showing and printing.
#include <functional>
#include <vector>

#include "hobwise/job.h"
#include "hobwise/machines.h"
#include "hobwise/run.h"
#include "hobwise/sheet.h"
#include "hobwise/stock.h"

class QWidget;

namespace hobwise::ui {

class Controls;

class WindowAccess {
 public:
  virtual Controls& controls() = 0;
  virtual const Controls& controls() const = 0;
  virtual QWidget* mainWidget() = 0;  // the Main window itself: the owner of dialogs
  virtual QWidget* clientArea() const = 0;

  // What a solve run and a print job take from the controls.
  virtual GearStock ReadGearStock() const = 0;
  virtual JobInputs ReadJobInputs() const = 0;
  virtual SolveOptions ReadSolveOptions() const = 0;
  virtual SheetInputs ReadSheetInputs() const = 0;

  virtual bool solveRunning() const = 0;
  virtual const std::vector<FoundResult>& foundResults() const = 0;
  virtual const StageCounts& foundStages() const = 0;  // of the run that found them
  virtual SolveStage foundStoppedIn() const = 0;      // where a stop ended that run, or None

  // The machine chosen in Tools -> "Machine Profiles ...", if any.
  virtual const MachineProfile* machine() const { return nullptr; }

  virtual void ShowResult(int k) = 0;
  // Prints a sheet through the window's print job, the print dialog owned by
  // `dialogOwner`; with no printer installed, offers `saveInstead` (the sheet as PDF).
  virtual void PrintSheet(const SheetInputs& inputs, QWidget* dialogOwner, std::function<void()> saveInstead) = 0;

 protected:
  ~WindowAccess() = default;
};

}  // namespace hobwise::ui
