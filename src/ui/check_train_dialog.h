#pragma once
// Tools -> "Check a Train ...": the eight tooth counts of a train the operator holds,
// laid out as the Main page shows a result (two fractions), evaluated against the job
// as they are typed, with the stock and the plain reasons a run would not find it,
// and the set-up sheet of the train.
//
// The job, the stock and the options are those of the Main page when the dialog
// opens; the dialog is modal, so they cannot change while it is open.
#include <array>
#include <functional>
#include <optional>

#include <QDialog>
#include <QString>

#include "hobwise/check.h"
#include "hobwise/job.h"
#include "hobwise/machines.h"
#include "hobwise/run.h"
#include "hobwise/sheet.h"
#include "hobwise/stock.h"

class QLabel;
class QLayout;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

namespace hobwise::ui {

class WindowAccess;

class CheckTrainDialog : public QDialog {
  Q_OBJECT
 public:
  // `gears`: the texts of the gear fields of the result on display, in the order of
  // kGearFieldIds (empty texts when no result is on display).
  CheckTrainDialog(const JobInputs& job, const GearStock& stock, const SolveOptions& options,
                   const std::array<QString, 8>& gears, QWidget* parent = nullptr);

  QLineEdit* toothField(std::size_t place) const { return fields_[place]; }
  QPushButton* printButton() const { return print_; }
  QPushButton* saveButton() const { return save_; }

  // The check of the counts as they stand: nothing while a count is refused or the
  // job cannot be evaluated.
  const std::optional<TrainCheck>& check() const { return check_; }
  // The texts on show, one per line: the result lines, then the stock and the notes
  // (or the reason there is no check).
  QString shownText() const;

  // The sheet of the checked train (only while there is a check).
  SheetInputs sheetInputs() const;

  // "Print ..." hands the sheet to this: the window's print path.
  std::function<void(const SheetInputs&)> printSheet;

  // Writes the sheet as a PDF file; false (and a line saying so) when it cannot.
  bool saveSheet(const QString& path);
  // "Save Sheet as PDF ...": asks for the file, then saveSheet.
  void askAndSave();

  // The machine chosen in the window: the notes then say how each train mounts, and so
  // does the sheet.
  void setMachine(const MachineProfile* machine);

 private:
  // The parts of the dialog, top to bottom (below the job's line).
  QLayout* createTrains(const std::array<QString, 8>& gears);
  void addResultLines(QVBoxLayout& layout);
  QLayout* createButtons();
  void evaluate();

  JobInputs job_;
  GearStock stock_;
  SolveOptions options_;
  std::optional<TrainCheck> check_;
  std::optional<MachineProfile> machine_;

  std::array<QLineEdit*, 8> fields_{};
  QLabel* status_ = nullptr;       // "C: p/q"
  QLabel* indexError_ = nullptr;
  QLabel* feedError_ = nullptr;
  QLabel* feedLine_ = nullptr;
  QLabel* leadLine_ = nullptr;
  QLabel* notes_ = nullptr;        // stock and serve notes, or why nothing is shown
  QLabel* saved_ = nullptr;        // where the sheet went
  QPushButton* print_ = nullptr;
  QPushButton* save_ = nullptr;
};

// Tools -> "Check a Train ...": opens the dialog, modal to the window, on the job,
// stock and options the window holds now, filled with the result on display; "Print
// ..." goes through the window's print job. The dialog deletes itself when closed.
// Nothing (a beep) while a solve run is going.
CheckTrainDialog* openCheckTrainDialog(WindowAccess& window);

}  // namespace hobwise::ui
