#pragma once
// The results table, the "k of n" text below the result browser, the sheet as PDF,
// the stock tools and the reasons on Solve's tooltip, attached to the Main window.
#include <string>

#include <QObject>
#include <QString>

class QLabel;

namespace hobwise::ui {

class ResultsTable;
class WindowAccess;

class TableTools : public QObject {
  Q_OBJECT
 public:
  explicit TableTools(WindowAccess& window);

  // The menu commands kSaveSheetPdf, kResultsTable, kSetWholeStock, kSaveStock and
  // kLoadStock.
  void command(int id);

  ResultsTable* table() const { return table_; }
  QLabel* positionText() const { return position_; }

  // Writes the sheet of the result on display to a PDF file, whole or not at all. The
  // empty text when written, otherwise why not ("cannot write \"FILE\": reason").
  std::string saveSheetPdf(const QString& path);

  // What Solve's tooltip says: empty while Solve is enabled, else the inputs that
  // keep it greyed with the range each needs.
  QString solveTip() const;

  // The window's events, which the window passes on.
  void solveStarted();
  void solveFinished();
  void resultsCleared();
  void resultShown(int k);

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void openTable();
  void fillTable();
  void chooseResult(int k);
  void saveSheetWithDialog();
  void setStockToolsEnabled(bool enabled);

  WindowAccess& window_;
  QWidget* browser_;
  QWidget* solve_;
  ResultsTable* table_ = nullptr;
  QLabel* position_ = nullptr;
};

}  // namespace hobwise::ui
