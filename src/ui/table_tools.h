#pragma once
// The results table, the "k of n" text beside the result browser, the sheet as PDF
// and the stock tools, attached to the Main window's menus and signals.
#include <QObject>
#include <QPointer>
#include <QString>

class QAction;
class QLabel;
class QMenu;

namespace hobwise::ui {

class MainWindow;
class ResultsTable;

class TableTools : public QObject {
  Q_OBJECT
 public:
  // Adds "Save Sheet as PDF ..." to `file` right after `print` (enabled and greyed
  // with it) and the table and stock items to `tools`.
  TableTools(MainWindow& window, QMenu* file, QAction* print, QMenu* tools);

  ResultsTable* table() const { return table_; }
  QLabel* positionText() const { return position_; }

  // "Results Table ...": shows the table window (created on first use).
  void openTable();
  // Writes the sheet of the result on display to a PDF file; false when it cannot.
  bool saveSheetPdf(const QString& path);
  // What the Solve button's tooltip says now: empty while Solve is enabled, else
  // the inputs that keep it greyed with the range each needs.
  QString solveTip() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void chooseResult(int k);
  void resultShown(int k);
  void fillTable();
  void saveSheetWithDialog();

  MainWindow& window_;
  ResultsTable* table_ = nullptr;
  QLabel* position_ = nullptr;
};

}  // namespace hobwise::ui
