#pragma once
// "Quadrants": both trains of the result on display drawn to scale on the chosen
// machine's quadrants: the driving and the driven shaft with their collars, the stud
// (and the idler), each gear as its outside circle with its tooth count (rear plane
// solid, front plane dashed), the stud's slot, L1 and L2, and the tightest clearance
// marked in red with its size.
#include <optional>
#include <vector>

#include <QDialog>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QWidget>

#include "hobwise/machines.h"

class QLabel;

namespace hobwise::ui {

// Where the drawing of a train stands: millimetres on the quadrant (y up) to pixels.
struct View {
  double scale = 1;  // pixels per mm
  QPointF origin;    // the driving shaft's centre
  QPointF at(Point p) const { return {origin.x() + scale * p.x, origin.y() - scale * p.y}; }
  QRectF box(Point centre, double radius) const {
    return {at(centre) - QPointF(scale * radius, scale * radius), QSizeF(2 * scale * radius, 2 * scale * radius)};
  }
};

// The largest scale at which the shafts, the gears, the stud and the upper half of the
// stud's slot all lie inside `area`, centred in it.
View viewOf(const Quadrant& quadrant, const MountResult& mount, const QRectF& area);

// Where the size of the clearance marked from `a` to `b` is written: a box of `text`'s
// size beside the middle of the mark, above it (or right of an upright mark), clear
// of it and, as far as a short way further allows, of the boxes in `avoid`.
QRectF clearanceLabelBox(QPointF a, QPointF b, QSizeF text, const std::vector<QRectF>& avoid = {});

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
