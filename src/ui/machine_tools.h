#pragma once
// The shop's machines in the window: the machine profiles (kept beside the four
// settings, under keys of their own), the one chosen, "Mountable Trains Only", and what
// the Main page says of the result on display: the machine's name above the options,
// the option beside them, and a line per train below the result lines saying whether
// and how it mounts, with "Quadrants ..." for the drawing.
//
// Choosing a profile fills the index constant, the feed constant and, where the profile
// has one, the stock, as an edit would: the result on display goes and Solve is judged
// again. A stored profile that cannot be read is left out (never a crash); an imported
// file that is refused changes nothing and says why, naming the field.
#include <functional>
#include <optional>
#include <vector>

#include <QObject>
#include <QString>

#include "hobwise/machines.h"
#include "hobwise/sheet.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace hobwise::ui {

class QuadrantDrawingDialog;
class WindowAccess;

class MachineTools : public QObject {
  Q_OBJECT
 public:
  // `inputChanged`: what an edit of a field runs (ClearResults, then UpdateSolveButton).
  MachineTools(WindowAccess& window, std::function<void()> inputChanged);
  ~MachineTools() override;

  // The menu commands kMachineProfiles and kQuadrantDrawing.
  void command(int id);

  const std::vector<MachineProfile>& profiles() const { return profiles_; }
  int chosenIndex() const { return chosen_; }
  const MachineProfile* chosen() const;

  // Changes to the profiles, each stored at once. `choose(-1)` uses no machine.
  void addProfile(const MachineProfile& profile);
  void replaceProfile(int k, const MachineProfile& profile);
  void removeProfile(int k);
  void choose(int k);
  // A profile file added to the profiles (not chosen); the empty text, or why the file
  // is refused (then nothing changes).
  QString importFrom(const QString& path);
  // Profile k written to a file; the empty text, or why it could not be.
  QString exportTo(int k, const QString& path) const;

  // "Mountable Trains Only" for a run: set while a machine is chosen and the box checked.
  std::optional<MountQuadrants> mountableOnly() const;
  // How the trains of the result on display go on the chosen machine, on its sheet.
  void addToSheet(SheetInputs& sheet) const;

  QCheckBox* mountableBox() const { return mountable_; }
  QLabel* machineLabel() const { return machineLine_; }
  QLabel* mountLine(int train) const { return mountLines_[train]; }
  QPushButton* drawingButton() const { return drawing_; }
  QuadrantDrawingDialog* drawingDialog() const { return drawingDialog_; }

  // The window's events, which the window passes on.
  void resultShown(int k);
  void resultsCleared();

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void load();
  void store() const;
  void showMachine();
  void showMount();
  void openDrawing();
  std::optional<TrainsMount> mountOnDisplay() const;

  WindowAccess& window_;
  std::function<void()> inputChanged_;
  std::vector<MachineProfile> profiles_;
  int chosen_ = -1;
  int shown_ = -1;  // the result on display, -1 for none

  QLabel* machineLine_;
  QCheckBox* mountable_;
  QLabel* mountLines_[2];
  QPushButton* drawing_;
  QuadrantDrawingDialog* drawingDialog_ = nullptr;
};

}  // namespace hobwise::ui
