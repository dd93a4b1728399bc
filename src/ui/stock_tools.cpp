#include "ui/stock_tools.h"

#include <string>
#include <variant>

#include <QFile>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

#include "hobwise/stock.h"
#include "ui/controls.h"
#include "ui/widgets.h"

namespace hobwise::ui {

namespace {

const QString kStockFilter = QStringLiteral("Stock files (*.txt);;All files (*)");

std::string localPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

}  // namespace

bool writeGearStock(Controls& controls, const GearStock& stock) {
  bool changed = false;
  for (int i = 0; i < kToothCountKinds; ++i) {
    const QString count = QString::number(stock.count(kFirstToothCount + i));
    if (controls.text(5000 + i) == count) continue;
    controls.setText(5000 + i, count);
    if (auto* upDown = controls.as<UpDown>(5200 + i)) upDown->setPosition(count.toInt());
    changed = true;
  }
  return changed;
}

void setWholeStockWithDialog(QWidget* owner, Controls& controls) {
  bool ok = false;
  const int count = QInputDialog::getInt(owner, QStringLiteral("Set Whole Stock"),
                                         QStringLiteral("Gears of every tooth count from 16 to 169 (0 to 7):"),
                                         1, 0, kMaxGearCount, 1, &ok);
  if (!ok) return;
  GearStock stock;
  for (int t = kFirstToothCount; t <= kLastToothCount; ++t) stock.setCount(t, count);
  writeGearStock(controls, stock);
}

void saveStockWithDialog(QWidget* owner, const GearStock& stock) {
  QString path = QFileDialog::getSaveFileName(owner, QStringLiteral("Save Stock"), QStringLiteral("stock.txt"),
                                              kStockFilter);
  if (path.isEmpty()) return;
  const std::string error = saveStockFile(localPath(path), stock);
  if (!error.empty())
    QMessageBox::warning(owner, QStringLiteral("Save Stock"),
                         QStringLiteral("The stock was not saved.\n\n%1").arg(QString::fromStdString(error)));
}

void loadStockWithDialog(QWidget* owner, Controls& controls) {
  const QString path = QFileDialog::getOpenFileName(owner, QStringLiteral("Load Stock"), QString(), kStockFilter);
  if (path.isEmpty()) return;
  const StockFileResult result = loadStockFile(localPath(path));
  if (const auto* message = std::get_if<std::string>(&result)) {
    QMessageBox::warning(owner, QStringLiteral("Load Stock"),
                         QStringLiteral("The stock file was refused; the Change-gears page keeps its stock.\n\n%1")
                             .arg(QString::fromStdString(*message)));
    return;
  }
  writeGearStock(controls, std::get<GearStock>(result));
}

}  // namespace hobwise::ui
