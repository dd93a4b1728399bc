#pragma once
// "Quadrants": both trains of the result on display drawn to scale on the chosen
// machine's quadrants: the driving and the driven shaft with their collars, the stud
// (and the idler), each gear as its outside circle with its tooth count (rear plane
// solid, front plane dashed), the stud's slot, L1 and L2, and the tightest clearance
// marked in red with its size.
#include <optional>

#include <QDialog>
#include <QString>
#include <QWidget>

#include "hobwise/machines.h"

class QLabel;

namespace hobwise::ui {

class QuadrantDrawing : public QWidget {
  Q_OBJECT
 public:
  explicit QuadrantDrawing(QWidget* parent = nullptr);

  void showTrain(const QString& title, const Quadrant& quadrant, const MountResult& mount);
  void showNothing();
  bool hasTrain() const { return mount_.has_value(); }

 protected:
  void paintEvent(QPaintEvent* e) override;

 private:
  QString title_;
  Quadrant quadrant_;
  std::optional<MountResult> mount_;
};

class QuadrantDrawingDialog : public QDialog {
  Q_OBJECT
 public:
  explicit QuadrantDrawingDialog(QWidget* parent = nullptr);

  void showMount(const MachineProfile& machine, const TrainsMount& mount);
  void showNothing();
  QuadrantDrawing* drawing(int train) const { return drawings_[train]; }

 private:
  QuadrantDrawing* drawings_[2];
  QLabel* caption_;
};

}  // namespace hobwise::ui
