#pragma once
// Tools -> "Machine Profiles ...": the shop's machines, each created, edited, deleted,
// exported to and imported from a profile file, and chosen for the Main page; and the
// editor of one profile, which refuses a profile with a message naming the field.
#include <array>
#include <optional>

#include <QDialog>

#include "hobwise/job.h"
#include "hobwise/machines.h"
#include "hobwise/stock.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace hobwise::ui {

class MachineTools;

// One profile's fields: the name, the constants, the stock, and each quadrant's sizes.
class ProfileEditor : public QDialog {
  Q_OBJECT
 public:
  // `profile`: the one to edit (a new one starts from the job's constants and the
  // example machine's quadrants); `stockNow`: the Change-gears page's stock, which the
  // profile can take as its own.
  ProfileEditor(const MachineProfile& profile, const GearStock& stockNow, QWidget* parent = nullptr);

  // The profile the fields make, or the first thing wrong with them ("index.centreDistance:
  // expects ..."), shown below the fields by OK.
  std::optional<MachineProfile> profile(QString* problem = nullptr) const;

  // Every field by its key path as the profile file names it ("name", "index.module",
  // "feed.studRange.least", "index.idler", ...), for tests.
  QLineEdit* field(const QString& path) const;
  QComboBox* unitBox(int train) const { return units_[static_cast<std::size_t>(train)]; }
  QComboBox* stockBox() const { return stock_; }
  QLabel* problemLabel() const { return problem_; }

  void accept() override;

 private:
  struct QuadrantFields;
  QWidget* quadrantBox(int train, const Quadrant& quadrant);

  MachineProfile original_;
  std::string stockNow_;
  std::vector<std::pair<QString, QLineEdit*>> fields_;
  std::array<QComboBox*, 2> units_{};
  QComboBox* stock_ = nullptr;
  QLabel* problem_ = nullptr;
};

class MachineProfilesDialog : public QDialog {
  Q_OBJECT
 public:
  MachineProfilesDialog(MachineTools& tools, const JobInputs& jobNow, const GearStock& stockNow,
                        QWidget* parent = nullptr);

  QListWidget* list() const { return list_; }
  QLabel* messageLabel() const { return message_; }
  void refresh();

 private:
  int selected() const;
  void edit(bool fresh);
  void importWithDialog();
  void exportWithDialog();

  MachineTools& tools_;
  JobInputs jobNow_;
  GearStock stockNow_;
  QListWidget* list_;
  QLabel* message_;
  QPushButton* edit_;
  QPushButton* delete_;
  QPushButton* export_;
  QPushButton* choose_;
};

// The quadrants of the example machine, where a new profile starts.
MachineProfile newMachineProfile(const JobInputs& jobNow);

}  // namespace hobwise::ui
