#pragma once
// "Suggest Gears to Buy": the gear advisor on a snapshot of the job and the stock,
// run off the GUI thread, with its progress, a Stop button, the table of suggestions
// and "Add to Stock".
#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include <QDialog>

#include "hobwise/advisor.h"
#include "hobwise/job.h"
#include "hobwise/machines.h"
#include "hobwise/run.h"
#include "hobwise/stock.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTableWidget;
class QTimer;

namespace hobwise::ui {

class WindowAccess;

class AdvisorDialog : public QDialog {
  Q_OBJECT
 public:
  // `addGear` adds one gear of a tooth count to the stock on the Change-gears page.
  AdvisorDialog(const JobInputs& inputs, const GearStock& stock, const SolveOptions& options,
                std::function<void(int toothCount)> addGear, QWidget* parent = nullptr);
  ~AdvisorDialog() override;

  void start();  // runs the advisor; called when the dialog is first shown
  bool running() const { return running_; }
  const AdvisorReport& report() const { return report_; }

  QProgressBar* progressBar() const { return progress_; }
  QTableWidget* table() const { return table_; }
  QPushButton* stopButton() const { return stopButton_; }
  QPushButton* addButton() const { return addButton_; }
  QLabel* outcomeLabel() const { return outcome_; }
  QLabel* mountLabel() const { return mount_; }

  // The machine chosen in the window: the selected suggestion's best result then says
  // how its trains mount.
  void setMachine(const MachineProfile* machine);

 signals:
  void advisorFinished();

 public slots:
  void reject() override;  // Close and the window's close box: stop a run, then close

 protected:
  void showEvent(QShowEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;  // Escape stops a run, or closes

 private:
  static constexpr int kColumns = 7;

  void finish(std::shared_ptr<AdvisorReport> report);
  void endProgress();
  QString nowText() const;
  QString outcomeText() const;
  void fillTable();
  void updateAddButton();
  void addSelected();

  JobInputs inputs_;
  GearStock stock_;
  SolveOptions options_;
  std::function<void(int)> addGear_;

  QLabel* now_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QTableWidget* table_ = nullptr;
  QLabel* outcome_ = nullptr;
  QLabel* mount_ = nullptr;
  std::optional<MachineProfile> machine_;
  void showMount();
  QPushButton* stopButton_ = nullptr;
  QPushButton* addButton_ = nullptr;

  std::thread worker_;
  std::atomic<bool> stop_{false};
  std::atomic<int> tried_{0};
  QTimer* poll_ = nullptr;
  bool running_ = false;
  bool started_ = false;
  bool added_ = false;
  AdvisorReport report_;
};

// Tools -> "Suggest Gears to Buy ...": the dialog, window-modal, on the job of the Main
// page and the stock of the Change-gears page as they are now; "Add to Stock" steps the
// tooth count's up-down as a click on its arrow does. While a solve run is under way
// it only beeps (and gives nothing).
AdvisorDialog* openAdvisorDialog(WindowAccess& window);

}  // namespace hobwise::ui
