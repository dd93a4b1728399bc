#include "ui/check_train_dialog.h"

#include <algorithm>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "hobwise/check.h"
#include "hobwise/results.h"
#include "hobwise/sheet.h"
#include "painting/sheet_painter.h"
#include "ui/controls.h"
#include "ui/placement.h"
#include "ui/window_access.h"

namespace hobwise::ui {

namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

QLabel* resultLine(QWidget* parent, const char* name) {
  auto* label = new QLabel(parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return label;
}

// What the train is checked against: the job on the Main page, in words.
QLabel* jobLine(const JobInputs& job, QWidget* parent) {
  auto* against = resultLine(parent, "job");
  const int threads = QString::fromStdString(job.hobThreads).toInt();
  QString jobText = QStringLiteral("Job on the Main page: index constant %1, feed constant %2, feed rate %3, helix "
                                   "angle %4, pitch %5, %6 teeth, %7")
                        .arg(qs(job.indexConstant), qs(job.feedConstant), qs(job.feedRate), qs(job.helixAngle),
                             qs(job.normalPitch), qs(job.teeth),
                             threads == 1 ? QStringLiteral("1 hob thread") : qs(job.hobThreads) + " hob threads");
  if (const std::string setup = setupSheetLine(job.setupIndex, 0); !setup.empty())
    jobText += "\n" + qs(setup) + "; " + qs(setupSheetLine(job.setupIndex, 1));
  against->setText(jobText);
  against->setWordWrap(true);
  return against;
}

}  // namespace

CheckTrainDialog::CheckTrainDialog(const JobInputs& job, const GearStock& stock, const SolveOptions& options,
                                   const std::array<QString, 8>& gears, QWidget* parent)
    : QDialog(parent), job_(job), stock_(stock), options_(options) {
  setWindowTitle(QStringLiteral("Check a Train"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(jobLine(job, this));
  layout->addSpacing(8);
  layout->addLayout(createTrains(gears));
  layout->addSpacing(8);
  addResultLines(*layout);
  layout->addLayout(createButtons());
  evaluate();
  // Wide enough for the longest notes on one line each, as far as the screen allows.
  const int width = std::max(820, sizeHint().width());
  resize(width, hasHeightForWidth() ? heightForWidth(width) : sizeHint().height());
}

QLayout* CheckTrainDialog::createTrains(const std::array<QString, 8>& gears) {
  // The two trains as the Main page shows a result: upper gears over lower gears.
  auto* trains = new QHBoxLayout;
  const auto* validator = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), this);
  for (int train = 0; train < 2; ++train) {
    auto* fraction = new QGridLayout;
    fraction->setHorizontalSpacing(8);
    fraction->setVerticalSpacing(2);
    auto* label = new QLabel(train == 0 ? QStringLiteral("Index:") : QStringLiteral("Feed:"), this);
    label->setAlignment(Qt::AlignHCenter);
    fraction->addWidget(label, 0, 0, 1, 2);
    for (int k = 0; k < 4; ++k) {
      const std::size_t place = static_cast<std::size_t>(train * 4 + k);
      auto* field = new QLineEdit(gears[place], this);
      field->setObjectName(QStringLiteral("toothCount%1").arg(place));
      field->setToolTip(QString::fromLatin1(kGearPlaceNames[place]));
      field->setValidator(validator);
      field->setMaxLength(3);
      field->setAlignment(Qt::AlignHCenter);
      field->setFixedWidth(44);
      fraction->addWidget(field, k < 2 ? 1 : 3, k % 2);
      fields_[place] = field;
      connect(field, &QLineEdit::textChanged, this, &CheckTrainDialog::evaluate);
    }
    auto* bar = new QFrame(this);
    bar->setFrameShape(QFrame::HLine);
    bar->setFrameShadow(QFrame::Plain);
    bar->setLineWidth(2);
    fraction->addWidget(bar, 2, 0, 1, 2);
    trains->addLayout(fraction);
    trains->addSpacing(40);
  }
  trains->addStretch();
  return trains;
}

void CheckTrainDialog::addResultLines(QVBoxLayout& layout) {
  status_ = resultLine(this, "status");
  indexError_ = resultLine(this, "indexError");
  feedError_ = resultLine(this, "feedError");
  feedLine_ = resultLine(this, "feedLine");
  leadLine_ = resultLine(this, "leadLine");
  for (QLabel* line : {status_, indexError_, feedError_, feedLine_, leadLine_}) {
    // The lines keep their room while there is nothing to show.
    line->setMinimumHeight(line->fontMetrics().lineSpacing() * (line == feedLine_ ? 2 : 1));
    layout.addWidget(line);
  }
  layout.addSpacing(8);
  notes_ = resultLine(this, "notes");
  notes_->setWordWrap(true);
  notes_->setMinimumHeight(notes_->fontMetrics().lineSpacing() * 4);
  notes_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  layout.addWidget(notes_);
  saved_ = resultLine(this, "saved");
  layout.addWidget(saved_);
  layout.addStretch();
}

QLayout* CheckTrainDialog::createButtons() {
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  print_ = new QPushButton(QStringLiteral("Print ..."), this);
  save_ = new QPushButton(QStringLiteral("Save Sheet as PDF ..."), this);
  auto* close = new QPushButton(QStringLiteral("Close"), this);
  for (QPushButton* b : {print_, save_, close}) {
    b->setAutoDefault(false);
    buttons->addWidget(b);
  }
  connect(print_, &QPushButton::clicked, this, [this] {
    if (check_ && printSheet) printSheet(sheetInputs());
  });
  connect(save_, &QPushButton::clicked, this, &CheckTrainDialog::askAndSave);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  return buttons;
}

void CheckTrainDialog::evaluate() {
  check_.reset();
  saved_->clear();
  std::string refused;
  MountedTeeth teeth{};
  for (std::size_t place = 0; place < fields_.size() && refused.empty(); ++place) {
    if (const auto t = toothCountAt(fields_[place]->text().toStdString(), place, refused)) teeth[place] = *t;
  }
  if (refused.empty()) {
    check_ = checkMountedTrain(job_, stock_, options_, teeth);
    const std::string field = check_ ? std::string() : unreadableFieldText(job_, false);
    if (!check_) refused = "The job on the Main page cannot be evaluated" + (field.empty() ? "." : ": " + field + ".");
  }
  print_->setEnabled(check_.has_value());
  save_->setEnabled(check_.has_value());
  if (!check_) {
    for (QLabel* line : {status_, indexError_, feedError_, feedLine_, leadLine_}) line->clear();
    QString reason = qs(refused);
    if (!reason.isEmpty()) reason[0] = reason[0].toUpper();  // the place's name begins the sentence
    notes_->setText(reason);
    return;
  }
  const ResultTexts& t = check_->texts;
  status_->setText(t.status.empty() ? QStringLiteral("C: (no fraction below 10000)") : qs(t.status));
  indexError_->setText(qs(t.indexError));
  feedError_->setText(qs(t.feedError));
  feedLine_->setText(qs(t.feedLine).remove(QLatin1Char('\r')));
  leadLine_->setText(qs(t.leadLine));
  QStringList notes;
  for (const std::string& line : checkSummaryLines(*check_)) notes << qs(line);
  if (machine_)
    for (const std::string& line : mountLines(mountOf(*machine_, job_.setupIndex, check_->result), *machine_))
      notes << qs(line);
  notes_->setText(notes.join(QLatin1Char('\n')));
  // More lines of notes than there is room for: the dialog grows, within the screen.
  if (isVisible() && hasHeightForWidth() && heightForWidth(width()) > height()) {
    resize(width(), heightForWidth(width()));
    placeWindow(this);
  }
}

void CheckTrainDialog::setMachine(const MachineProfile* machine) {
  machine_.reset();
  if (machine) machine_ = *machine;
  evaluate();
}

QString CheckTrainDialog::shownText() const {
  QStringList lines;
  for (const QLabel* line : {status_, indexError_, feedError_, feedLine_, leadLine_, notes_})
    if (!line->text().isEmpty()) lines << line->text();
  return lines.join(QLatin1Char('\n'));
}

SheetInputs CheckTrainDialog::sheetInputs() const {
  if (!check_) return SheetInputs{};
  SheetInputs sheet = sheetInputsOf(job_, *check_);
  if (machine_) addMountToSheet(sheet, mountOf(*machine_, job_.setupIndex, check_->result), *machine_);
  return sheet;
}

bool CheckTrainDialog::saveSheet(const QString& path) {
  const std::string error =
      check_ ? writeSheetPdf(sheetInputs(), QFile::encodeName(path).toStdString()) : "no train to write";
  const bool ok = error.empty();
  saved_->setText(ok ? QStringLiteral("Sheet written to %1").arg(QDir::toNativeSeparators(path))
                     : QStringLiteral("The sheet was not saved: %1").arg(qs(error)));
  return ok;
}

void CheckTrainDialog::askAndSave() {
  QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save Sheet as PDF"),
                                              QDir::home().filePath(QStringLiteral("Change Gears.pdf")),
                                              QStringLiteral("PDF files (*.pdf)"));
  if (path.isEmpty()) return;  // cancelled
  if (!path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) path += QStringLiteral(".pdf");
  saveSheet(path);
}

CheckTrainDialog* openCheckTrainDialog(WindowAccess& window) {
  if (window.solveRunning()) {
    QApplication::beep();  // the fields are the run's until it ends
    return nullptr;
  }
  std::array<QString, 8> gears;
  if (!window.foundResults().empty())
    for (std::size_t i = 0; i < gears.size(); ++i) gears[i] = window.controls().text(kGearFieldIds[i]);
  auto* dialog = new CheckTrainDialog(window.ReadJobInputs(), window.ReadGearStock(), window.ReadSolveOptions(),
                                      gears, window.mainWidget());
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setWindowModality(Qt::WindowModal);
  dialog->printSheet = [&window, dialog](const SheetInputs& inputs) {
    window.PrintSheet(inputs, dialog, [d = QPointer<CheckTrainDialog>(dialog)] {
      if (d) d->askAndSave();
    });
  };
  dialog->setMachine(window.machine());
  dialog->open();
  return dialog;
}

}  // namespace hobwise::ui
