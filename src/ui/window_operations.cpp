// The operations the window runs on every input change, after a solve run and while
// browsing: clearing and showing a result, enabling Solve, the readouts, the pages;
// and what a solve run and a print job read from the controls.
#include <initializer_list>

#include "hobwise/fields.h"
#include "hobwise/results.h"
#include "ui/change_gears_page.h"
#include "ui/command_ids.h"
#include "ui/machine_tools.h"
#include "ui/main_window.h"

namespace hobwise::ui {

namespace {

std::vector<int> ids(std::initializer_list<std::pair<int, int>> ranges) {
  std::vector<int> out;
  for (auto [first, last] : ranges)
    for (int id = first; id <= last; ++id) out.push_back(id);
  return out;
}

// What a solve run locks for its length (the count up-downs come on top).
const std::vector<int> kRunLocked = ids({{1001, 1002}, {1009, 1011}, {1014, 1014}, {2001, 2007}, {3000, 3002},
                                         {3007, 3010}, {3012, 3017}, {3019, 3019}, {3021, 3022}, {3028, 3035}});
// What the display of a result unlocks: the same without Solve, with the status line.
const std::vector<int> kResultUnlocks = ids({{1002, 1002}, {1009, 1011}, {1014, 1014}, {2001, 2007}, {3000, 3002},
                                             {3007, 3007}, {3011, 3011}, {3008, 3010}, {3012, 3017}, {3019, 3019},
                                             {3021, 3022}, {3028, 3035}});
const std::vector<int> kInputGroup = ids({{1001, 1002}, {1011, 1011}, {2001, 2007}, {3000, 3002}, {3007, 3007},
                                          {3009, 3011}, {3015, 3017}, {3019, 3019}, {3021, 3022}, {3028, 3035}});
const std::vector<int> kResultGroup =
    ids({{1003, 1003}, {1012, 1012}, {1020, 1021}, {3003, 3006}, {3008, 3008}, {3012, 3014}, {3024, 3027}});
const std::vector<int> kResultDisplay = ids({{1003, 1003}, {1012, 1012}, {1020, 1021}, {3003, 3006}, {3008, 3014},
                                             {3024, 3027}});
const std::vector<int> kClearedTexts = ids({{3003, 3006}, {3008, 3008}, {3011, 3014}, {3024, 3027}});

QString qs(const std::string& s) { return QString::fromStdString(s); }
std::string ss(const QString& s) { return s.toStdString(); }

}  // namespace

void MainWindow::ClearResults() {
  for (int id : kClearedTexts) controls_.setText(id, QString());
  for (int id : {1003, 1012, 1020, 1021}) controls_.setVisible(id, false);
  client_->invalidateBars();
  controls_.setMenuEnabled(kPrint, false);
  results_.clear();
  results_.shrink_to_fit();
  stages_ = {};
  emit resultsCleared();
}

void MainWindow::UpdateSolveButton() {
  auto value = [this](int id) { return solveValueOf(id, ss(controls_.text(id))); };
  const SolveInputValues values{value(2001), value(2002), value(2004), value(2006), value(2007),
                                controls_.selectedIndex(2003) >= 0, !controls_.isEnabled(kExit)};
  controls_.setEnabled(kSolve, solveAllowed(values));
}

void MainWindow::UpdateGeometryReadouts() {
  const GeometryReadouts r = geometryReadoutsOf(ss(controls_.selectedText(2003)), ss(controls_.text(2006).left(33)),
                                              ss(controls_.text(2004).left(33)));
  controls_.setText(3009, qs(r.pitchDiameter));
  controls_.setText(3010, qs(r.outsideDiameter));
}

void MainWindow::ShowResult(int k) {
  if (!results_.empty() && k >= 0 && static_cast<std::size_t>(k) < results_.size()) {
    // When the fields no longer make a job, the result cannot be judged: only its
    // gears are shown.
    const ResultTexts texts = resultTextsOf(ReadJobInputs(), results_[static_cast<std::size_t>(k)]);
    for (std::size_t i = 0; i < texts.gears.size(); ++i) controls_.setText(kGearFieldIds[i], qs(texts.gears[i]));
    controls_.setText(kStatus, qs(texts.status));
    controls_.setText(3008, qs(texts.indexError));
    controls_.setText(3012, qs(texts.feedError));
    controls_.setText(3013, qs(texts.feedLine));
    controls_.setText(3014, qs(texts.leadLine));
  }
  for (int id : kResultUnlocks) controls_.setEnabled(id, true);
  for (int id = 5200; id <= 5369; ++id) controls_.setEnabled(id, true);
  for (int id : kResultDisplay) controls_.setVisible(id, true);
  controls_.setMenuEnabled(kExitMenu, true);
  controls_.setMenuEnabled(kChangeGearsPage, true);
  controls_.setMenuEnabled(kPrint, !results_.empty());
  controls_.setMenuEnabled(kBypassDuplicates, true);
  client_->invalidateBars();
  emit resultShown(k);
}

void MainWindow::ShowPage(int page) {
  if (page == 1) {
    setChangeGearsPageVisible(controls_, false);
    for (int id : kInputGroup) controls_.setVisible(id, true);
    if (controls_.text(kStatus).isEmpty()) {
      UpdateSolveButton();
      return;
    }
    for (int id : kResultGroup) controls_.setVisible(id, true);
    client_->invalidateBars();
  } else if (page == 2) {
    setChangeGearsPageVisible(controls_, true);
    for (int id : kInputGroup) controls_.setVisible(id, false);
    for (int id : kResultGroup) controls_.setVisible(id, false);
    client_->invalidateBars();
  }
}

void MainWindow::lockForRun() {
  for (int id : {kExitMenu, kChangeGearsPage, kPrint, kBypassDuplicates}) controls_.setMenuEnabled(id, false);
  for (int id : kRunLocked) controls_.setEnabled(id, false);
  for (int id = 5200; id <= 5369; ++id) controls_.setEnabled(id, false);
  controls_.setEnabled(kBrowser, false);  // no browsing while the list is rebuilt
}

// ------------------------------------------------------------------ readers

GearStock MainWindow::ReadGearStock() const {
  std::string text;
  for (int i = 0; i < kToothCountKinds; ++i) {
    const QString t = controls_.text(5000 + i);
    text.push_back(t.isEmpty() ? '0' : t[0].toLatin1());
  }
  return GearStock::fromText(text);
}

JobInputs MainWindow::ReadJobInputs() const {
  JobInputs in;
  in.indexConstant = ss(controls_.text(2001));
  in.feedConstant = ss(controls_.text(2002));
  in.helixAngle = ss(controls_.text(2004));
  in.normalPitch = ss(controls_.text(2006));
  in.feedRate = ss(controls_.text(2007));
  in.hobThreads = ss(controls_.text(3002));
  in.teeth = ss(controls_.selectedText(2003));
  in.setupIndex = controls_.selectedIndex(2005);
  return in;
}

SolveOptions MainWindow::ReadSolveOptions() const {
  SolveOptions options;
  options.wholeOnly = controls_.isChecked(3015);
  options.finiteOnly = controls_.isChecked(3007);
  options.bypassDuplicates = controls_.isChecked(kBypassDuplicates);
  options.processors = logicalProcessors();
  if (machineTools_) options.mountableOnly = machineTools_->mountableOnly();
  return options;
}

SheetInputs MainWindow::ReadSheetInputs() const {
  SheetInputs in;
  in.indexConstant = ss(controls_.text(2001).left(6));
  in.feedConstant = ss(controls_.text(2002).left(40));
  in.helixAngle = ss(controls_.text(2004).left(40));
  in.normalPitch = ss(controls_.text(2006).left(33));
  in.teeth = ss(controls_.selectedText(2003));
  in.setupIndex = controls_.selectedIndex(2005);
  in.hobThreads = ss(controls_.text(3002).left(2));
  in.pitchDiameter = ss(controls_.text(3009).left(40));
  in.outsideDiameter = ss(controls_.text(3010).left(40));
  in.leadLine = ss(controls_.text(3014).left(83));
  in.feedLine = ss(controls_.text(3013).left(68));
  in.status = ss(controls_.text(kStatus));
  in.feedErrorLine = ss(controls_.text(3012));
  for (std::size_t i = 0; i < kGearFieldIds.size(); ++i) in.gears[i] = ss(controls_.text(kGearFieldIds[i]).left(3));
  if (machineTools_) machineTools_->addToSheet(in);
  return in;
}

}  // namespace hobwise::ui
