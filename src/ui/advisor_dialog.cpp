// "Suggest Gears to Buy": the gear advisor's dialog.
#include "ui/advisor_dialog.h"

#include <algorithm>

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "hobwise/results.h"
#include "hobwise/run.h"
#include "ui/controls.h"
#include "ui/widgets.h"
#include "ui/window_access.h"

namespace hobwise::ui {

namespace {

// The row of a result as the results table shows it.
ResultRow rowOf(const JobInputs& inputs, const FoundResult& result) {
  return resultRowOf(1, resultTextsOf(inputs, result));
}

QString cell(const ResultRow& row, ResultColumn column) { return QString::fromStdString(row[column]); }

QString plural(std::size_t n, const char* one, const char* many) {
  return QString::number(n) + QLatin1Char(' ') + QLatin1String(n == 1 ? one : many);
}

// "1 tooth count", "12 tooth counts".
QString ofToothCounts(int n) { return plural(static_cast<std::size_t>(std::max(n, 0)), "tooth count", "tooth counts"); }

}  // namespace

AdvisorDialog::AdvisorDialog(const JobInputs& inputs, const GearStock& stock, const SolveOptions& options,
                             std::function<void(int)> addGear, QWidget* parent)
    : QDialog(parent), inputs_(inputs), stock_(stock), options_(options), addGear_(std::move(addGear)) {
  setWindowTitle(QStringLiteral("Suggest Gears to Buy"));
  setObjectName(QStringLiteral("advisorDialog"));

  now_ = new QLabel(QStringLiteral("Solving the job with the stock as it is, then with one gear more of each "
                                   "tooth count ..."),
                    this);
  progress_ = new QProgressBar(this);
  const std::size_t candidates = toothCountsToTry(stock_).size();
  progress_->setRange(0, std::max(1, static_cast<int>(candidates)));
  progress_->setValue(0);
  progress_->setFormat(candidates == 1 ? QStringLiteral("%v of 1 tooth count tried")
                                       : QStringLiteral("%v of %m tooth counts tried"));
  progress_->setTextVisible(true);

  table_ = new QTableWidget(0, kColumns, this);
  table_->setHorizontalHeaderLabels({QStringLiteral("Add (teeth)"), QStringLiteral("Results"),
                                     QStringLiteral("Feed Error Now"), QStringLiteral("Feed Error"),
                                     QStringLiteral("Lead Error"), QStringLiteral("Index Gears"),
                                     QStringLiteral("Feed Gears")});
  table_->verticalHeader()->setVisible(false);
  table_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  table_->horizontalHeader()->setStretchLastSection(true);

  outcome_ = new QLabel(this);
  outcome_->setWordWrap(true);
  mount_ = new QLabel(this);
  mount_->setObjectName(QStringLiteral("mountLines"));
  mount_->hide();
  stopButton_ = new QPushButton(QStringLiteral("Stop"), this);
  addButton_ = new QPushButton(QStringLiteral("Add to Stock"), this);
  addButton_->setEnabled(false);
  auto* close = new QPushButton(QStringLiteral("Close"), this);
  for (QPushButton* b : {stopButton_, addButton_, close}) b->setAutoDefault(false);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(stopButton_);
  buttons->addWidget(addButton_);
  buttons->addStretch(1);
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(now_);
  layout->addWidget(progress_);
  layout->addWidget(table_, 1);
  layout->addWidget(outcome_);
  layout->addWidget(mount_);
  layout->addLayout(buttons);
  resize(820, 420);

  // The progress bar follows the advisor's count of tried additions, read on this
  // thread; the report itself comes back through one queued call.
  poll_ = new QTimer(this);
  poll_->setInterval(50);
  connect(poll_, &QTimer::timeout, this, [this] { progress_->setValue(tried_.load()); });

  connect(stopButton_, &QPushButton::clicked, this, [this] { stop_ = true; });
  connect(addButton_, &QPushButton::clicked, this, [this] { addSelected(); });
  connect(close, &QPushButton::clicked, this, &AdvisorDialog::reject);
  connect(table_, &QTableWidget::itemSelectionChanged, this, [this] {
    updateAddButton();
    showMount();
  });
}

void AdvisorDialog::setMachine(const MachineProfile* machine) {
  machine_.reset();
  if (machine) machine_ = *machine;
  showMount();
}

void AdvisorDialog::showMount() {
  const int row = table_->currentRow();
  const bool any = machine_ && row >= 0 && static_cast<std::size_t>(row) < report_.suggestions.size();
  QStringList lines;
  if (any) {
    lines << QStringLiteral("Its best result on %1:").arg(QString::fromStdString(machine_->name));
    const FoundResult& best = report_.suggestions[static_cast<std::size_t>(row)].best;
    for (const std::string& line : mountLines(mountOf(*machine_, inputs_.setupIndex, best), *machine_))
      lines << QString::fromStdString(line);
  }
  mount_->setText(lines.join(QLatin1Char('\n')));
  mount_->setVisible(any);
}

AdvisorDialog::~AdvisorDialog() {
  stop_ = true;
  if (worker_.joinable()) worker_.join();
}

void AdvisorDialog::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  if (!started_) start();
}

void AdvisorDialog::start() {
  if (started_) return;
  started_ = true;
  running_ = true;
  poll_->start();
  stopButton_->setEnabled(true);
  worker_ = std::thread([this, inputs = inputs_, stock = stock_, options = options_] {
    AdvisorCallbacks callbacks;
    callbacks.stop = &stop_;
    callbacks.progress = [this](int tried, int) { tried_ = tried; };  // the timer shows it
    auto report = std::make_shared<AdvisorReport>(suggestGears(inputs, stock, options, callbacks));
    QMetaObject::invokeMethod(this, [this, report] { finish(report); }, Qt::QueuedConnection);
  });
}

void AdvisorDialog::finish(std::shared_ptr<AdvisorReport> report) {
  if (worker_.joinable()) worker_.join();
  running_ = false;
  poll_->stop();
  report_ = std::move(*report);
  stopButton_->setEnabled(false);
  endProgress();
  now_->setText(nowText());
  outcome_->setText(outcomeText());
  fillTable();
  emit advisorFinished();
}

// The line above the bar: the best result now, or why there is nothing to compare with.
QString AdvisorDialog::nowText() const {
  if (report_.full)
    return QStringLiteral("Every tooth count holds 7 gears: no tooth count can take one more, so nothing was tried.");
  if (report_.failed)
    return QStringLiteral("The job cannot be solved: ") + QString::fromStdString(whyTheRunFailed(inputs_)) + ".";
  if (report_.nowBest)
    return QStringLiteral("Now: ") + plural(report_.nowCount, "result", "results") +
           QStringLiteral(", the best with a feed error of ") + cell(rowOf(inputs_, *report_.nowBest), kFeedErrorColumn) +
           QStringLiteral(".");
  if (report_.stopped && report_.tried == 0) return QStringLiteral("Stopped before the first tooth count was tried.");
  return QStringLiteral("Now: no result.");
}

// The line below the table: whether a stop came first, and what the suggestions are.
QString AdvisorDialog::outcomeText() const {
  if (report_.full || report_.failed) return {};
  QStringList parts;
  if (report_.stopped)
    parts << QStringLiteral("Stopped after %1 of %2.").arg(report_.tried).arg(ofToothCounts(report_.candidates));
  if (!report_.suggestions.empty())
    parts << plural(report_.suggestions.size(), "tooth count improves", "tooth counts improve") +
                 QStringLiteral(" on the best result; select one and press Add to Stock.");
  else if (report_.stopped && report_.tried > 0)
    parts << QStringLiteral("No suggestion among the tooth counts tried.");
  else if (!report_.stopped)
    parts << (report_.nowBest ? QStringLiteral("Nothing improves: no one gear more gives a smaller feed error.")
                              : QStringLiteral("Nothing improves: no one gear more finds a result."));
  return parts.join(QLatin1Char(' '));
}

// The bar goes to its end whatever the advisor's end, and says which end it was.
void AdvisorDialog::endProgress() {
  const int candidates = std::max(1, report_.candidates);
  progress_->setRange(0, candidates);
  progress_->setValue(candidates);
  if (report_.full)
    progress_->setFormat(QStringLiteral("No tooth count can take one more gear"));
  else if (report_.failed)
    progress_->setFormat(QStringLiteral("The job cannot be solved"));
  else if (report_.stopped)
    progress_->setFormat(QStringLiteral("Stopped after %1 of %2").arg(report_.tried).arg(ofToothCounts(report_.candidates)));
  else
    progress_->setFormat(QStringLiteral("%1 of %2 tried").arg(report_.tried).arg(ofToothCounts(report_.candidates)));
}

void AdvisorDialog::fillTable() {
  table_->setRowCount(static_cast<int>(report_.suggestions.size()));
  const QString now = report_.nowBest ? cell(rowOf(inputs_, *report_.nowBest), kFeedErrorColumn) : QStringLiteral("none");
  for (std::size_t k = 0; k < report_.suggestions.size(); ++k) {
    const Suggestion& s = report_.suggestions[k];
    // The same texts as the results table shows for this result.
    const ResultRow row = rowOf(inputs_, s.best);
    const QString cells[kColumns] = {QString::number(s.add),           QString::number(s.count),
                                     now,                              cell(row, kFeedErrorColumn),
                                     cell(row, kLeadErrorColumn),      cell(row, kIndexGearsColumn),
                                     cell(row, kFeedGearsColumn)};
    for (int c = 0; c < kColumns; ++c) {
      auto* item = new QTableWidgetItem(cells[c]);
      if (c < 5) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      table_->setItem(static_cast<int>(k), c, item);
    }
  }
  if (!report_.suggestions.empty()) table_->selectRow(0);
  updateAddButton();
}

void AdvisorDialog::updateAddButton() {
  addButton_->setEnabled(!running_ && !added_ && table_->currentRow() >= 0 &&
                         !table_->selectedItems().isEmpty());
}

void AdvisorDialog::addSelected() {
  const int row = table_->currentRow();
  if (running_ || added_ || row < 0 || static_cast<std::size_t>(row) >= report_.suggestions.size()) return;
  const int teeth = report_.suggestions[static_cast<std::size_t>(row)].add;
  added_ = true;
  if (addGear_) addGear_(teeth);
  outcome_->setText(QStringLiteral("One gear of %1 teeth added to the stock. Solve again on the Main page, "
                                   "or open this dialog again to see what else would help.")
                        .arg(teeth));
  updateAddButton();
}

void AdvisorDialog::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Escape && running_) {
    stop_ = true;  // the runs under way stop after their current C constant
    e->accept();
    return;
  }
  QDialog::keyPressEvent(e);
}

void AdvisorDialog::reject() {
  stop_ = true;
  QDialog::reject();
}

AdvisorDialog* openAdvisorDialog(WindowAccess& window) {
  if (window.solveRunning()) {
    QApplication::beep();
    return nullptr;
  }
  Controls& controls = window.controls();
  auto addGear = [&controls](int toothCount) {
    if (auto* upDown = controls.as<UpDown>(5200 + toothCount - kFirstToothCount)) upDown->step(1);
  };
  auto* dialog = new AdvisorDialog(window.ReadJobInputs(), window.ReadGearStock(), window.ReadSolveOptions(),
                                   addGear, window.mainWidget());
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setMachine(window.machine());
  dialog->open();
  return dialog;
}

}  // namespace hobwise::ui
