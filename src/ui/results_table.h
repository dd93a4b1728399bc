#pragma once
// "Results Table": a window beside the Main window that lists every kept result of
// the last run, one row each, with the texts the Main page shows for it. Choosing a
// row puts that result on the Main page; the Main page's browser moves the row.
#include <functional>
#include <string>
#include <vector>

#include <QString>
#include <QWidget>

#include "hobwise/results.h"

class QLabel;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;

namespace hobwise::ui {

class ResultRowsModel;

class ResultsTable : public QWidget {
  Q_OBJECT
 public:
  enum class Format { kCsv, kJson };

  explicit ResultsTable(QWidget* owner);

  // What the table shows: a run going (empty), the results of the run that ended,
  // or no results (none yet, or the inputs changed since).
  void showRunning();
  // `mounts`: with a machine chosen, the text of the "Mounts" column of each row (a
  // column after the others, sortable as the others; none when empty).
  void showResults(std::vector<ResultRow> rows, std::function<std::string()> json,
                   std::vector<std::string> mounts = {});
  void showNoResults();

  // Selects the row of result k (0-based) as the Main page's browser moved to it,
  // without reporting it back.
  void followResult(int k);

  int rowCount() const;
  QString message() const;
  QTableView* view() const { return view_; }

  // The selected rows as tab-separated text with a header line, in the order shown;
  // copied to the clipboard by Ctrl+C and "Copy".
  QString selectedText() const;
  void copySelection() const;

  // Writes every result to a file, whole or not at all; on failure false, with the
  // message in *error ("cannot write \"FILE\": reason").
  bool exportTo(const QString& path, Format format, QString* error) const;
  // "Export ...": the save dialog, whose file-type filter chooses the format.
  void exportWithDialog();

 signals:
  void resultChosen(int k);  // the user selected the row of result k (0-based)

 private:
  void setMessage(const QString& text);
  void updateButtons();
  // Wide enough for every column (the "Mounts" column comes and goes with the
  // machine), as far as the screen allows.
  void fitColumns();

  ResultRowsModel* model_ = nullptr;
  QSortFilterProxyModel* proxy_ = nullptr;
  QTableView* view_ = nullptr;
  QLabel* message_ = nullptr;
  QPushButton* copy_ = nullptr;
  QPushButton* export_ = nullptr;
  std::function<std::string()> json_;
  bool following_ = false;
};

}  // namespace hobwise::ui
