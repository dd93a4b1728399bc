#include "ui/quadrant_drawing.h"

#include <algorithm>
#include <cmath>

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace hobwise::ui {

namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

// One circle of the drawing, in mm on the quadrant (y up).
struct Circle {
  Point centre;
  double radius = 0;
};

// Where each part sits and how large it is: gears by their outside circle, shafts by
// their collar.
struct Parts {
  double module = 1;
  double distance = 0;
  Circle driving, driven;  // the shafts' collars
  Circle p, q, r, s;
  std::optional<Circle> idler;
  int idlerTeeth = 0;
};

Parts partsOf(const Quadrant& quadrant, const MountResult& m) {
  Parts parts;
  parts.module = quadrant.moduleMm();
  parts.distance = quadrant.centreDistance.value();
  const auto tip = [&](int teeth) { return parts.module * (teeth + 2) / 2; };
  const Point driving{0, 0}, driven{parts.distance, 0};
  const Point stud = m.stud.value_or(Point{parts.distance / 2, 0});
  parts.driving = {driving, quadrant.drivingShaftDiameter.value() / 2};
  parts.driven = {driven, quadrant.drivenShaftDiameter.value() / 2};
  parts.p = {driving, tip(m.arrangement.p)};
  parts.q = {stud, tip(m.arrangement.q)};
  parts.r = {stud, tip(m.arrangement.r)};
  parts.s = {driven, tip(m.arrangement.s)};
  if (m.idler && quadrant.idler) {
    parts.idler = Circle{*m.idler, tip(*quadrant.idler)};
    parts.idlerTeeth = *quadrant.idler;
  }
  return parts;
}

const Circle& circleOf(const Parts& parts, MountPart part) {
  switch (part) {
    case MountPart::kP: return parts.p;
    case MountPart::kQ: return parts.q;
    case MountPart::kR: return parts.r;
    case MountPart::kS: return parts.s;
    case MountPart::kIdler: return parts.idler ? *parts.idler : parts.s;
    case MountPart::kDrivingShaft: return parts.driving;
    case MountPart::kDrivenShaft: break;
  }
  return parts.driven;
}

}  // namespace

QuadrantDrawing::QuadrantDrawing(QWidget* parent) : QWidget(parent) {
  setMinimumSize(420, 380);
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::white);
  setPalette(pal);
}

void QuadrantDrawing::showTrain(const QString& title, const Quadrant& quadrant, const MountResult& mount) {
  title_ = title;
  quadrant_ = quadrant;
  mount_ = mount;
  update();
}

void QuadrantDrawing::showNothing() {
  title_.clear();
  mount_.reset();
  update();
}

void QuadrantDrawing::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF area = QRectF(rect()).adjusted(12, 40, -12, -30);
  painter.setPen(Qt::black);
  painter.drawText(QRectF(rect()).adjusted(8, 6, -8, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, title_);
  if (!mount_) return;
  const MountResult& m = *mount_;
  const Parts parts = partsOf(quadrant_, m);

  // The scale: every circle (and the slot) inside the area, y up.
  std::vector<Circle> all = {parts.driving, parts.driven, parts.p, parts.s};
  if (m.stud) all.insert(all.end(), {parts.q, parts.r});
  if (parts.idler) all.push_back(*parts.idler);
  double left = 1e9, right = -1e9, bottom = 1e9, top = -1e9;
  for (const Circle& c : all) {
    left = std::min(left, c.centre.x - c.radius), right = std::max(right, c.centre.x + c.radius);
    bottom = std::min(bottom, c.centre.y - c.radius), top = std::max(top, c.centre.y + c.radius);
  }
  const double scale = std::min(area.width() / std::max(1.0, right - left), area.height() / std::max(1.0, top - bottom));
  const QPointF origin(area.center().x() - scale * (left + right) / 2, area.center().y() + scale * (bottom + top) / 2);
  const auto at = [&](Point p) { return QPointF(origin.x() + scale * p.x, origin.y() - scale * p.y); };
  const auto circle = [&](const Circle& c, const QPen& pen, const QBrush& brush = Qt::NoBrush) {
    painter.setPen(pen);
    painter.setBrush(brush);
    painter.drawEllipse(at(c.centre), scale * c.radius, scale * c.radius);
  };

  // The slot: the band of L1 the stud range allows, above the line of the shafts.
  if (quadrant_.studRange) {
    const double inner = (*quadrant_.studRange)[0].value() * scale, outer = (*quadrant_.studRange)[1].value() * scale;
    QPainterPath band;
    band.arcMoveTo(QRectF(origin.x() - outer, origin.y() - outer, 2 * outer, 2 * outer), 0);
    band.arcTo(QRectF(origin.x() - outer, origin.y() - outer, 2 * outer, 2 * outer), 0, 180);
    band.arcTo(QRectF(origin.x() - inner, origin.y() - inner, 2 * inner, 2 * inner), 180, -180);
    band.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(235, 235, 235));
    painter.drawPath(band);
  }
  // The centre lines, L1 and L2.
  const QPen centreLine(QColor(120, 120, 120), 1, Qt::DashDotLine);
  painter.setPen(centreLine);
  painter.drawLine(at(parts.driving.centre), at(parts.driven.centre));
  if (m.stud) {
    painter.drawLine(at(parts.driving.centre), at(*m.stud));
    painter.drawLine(at(*m.stud), at(parts.driven.centre));
  }
  // The gears: rear plane (p, q) solid blue, front plane (r, s, idler) dashed green.
  const QPen rear(QColor(30, 70, 200), 2), front(QColor(20, 140, 60), 2, Qt::DashLine);
  circle(parts.p, rear);
  circle(parts.s, front);
  if (m.stud) circle(parts.q, rear), circle(parts.r, front);
  if (parts.idler) circle(*parts.idler, front);
  // The shafts with their collars.
  circle(parts.driving, QPen(Qt::black, 1), QColor(90, 90, 90));
  circle(parts.driven, QPen(Qt::black, 1), QColor(90, 90, 90));
  if (m.stud) circle({*m.stud, 4 / scale}, QPen(Qt::black, 1), Qt::black);

  // Tooth counts: p and s under their shafts, q and r inside the top of their circles.
  const auto label = [&](const QString& text, QPointF where, const QColor& colour) {
    painter.setPen(colour);
    const QRectF box(where.x() - 40, where.y() - 9, 80, 18);
    painter.drawText(box, Qt::AlignCenter, text);
  };
  const auto below = [&](const Circle& c) { return at({c.centre.x, c.centre.y - c.radius}) + QPointF(0, -10); };
  const auto inside = [&](const Circle& c) { return at({c.centre.x, c.centre.y + c.radius}) + QPointF(0, 10); };
  const auto insideBottom = [&](const Circle& c) { return at({c.centre.x, c.centre.y - c.radius}) + QPointF(0, -10); };
  label(QStringLiteral("p %1").arg(m.arrangement.p), below(parts.p), rear.color());
  label(QStringLiteral("s %1").arg(m.arrangement.s), below(parts.s), front.color());
  if (m.stud) {
    label(QStringLiteral("q %1").arg(m.arrangement.q), inside(parts.q), rear.color());
    label(QStringLiteral("r %1").arg(m.arrangement.r), insideBottom(parts.r), front.color());
  }
  if (parts.idler) label(QStringLiteral("idler %1").arg(parts.idlerTeeth), at(parts.idler->centre), front.color());
  label(QStringLiteral("driving"), at(parts.driving.centre) + QPointF(0, parts.driving.radius * scale + 10), Qt::black);
  label(QStringLiteral("driven"), at(parts.driven.centre) + QPointF(0, parts.driven.radius * scale + 10), Qt::black);

  // The tightest clearance: from the gear's tip to what it clears, along their centres.
  if (m.tightest && m.stud) {
    const Circle& gear = circleOf(parts, m.tightest->gear);
    const Circle& from = circleOf(parts, m.tightest->from);
    const double dx = from.centre.x - gear.centre.x, dy = from.centre.y - gear.centre.y;
    const double d = std::hypot(dx, dy);
    if (d > 0) {
      const Point a{gear.centre.x + dx / d * gear.radius, gear.centre.y + dy / d * gear.radius};
      const Point b{from.centre.x - dx / d * from.radius, from.centre.y - dy / d * from.radius};
      painter.setPen(QPen(QColor(210, 0, 0), 3));
      painter.drawLine(at(a), at(b));
      label(QStringLiteral("%1 mm").arg(m.tightest->mm, 0, 'f', 1), (at(a) + at(b)) / 2 + QPointF(0, -14),
            QColor(210, 0, 0));
    }
  }
  // A scale bar of 50 mm.
  painter.setPen(QPen(Qt::black, 2));
  const QPointF bar(area.left(), rect().bottom() - 12);
  painter.drawLine(bar, bar + QPointF(50 * scale, 0));
  painter.drawText(QRectF(bar.x() + 50 * scale + 6, bar.y() - 9, 80, 18), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("50 mm"));
}

QuadrantDrawingDialog::QuadrantDrawingDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Quadrants"));
  auto* row = new QHBoxLayout;
  for (QuadrantDrawing*& d : drawings_) {
    d = new QuadrantDrawing(this);
    row->addWidget(d);
  }
  caption_ = new QLabel(QStringLiteral("Seen from the gears' side: the driving shaft left, the driven shaft right. "
                                       "Solid: rear plane (p, q); dashed: front plane (r, s, idler); grey: the "
                                       "stud's slot; red: the tightest clearance."),
                        this);
  caption_->setWordWrap(true);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(row, 1);
  layout->addWidget(caption_);
  resize(900, 500);
}

void QuadrantDrawingDialog::showMount(const MachineProfile& machine, const TrainsMount& mount) {
  drawings_[0]->showTrain(qs(trainMountLine(mount.index, machine.index, TrainKind::kIndex)), machine.index, mount.index);
  drawings_[1]->showTrain(qs(trainMountLine(mount.feed, machine.feed, TrainKind::kFeed)), machine.feed, mount.feed);
}

void QuadrantDrawingDialog::showNothing() {
  for (QuadrantDrawing* d : drawings_) d->showNothing();
}

}  // namespace hobwise::ui
