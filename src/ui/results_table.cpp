#include "ui/results_table.h"

#include <algorithm>
#include <cmath>

#include <QAbstractTableModel>
#include <QClipboard>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QFile>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QVBoxLayout>

#include "hobwise/files.h"
#include "hobwise/machines.h"
#include "ui/placement.h"

namespace hobwise::ui {

namespace {

constexpr int kSortRole = Qt::UserRole;

const QString kCsvFilter = QStringLiteral("CSV files (*.csv)");
const QString kJsonFilter = QStringLiteral("JSON files (*.json)");

QString qs(const std::string& s) { return QString::fromStdString(s); }

// The value a column sorts by: numbers by value (the C constant p/q by its quotient),
// errors by their size (the sign stays in the text), the gear trains by their text.
QVariant sortKey(int column, const std::string& text) {
  if (text.empty()) return QVariant();
  if (column == kIndexGearsColumn || column == kFeedGearsColumn) return qs(text);
  if (column == kCConstantColumn) {
    const QStringList parts = qs(text).split(QLatin1Char('/'));
    const double q = parts.size() == 2 ? parts[1].toDouble() : 0;
    return q != 0 ? QVariant(parts[0].toDouble() / q) : QVariant();
  }
  bool ok = false;
  const double value = qs(text).toDouble(&ok);
  if (!ok) return QVariant(qs(text));
  const bool error = column == kFeedErrorColumn || column == kLeadErrorColumn;
  return QVariant(error ? std::abs(value) : value);
}

// Ctrl+C copies whole selected rows, not the current cell alone.
class RowsView : public QTableView {
 public:
  RowsView(const ResultsTable* table, QWidget* parent) : QTableView(parent), table_(table) {}

 protected:
  void keyPressEvent(QKeyEvent* e) override {
    if (e == QKeySequence::Copy) {
      table_->copySelection();
      e->accept();
      return;
    }
    QTableView::keyPressEvent(e);
  }

 private:
  const ResultsTable* table_;
};

}  // namespace

class ResultRowsModel : public QAbstractTableModel {
 public:
  using QAbstractTableModel::QAbstractTableModel;

  void setRows(std::vector<ResultRow> rows, std::vector<std::string> mounts = {}) {
    beginResetModel();
    rows_ = std::move(rows);
    mounts_ = mounts.size() == rows_.size() ? std::move(mounts) : std::vector<std::string>();
    endResetModel();
  }
  const std::vector<ResultRow>& rows() const { return rows_; }

  int rowCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
  }
  int columnCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : kResultColumnCount + (mounts_.empty() ? 0 : 1);
  }

  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid()) return QVariant();
    if (index.column() >= kResultColumnCount) {  // "Mounts"
      const QString text = qs(mounts_[static_cast<std::size_t>(index.row())]);
      if (role == Qt::DisplayRole || role == kSortRole) return text;
      if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
      return QVariant();
    }
    const std::string& text = rows_[static_cast<std::size_t>(index.row())][static_cast<std::size_t>(index.column())];
    switch (role) {
      case Qt::DisplayRole:
        return qs(text);
      case kSortRole:
        return sortKey(index.column(), text);
      case Qt::TextAlignmentRole:
        return QVariant::fromValue(index.column() == kIndexGearsColumn || index.column() == kFeedGearsColumn
                                       ? Qt::AlignCenter
                                       : Qt::AlignRight | Qt::AlignVCenter);
      default:
        return QVariant();
    }
  }

  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section == kResultColumnCount)
      return QString::fromLatin1(kMountColumnHeader);
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < kResultColumnCount) {
      // Long labels on two lines, so that the columns stay as narrow as their numbers.
      QString header = qs(kResultColumnHeaders[static_cast<std::size_t>(section)]);
      const int middle = header.size() / 2;
      const int before = header.lastIndexOf(QLatin1Char(' '), middle);
      const int after = header.indexOf(QLatin1Char(' '), middle);
      const int cut = before < 0 ? after : after < 0 ? before : (middle - before <= after - middle ? before : after);
      if (header.size() > 11 && cut > 0) header[cut] = QLatin1Char('\n');
      return header;
    }
    return QAbstractTableModel::headerData(section, orientation, role);
  }

 private:
  std::vector<ResultRow> rows_;
  std::vector<std::string> mounts_;  // the "Mounts" column, empty without a machine
};

ResultsTable::ResultsTable(QWidget* owner) : QWidget(owner, Qt::Window) {
  setWindowTitle(QStringLiteral("Results Table"));
  model_ = new ResultRowsModel(this);
  proxy_ = new QSortFilterProxyModel(this);
  proxy_->setSourceModel(model_);
  proxy_->setSortRole(kSortRole);

  message_ = new QLabel(this);
  view_ = new RowsView(this, this);
  view_->setModel(proxy_);
  view_->setSelectionBehavior(QAbstractItemView::SelectRows);
  view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view_->setSortingEnabled(true);
  view_->sortByColumn(kNumberColumn, Qt::AscendingOrder);
  view_->verticalHeader()->hide();
  view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().height() + 6);
  view_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  view_->setAlternatingRowColors(true);

  copy_ = new QPushButton(QStringLiteral("&Copy"), this);
  copy_->setToolTip(QStringLiteral("Copy the selected rows as tab-separated text (Ctrl+C)"));
  export_ = new QPushButton(QStringLiteral("&Export ..."), this);
  export_->setToolTip(QStringLiteral("Write every result to a CSV or JSON file"));
  auto* close = new QPushButton(QStringLiteral("Close"), this);
  connect(copy_, &QPushButton::clicked, this, [this] { copySelection(); });
  connect(export_, &QPushButton::clicked, this, [this] { exportWithDialog(); });
  connect(close, &QPushButton::clicked, this, &QWidget::close);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(message_, 1);
  buttons->addWidget(copy_);
  buttons->addWidget(export_);
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(view_, 1);
  layout->addLayout(buttons);

  connect(view_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) {
            if (following_ || !current.isValid()) return;
            emit resultChosen(proxy_->mapToSource(current).row());
          });
  connect(view_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { updateButtons(); });

  resize(1280, 460);  // every column at 96 dpi; a smaller screen makes it smaller
  showNoResults();
}

void ResultsTable::setMessage(const QString& text) { message_->setText(text); }

void ResultsTable::updateButtons() {
  copy_->setEnabled(view_->selectionModel()->hasSelection());
  export_->setEnabled(model_->rowCount() > 0);
}

void ResultsTable::showRunning() {
  model_->setRows({});
  json_ = nullptr;
  setMessage(QStringLiteral("Solving ... the table fills when the run ends."));
  updateButtons();
}

void ResultsTable::showResults(std::vector<ResultRow> rows, std::function<std::string()> json,
                               std::vector<std::string> mounts) {
  following_ = true;
  model_->setRows(std::move(rows), std::move(mounts));
  following_ = false;
  json_ = std::move(json);
  fitColumns();
  const int n = model_->rowCount();
  setMessage(n == 0 ? QStringLiteral("The last run found no results.")
                    : QStringLiteral("%1 result%2 of the last run; choose one to show it on the Main page.")
                          .arg(n)
                          .arg(n == 1 ? QString() : QStringLiteral("s")));
  updateButtons();
}

void ResultsTable::fitColumns() {
  view_->horizontalHeader()->resizeSections(QHeaderView::ResizeToContents);
  const QMargins margins = layout()->contentsMargins();
  const int wanted = view_->horizontalHeader()->length() + view_->verticalScrollBar()->sizeHint().width() +
                     2 * view_->frameWidth() + margins.left() + margins.right();
  if (wanted <= width()) return;
  resize(wanted, height());
  if (isVisible()) placeWindow(this);
}

void ResultsTable::showNoResults() {
  model_->setRows({});
  json_ = nullptr;
  setMessage(QStringLiteral("No results on display: Solve fills the table."));
  updateButtons();
}

void ResultsTable::followResult(int k) {
  if (k < 0 || k >= model_->rowCount()) return;
  const QModelIndex index = proxy_->mapFromSource(model_->index(k, 0));
  if (view_->currentIndex().row() == index.row()) return;  // chosen here: leave the selection as the user made it
  following_ = true;
  view_->selectionModel()->setCurrentIndex(
      index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  following_ = false;
  view_->scrollTo(index);
}

int ResultsTable::rowCount() const { return model_->rowCount(); }

QString ResultsTable::message() const { return message_->text(); }

QString ResultsTable::selectedText() const {
  QModelIndexList selected = view_->selectionModel()->selectedRows();
  std::sort(selected.begin(), selected.end(),
            [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
  std::vector<ResultRow> rows;
  for (const QModelIndex& index : selected)
    rows.push_back(model_->rows()[static_cast<std::size_t>(proxy_->mapToSource(index).row())]);
  return QString::fromStdString(resultsTabText(rows));
}

void ResultsTable::copySelection() const {
  if (!view_->selectionModel()->hasSelection()) return;
  QGuiApplication::clipboard()->setText(selectedText());
}

bool ResultsTable::exportTo(const QString& path, Format format, QString* error) const {
  const QByteArray bytes = QByteArray::fromStdString(format == Format::kCsv ? resultsCsv(model_->rows())
                                                                            : (json_ ? json_() : std::string()));
  // Written whole or not at all; the name's bytes as the system has them.
  const WriteResult written = writeFileAtomically(QFile::encodeName(path).toStdString(),
                                                  std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  if (error) *error = QString::fromStdString(written.error);
  return written.ok();
}

void ResultsTable::exportWithDialog() {
  QFileDialog dialog(this, QStringLiteral("Export Results"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilters({kCsvFilter, kJsonFilter});
  dialog.setDefaultSuffix(QStringLiteral("csv"));
  connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
    dialog.setDefaultSuffix(filter == kJsonFilter ? QStringLiteral("json") : QStringLiteral("csv"));
  });
  dialog.selectFile(QStringLiteral("results"));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  const Format format = dialog.selectedNameFilter() == kJsonFilter ? Format::kJson : Format::kCsv;
  const QString path = dialog.selectedFiles().constFirst();
  QString error;
  if (!exportTo(path, format, &error))
    QMessageBox::warning(this, QStringLiteral("Export Results"),
                         QStringLiteral("The results were not exported.\n\n%1").arg(error));
}

}  // namespace hobwise::ui
