#include "ui/machine_tools.h"

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <QSettings>

#include "ui/command_ids.h"
#include "ui/controls.h"
#include "ui/machine_dialog.h"
#include "ui/quadrant_drawing.h"
#include "ui/stock_tools.h"
#include "ui/window_access.h"

namespace hobwise::ui {

namespace {

// Beside the four settings: the profiles' texts as their files hold them, and the
// place of the one chosen (-1: none).
const QString kProfilesKey = QStringLiteral("Machine profiles");
const QString kChosenKey = QStringLiteral("Machine chosen");
constexpr int kMostProfiles = 100;

QString qs(const std::string& s) { return QString::fromStdString(s); }

// The Main page's controls that tell whether its inputs are on show (and not locked by
// a run), and whether a result is.
constexpr int kIndexConstantField = 2001;
constexpr int kResultLabel = 1020;

}  // namespace

MachineTools::MachineTools(WindowAccess& window, std::function<void()> inputChanged)
    : window_(window), inputChanged_(std::move(inputChanged)) {
  QWidget* client = window.clientArea();
  const QFont font = window.controls().widget(3007)->font();
  machineLine_ = new QLabel(client);
  machineLine_->setObjectName(QStringLiteral("machineLine"));
  machineLine_->setGeometry(570, 135, 320, 22);  // above the options, right of the set-up list's headers
  mountable_ = new QCheckBox(QStringLiteral("Mountable Trains Only"), client);
  mountable_->setObjectName(QStringLiteral("mountableOnly"));
  mountable_->setGeometry(570, 208, 220, 22);  // below the two C-constant options
  mountable_->setFocusPolicy(Qt::NoFocus);
  mountable_->setToolTip(QStringLiteral("Keep only results whose index and feed trains both mount on the chosen "
                                        "machine (Tools > Machine Profiles ...)"));
  for (int train = 0; train < 2; ++train) {
    mountLines_[train] = new QLabel(client);
    mountLines_[train]->setObjectName(train == 0 ? QStringLiteral("indexMount") : QStringLiteral("feedMount"));
    mountLines_[train]->setGeometry(16, 333 + 22 * train, 870, 22);  // below the feed error line
    mountLines_[train]->setTextInteractionFlags(Qt::TextSelectableByMouse);
  }
  drawing_ = new QPushButton(QStringLiteral("Quadrants ..."), client);
  drawing_->setObjectName(QStringLiteral("quadrantsButton"));
  drawing_->setGeometry(745, 416, 130, 23);  // right of Exit
  drawing_->setFocusPolicy(Qt::NoFocus);
  for (QWidget* w : {static_cast<QWidget*>(machineLine_), static_cast<QWidget*>(mountable_),
                     static_cast<QWidget*>(mountLines_[0]), static_cast<QWidget*>(mountLines_[1]),
                     static_cast<QWidget*>(drawing_)}) {
    w->setFont(font);
    w->hide();
  }
  connect(mountable_, &QCheckBox::clicked, this, [this] {
    if (inputChanged_) inputChanged_();  // an option changed
  });
  connect(drawing_, &QPushButton::clicked, this, [this] { openDrawing(); });
  window.controls().widget(kIndexConstantField)->installEventFilter(this);
  window.controls().widget(kResultLabel)->installEventFilter(this);
  load();
  showMachine();
}

MachineTools::~MachineTools() {
  for (int id : {kIndexConstantField, kResultLabel})
    if (QWidget* w = window_.controls().widget(id)) w->removeEventFilter(this);
}

const MachineProfile* MachineTools::chosen() const {
  return chosen_ >= 0 && chosen_ < static_cast<int>(profiles_.size()) ? &profiles_[static_cast<std::size_t>(chosen_)]
                                                                       : nullptr;
}

// ------------------------------------------------------------------ the profiles

void MachineTools::load() {
  QSettings settings(QStringLiteral("Quillmar"), QStringLiteral("1"));
  const QVariant stored = settings.value(kProfilesKey);
  const QStringList texts = stored.canConvert<QStringList>() ? stored.toStringList() : QStringList();
  bool ok = false;
  const int chosen = settings.value(kChosenKey, -1).toInt(&ok);
  for (int k = 0; k < texts.size() && static_cast<int>(profiles_.size()) < kMostProfiles; ++k) {
    const QByteArray bytes = texts[k].toUtf8();
    if (static_cast<std::size_t>(bytes.size()) > kMachineProfileMaxBytes) continue;
    MachineProfileResult read = parseMachineProfile(std::string_view(bytes.constData(), bytes.size()));
    if (auto* profile = std::get_if<MachineProfile>(&read)) {
      if (ok && k == chosen) chosen_ = static_cast<int>(profiles_.size());
      profiles_.push_back(std::move(*profile));
    }  // a damaged profile is left out
  }
}

void MachineTools::store() const {
  QSettings settings(QStringLiteral("Quillmar"), QStringLiteral("1"));
  QStringList texts;
  for (const MachineProfile& p : profiles_) texts << qs(machineProfileText(p));
  settings.setValue(kProfilesKey, texts);
  settings.setValue(kChosenKey, chosen_);
  settings.sync();
}

void MachineTools::addProfile(const MachineProfile& profile) {
  if (static_cast<int>(profiles_.size()) >= kMostProfiles) return;
  profiles_.push_back(profile);
  store();
}

void MachineTools::replaceProfile(int k, const MachineProfile& profile) {
  if (k < 0 || k >= static_cast<int>(profiles_.size())) return;
  profiles_[static_cast<std::size_t>(k)] = profile;
  store();
  if (k == chosen_) choose(k);  // the chosen machine changed: its constants and stock again
}

void MachineTools::removeProfile(int k) {
  if (k < 0 || k >= static_cast<int>(profiles_.size())) return;
  profiles_.erase(profiles_.begin() + k);
  if (k == chosen_) {
    choose(-1);
    return;
  }
  if (k < chosen_) --chosen_;
  store();
}

void MachineTools::choose(int k) {
  if (k >= static_cast<int>(profiles_.size())) return;
  chosen_ = k < 0 ? -1 : k;
  store();
  if (const MachineProfile* p = chosen()) {
    Controls& controls = window_.controls();
    if (!p->indexConstant.empty()) controls.setText(2001, qs(p->indexConstant));
    if (!p->feedConstant.empty()) controls.setText(2002, qs(p->feedConstant));
    if (!p->stock.empty()) writeGearStock(controls, GearStock::fromText(p->stock));
  } else {
    mountable_->setChecked(false);  // greyed without a machine
  }
  showMachine();
  if (inputChanged_) inputChanged_();
}

QString MachineTools::importFrom(const QString& path) {
  const QByteArray name = path.toLocal8Bit();
  MachineProfileResult read = readMachineProfileFile(std::string(name.constData(), static_cast<std::size_t>(name.size())));
  if (const auto* message = std::get_if<std::string>(&read)) return qs(*message);
  if (static_cast<int>(profiles_.size()) >= kMostProfiles)
    return QStringLiteral("%1 profiles are kept at most: delete one first.").arg(kMostProfiles);
  addProfile(std::get<MachineProfile>(read));
  return {};
}

QString MachineTools::exportTo(int k, const QString& path) const {
  if (k < 0 || k >= static_cast<int>(profiles_.size())) return QStringLiteral("No profile is selected.");
  const QByteArray name = path.toLocal8Bit();
  return qs(writeMachineProfileFile(std::string(name.constData(), static_cast<std::size_t>(name.size())),
                                    profiles_[static_cast<std::size_t>(k)]));
}

// ------------------------------------------------------------------ the option and the result

std::optional<MountQuadrants> MachineTools::mountableOnly() const {
  const MachineProfile* p = chosen();
  if (!p || !mountable_->isChecked()) return std::nullopt;
  return mountQuadrantsOf(*p);
}

std::optional<TrainsMount> MachineTools::mountOnDisplay() const {
  const MachineProfile* p = chosen();
  const std::vector<FoundResult>& results = window_.foundResults();
  if (!p || shown_ < 0 || shown_ >= static_cast<int>(results.size())) return std::nullopt;
  return mountOf(*p, window_.controls().selectedIndex(2005), results[static_cast<std::size_t>(shown_)]);
}

void MachineTools::addToSheet(SheetInputs& sheet) const {
  if (const std::optional<TrainsMount> mount = mountOnDisplay()) addMountToSheet(sheet, *mount, *chosen());
}

void MachineTools::resultShown(int k) {
  shown_ = k;
  showMount();
}

void MachineTools::resultsCleared() {
  shown_ = -1;
  showMount();
}

void MachineTools::showMachine() {
  const MachineProfile* p = chosen();
  const bool inputsShown = window_.controls().isShown(kIndexConstantField);
  machineLine_->setText(p ? qs(machineLine(*p)) : QString());
  machineLine_->setToolTip(p ? machineLine_->text() : QString());
  machineLine_->setVisible(p && inputsShown);
  mountable_->setVisible(inputsShown);
  mountable_->setEnabled(p && window_.controls().isEnabled(kIndexConstantField));
  window_.controls().setMenuEnabled(kQuadrantDrawing, p != nullptr);
}

void MachineTools::showMount() {
  const std::optional<TrainsMount> mount = mountOnDisplay();
  const bool shown = mount && window_.controls().isShown(kResultLabel);
  if (mount) {
    const std::vector<std::string> lines = mountLines(*mount, *chosen());
    for (int train = 0; train < 2; ++train) mountLines_[train]->setText(qs(lines[static_cast<std::size_t>(train)]));
  }
  for (QLabel* line : mountLines_) line->setVisible(shown);
  drawing_->setVisible(shown);
  if (drawingDialog_ && mount)
    drawingDialog_->showMount(*chosen(), *mount);
  else if (drawingDialog_)
    drawingDialog_->showNothing();
}

bool MachineTools::eventFilter(QObject* watched, QEvent* e) {
  const QEvent::Type type = e->type();
  if (type == QEvent::Show || type == QEvent::Hide || type == QEvent::EnabledChange) {
    if (watched == window_.controls().widget(kIndexConstantField)) showMachine();
    if (watched == window_.controls().widget(kResultLabel)) showMount();
  }
  return QObject::eventFilter(watched, e);
}

// ------------------------------------------------------------------ commands

void MachineTools::openDrawing() {
  if (!drawingDialog_) {
    drawingDialog_ = new QuadrantDrawingDialog(window_.mainWidget());
    connect(drawingDialog_, &QObject::destroyed, this, [this] { drawingDialog_ = nullptr; });
  }
  showMount();
  drawingDialog_->show();
  drawingDialog_->raise();
}

void MachineTools::command(int id) {
  if (id == kQuadrantDrawing) {
    if (chosen()) openDrawing();
    return;
  }
  if (id != kMachineProfiles) return;
  if (window_.solveRunning()) {
    QApplication::beep();  // the constants and the stock are the run's until it ends
    return;
  }
  MachineProfilesDialog dialog(*this, window_.ReadJobInputs(), window_.ReadGearStock(), window_.mainWidget());
  dialog.exec();
}

}  // namespace hobwise::ui
