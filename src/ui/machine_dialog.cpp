#include "ui/machine_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/machine_tools.h"

namespace hobwise::ui {

namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }
QString qs(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

const char* const kTrainKey[2] = {"index", "feed"};

// The quadrants a new profile starts from: those of the example machine.
constexpr std::string_view kStartingQuadrants = R"({
  "index": {"module": 2.5, "centreDistance": 180, "studRange": [70, 165],
            "shaftDiameters": {"driving": 32, "driven": 32}, "gap": 1,
            "maxOutsideDiameter": {"driving": 210, "stud": 210, "driven": 210}},
  "feed": {"module": 2, "centreDistance": 125, "studRange": [55, 120],
           "shaftDiameters": {"driving": 25, "driven": 25}, "gap": 1,
           "maxOutsideDiameter": {"driving": 170, "stud": 170, "driven": 170}}})";

// A size field's text: the decimal, or empty.
QString sizeText(const Decimal4& d) { return qs(d.text()); }

}  // namespace

MachineProfile newMachineProfile(const JobInputs& jobNow) {
  MachineProfile profile = std::get<MachineProfile>(parseMachineProfile(kStartingQuadrants));
  profile.name = "New machine";
  profile.indexConstant = jobNow.indexConstant;
  profile.feedConstant = jobNow.feedConstant;
  return profile;
}

// ------------------------------------------------------------------ the editor

ProfileEditor::ProfileEditor(const MachineProfile& profile, const GearStock& stockNow, QWidget* parent)
    : QDialog(parent), original_(profile), stockNow_(stockNow.toText()) {
  setWindowTitle(QStringLiteral("Machine Profile"));
  auto* top = new QFormLayout;
  const auto add = [&](QFormLayout* form, const QString& path, const QString& label, const QString& text) {
    auto* edit = new QLineEdit(text, this);
    edit->setObjectName(path);
    fields_.emplace_back(path, edit);
    form->addRow(label, edit);
    return edit;
  };
  add(top, QStringLiteral("name"), QStringLiteral("Name:"), qs(profile.name))->setMaxLength(kMachineNameLimit);
  add(top, QStringLiteral("indexConstant"), QStringLiteral("Index constant:"), qs(profile.indexConstant))
      ->setPlaceholderText(QStringLiteral("none: the field keeps its text"));
  add(top, QStringLiteral("feedConstant"), QStringLiteral("Feed constant:"), qs(profile.feedConstant))
      ->setPlaceholderText(QStringLiteral("none: the field keeps its text"));
  stock_ = new QComboBox(this);
  if (!profile.stock.empty()) stock_->addItem(QStringLiteral("Its own stock, as it was saved"), 2);
  stock_->addItem(QStringLiteral("No stock of its own: the Change-gears page keeps its counts"), 0);
  stock_->addItem(QStringLiteral("The Change-gears page's stock as it is now"), 1);
  top->addRow(QStringLiteral("Stock:"), stock_);

  auto* quadrants = new QHBoxLayout;
  quadrants->addWidget(quadrantBox(0, profile.index));
  quadrants->addWidget(quadrantBox(1, profile.feed));

  problem_ = new QLabel(this);
  problem_->setObjectName(QStringLiteral("problem"));
  problem_->setWordWrap(true);
  problem_->setStyleSheet(QStringLiteral("color: #b00000"));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &ProfileEditor::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(buttons, &QDialogButtonBox::helpRequested, this, [this] {
    QMessageBox::information(this, QStringLiteral("Machine Profiles"), qs(kMachineProfileHelp));
  });
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(quadrants);
  layout->addWidget(problem_);
  layout->addWidget(buttons);
}

QWidget* ProfileEditor::quadrantBox(int train, const Quadrant& q) {
  const QString key = QString::fromLatin1(kTrainKey[train]);
  auto* box = new QGroupBox(train == 0 ? QStringLiteral("Index train's quadrant (mm)")
                                       : QStringLiteral("Feed train's quadrant (mm)"),
                            this);
  auto* form = new QFormLayout(box);
  QComboBox*& unit = units_[static_cast<std::size_t>(train)];
  unit = new QComboBox(box);
  unit->addItem(QStringLiteral("Module (mm)"));
  unit->addItem(QStringLiteral("Diametral pitch (1/inch)"));
  unit->setCurrentIndex(q.pitchUnit == PitchUnit::kModule ? 0 : 1);
  form->addRow(QStringLiteral("Change gears:"), unit);
  const auto add = [&](const char* path, const char* label, const QString& text) {
    auto* edit = new QLineEdit(text, box);
    edit->setObjectName(key + QLatin1Char('.') + QLatin1String(path));
    fields_.emplace_back(edit->objectName(), edit);
    form->addRow(QString::fromLatin1(label), edit);
    return edit;
  };
  add("pitch", "Module or DP:", sizeText(q.pitch));
  add("centreDistance", "Centre distance D:", sizeText(q.centreDistance));
  add("studRange.least", "Stud from driving, least:", q.studRange ? sizeText((*q.studRange)[0]) : QString())
      ->setPlaceholderText(QStringLiteral("no slot"));
  add("studRange.greatest", "Stud from driving, greatest:", q.studRange ? sizeText((*q.studRange)[1]) : QString())
      ->setPlaceholderText(QStringLiteral("no slot"));
  add("shaftDiameters.driving", "Driving shaft with collar:", sizeText(q.drivingShaftDiameter));
  add("shaftDiameters.driven", "Driven shaft with collar:", sizeText(q.drivenShaftDiameter));
  add("gap", "Least gap:", sizeText(q.gap));
  add("maxOutsideDiameter.driving", "Largest gear, driving shaft:", sizeText(q.maxDrivingOutsideDiameter));
  add("maxOutsideDiameter.stud", "Largest gear, stud:", sizeText(q.maxStudOutsideDiameter));
  add("maxOutsideDiameter.driven", "Largest gear, driven shaft:", sizeText(q.maxDrivenOutsideDiameter));
  add("idler", "Idler (teeth):", q.idler ? QString::number(*q.idler) : QString())
      ->setPlaceholderText(QStringLiteral("none"));
  return box;
}

QLineEdit* ProfileEditor::field(const QString& path) const {
  for (const auto& [key, edit] : fields_)
    if (key == path) return edit;
  return nullptr;
}

std::optional<MachineProfile> ProfileEditor::profile(QString* problem) const {
  QString wrong;
  const auto text = [this](const QString& path) { return field(path)->text().trimmed(); };
  // A size: a number with at most four decimals (a comma taken as the point), or empty
  // where `optional`.
  const auto size = [&](const QString& path, const QString& named, bool optional) -> std::optional<Decimal4> {
    QString t = text(path);
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    if (t.isEmpty() && optional) return std::nullopt;
    if (const std::optional<Decimal4> d = Decimal4::fromText(t.toStdString())) return d;
    if (wrong.isEmpty())
      wrong = t.isEmpty() ? named + QStringLiteral(": required")
                          : named + QStringLiteral(": expects a number with at most 4 decimals, got \"%1\"").arg(t);
    return Decimal4();
  };
  MachineProfile p;
  p.name = text(QStringLiteral("name")).toStdString();
  p.indexConstant = text(QStringLiteral("indexConstant")).toStdString();
  p.feedConstant = text(QStringLiteral("feedConstant")).toStdString();
  const int stock = stock_->currentData().toInt();
  p.stock = stock == 2 ? original_.stock : stock == 1 ? stockNow_ : std::string();
  for (int train = 0; train < 2; ++train) {
    const QString key = QString::fromLatin1(kTrainKey[train]) + QLatin1Char('.');
    Quadrant& q = train == 0 ? p.index : p.feed;
    q.pitchUnit = units_[static_cast<std::size_t>(train)]->currentIndex() == 0 ? PitchUnit::kModule
                                                                                : PitchUnit::kDiametralPitch;
    const QString pitchName = key + (q.pitchUnit == PitchUnit::kModule ? "module" : "diametralPitch");
    q.pitch = *size(key + "pitch", pitchName, false);
    q.centreDistance = *size(key + "centreDistance", key + "centreDistance", false);
    const auto least = size(key + "studRange.least", key + "studRange", true);
    const auto greatest = size(key + "studRange.greatest", key + "studRange", true);
    if (least && greatest) q.studRange = std::array{*least, *greatest};
    else if ((least || greatest) && wrong.isEmpty()) wrong = key + "studRange: give both ends, or neither";
    q.drivingShaftDiameter = *size(key + "shaftDiameters.driving", key + "shaftDiameters.driving", false);
    q.drivenShaftDiameter = *size(key + "shaftDiameters.driven", key + "shaftDiameters.driven", false);
    q.gap = size(key + "gap", key + "gap", true).value_or(Decimal4::whole(1));
    q.maxDrivingOutsideDiameter = *size(key + "maxOutsideDiameter.driving", key + "maxOutsideDiameter.driving", false);
    q.maxStudOutsideDiameter = *size(key + "maxOutsideDiameter.stud", key + "maxOutsideDiameter.stud", false);
    q.maxDrivenOutsideDiameter = *size(key + "maxOutsideDiameter.driven", key + "maxOutsideDiameter.driven", false);
    const QString idler = text(key + "idler");
    bool whole = false;
    const int teeth = idler.toInt(&whole);
    if (!idler.isEmpty()) {
      if (whole) q.idler = teeth;
      else if (wrong.isEmpty()) wrong = key + QStringLiteral("idler: expects a tooth count from 16 to 169, got \"%1\"").arg(idler);
    }
  }
  if (wrong.isEmpty()) wrong = qs(machineProfileProblem(p));
  if (problem) *problem = wrong;
  if (!wrong.isEmpty()) return std::nullopt;
  return p;
}

void ProfileEditor::accept() {
  QString problem;
  if (!profile(&problem)) {
    problem_->setText(problem);
    return;
  }
  QDialog::accept();
}

// ------------------------------------------------------------------ the list

MachineProfilesDialog::MachineProfilesDialog(MachineTools& tools, const JobInputs& jobNow, const GearStock& stockNow,
                                             QWidget* parent)
    : QDialog(parent), tools_(tools), jobNow_(jobNow), stockNow_(stockNow) {
  setWindowTitle(QStringLiteral("Machine Profiles"));
  list_ = new QListWidget(this);
  message_ = new QLabel(this);
  message_->setWordWrap(true);
  auto* create = new QPushButton(QStringLiteral("&New ..."), this);
  edit_ = new QPushButton(QStringLiteral("&Edit ..."), this);
  delete_ = new QPushButton(QStringLiteral("&Delete"), this);
  auto* import = new QPushButton(QStringLiteral("&Import ..."), this);
  export_ = new QPushButton(QStringLiteral("E&xport ..."), this);
  choose_ = new QPushButton(QStringLiteral("&Choose"), this);
  auto* none = new QPushButton(QStringLiteral("Use No &Machine"), this);
  auto* help = new QPushButton(QStringLiteral("&Help"), this);
  auto* close = new QPushButton(QStringLiteral("Close"), this);
  connect(create, &QPushButton::clicked, this, [this] { edit(true); });
  connect(edit_, &QPushButton::clicked, this, [this] { edit(false); });
  connect(list_, &QListWidget::itemDoubleClicked, this, [this] { edit(false); });
  connect(delete_, &QPushButton::clicked, this, [this] {
    tools_.removeProfile(selected());
    refresh();
  });
  connect(import, &QPushButton::clicked, this, [this] { importWithDialog(); });
  connect(export_, &QPushButton::clicked, this, [this] { exportWithDialog(); });
  connect(choose_, &QPushButton::clicked, this, [this] {
    tools_.choose(selected());
    message_->clear();  // "Imported; press Choose ..." is done with
    refresh();
  });
  connect(none, &QPushButton::clicked, this, [this] {
    tools_.choose(-1);
    message_->clear();
    refresh();
  });
  connect(help, &QPushButton::clicked, this, [this] {
    QMessageBox::information(this, QStringLiteral("Machine Profiles"), qs(kMachineProfileHelp));
  });
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  connect(list_, &QListWidget::currentRowChanged, this, [this] {
    const bool any = selected() >= 0;
    for (QPushButton* b : {edit_, delete_, export_, choose_}) b->setEnabled(any);
  });

  auto* buttons = new QVBoxLayout;
  for (QPushButton* b : {choose_, none, create, edit_, delete_, import, export_, help}) buttons->addWidget(b);
  buttons->addStretch(1);
  buttons->addWidget(close);
  auto* row = new QHBoxLayout;
  row->addWidget(list_, 1);
  row->addLayout(buttons);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(row, 1);
  layout->addWidget(message_);
  resize(560, 340);
  refresh();
}

int MachineProfilesDialog::selected() const { return list_->currentRow(); }

void MachineProfilesDialog::refresh() {
  const int keep = std::max(selected(), tools_.chosenIndex());
  list_->clear();
  for (std::size_t k = 0; k < tools_.profiles().size(); ++k) {
    const MachineProfile& p = tools_.profiles()[k];
    QString name = p.name.empty() ? QStringLiteral("(no name)") : qs(p.name);
    if (static_cast<int>(k) == tools_.chosenIndex()) name += QStringLiteral("   (chosen)");
    list_->addItem(name);
  }
  list_->setCurrentRow(std::min(keep, list_->count() - 1));
  const bool any = selected() >= 0;
  for (QPushButton* b : {edit_, delete_, export_, choose_}) b->setEnabled(any);
}

void MachineProfilesDialog::edit(bool fresh) {
  const int k = selected();
  if (!fresh && k < 0) return;
  const MachineProfile start = fresh ? newMachineProfile(jobNow_) : tools_.profiles()[static_cast<std::size_t>(k)];
  ProfileEditor editor(start, stockNow_, this);
  if (editor.exec() != QDialog::Accepted) return;
  const std::optional<MachineProfile> made = editor.profile();
  if (!made) return;
  if (fresh) {
    tools_.addProfile(*made);
    refresh();
    list_->setCurrentRow(list_->count() - 1);
  } else {
    tools_.replaceProfile(k, *made);
    refresh();
  }
  message_->clear();
}

void MachineProfilesDialog::importWithDialog() {
  const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Import Machine Profile"), QString(),
                                                    QStringLiteral("Machine profiles (*.json);;All files (*)"));
  if (path.isEmpty()) return;
  const QString problem = tools_.importFrom(path);
  if (!problem.isEmpty()) {
    message_->setText(QStringLiteral("Not imported: ") + problem);
    QMessageBox::warning(this, QStringLiteral("Import Machine Profile"),
                         QStringLiteral("The file is refused; the profiles stay as they were.\n\n") + problem);
    return;
  }
  refresh();
  list_->setCurrentRow(list_->count() - 1);
  message_->setText(QStringLiteral("Imported; press Choose to use it."));
}

void MachineProfilesDialog::exportWithDialog() {
  const int k = selected();
  if (k < 0) return;
  const std::string& name = tools_.profiles()[static_cast<std::size_t>(k)].name;
  QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Export Machine Profile"),
                                              (name.empty() ? QStringLiteral("machine") : qs(name)) + ".json",
                                              QStringLiteral("Machine profiles (*.json)"));
  if (path.isEmpty()) return;
  const QString problem = tools_.exportTo(k, path);
  if (!problem.isEmpty())
    QMessageBox::warning(this, QStringLiteral("Export Machine Profile"), problem);
  else
    message_->setText(QStringLiteral("Written to %1").arg(path));
}

}  // namespace hobwise::ui
