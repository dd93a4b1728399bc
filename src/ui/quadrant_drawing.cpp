#include "ui/quadrant_drawing.h"

#include <algorithm>
#include <cmath>

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QFontMetricsF>
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

// The title over the drawing, wrapped to the widget's width: as tall as its lines.
QRectF titleBoxOf(const QRect& widget, const QFontMetrics& metrics, const QString& title) {
  const QRect room = widget.adjusted(8, 6, -8, 0);
  const QRect used = metrics.boundingRect(room, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, title);
  return QRectF(room.left(), room.top(), room.width(), title.isEmpty() ? 0 : used.height());
}

// A tooth count or a name, centred on `where`.
void label(QPainter& painter, const QString& text, QPointF where, const QColor& colour) {
  const QFontMetricsF metrics(painter.font());
  const QSizeF size(metrics.horizontalAdvance(text) + 4, metrics.height());
  painter.setPen(colour);
  painter.drawText(QRectF(where - QPointF(size.width() / 2, size.height() / 2), size), Qt::AlignCenter, text);
}

void circle(QPainter& painter, const View& view, const Circle& c, const QPen& pen, const QBrush& brush = Qt::NoBrush) {
  painter.setPen(pen);
  painter.setBrush(brush);
  painter.drawEllipse(view.at(c.centre), view.scale * c.radius, view.scale * c.radius);
}

const QPen kRear(QColor(30, 70, 200), 2), kFront(QColor(20, 140, 60), 2, Qt::DashLine);
const QColor kRed(210, 0, 0);

// The slot: the band of L1 the stud range allows, above the line of the shafts; and
// the centre lines, L1 and L2.
void paintSlotAndLines(QPainter& painter, const View& view, const Quadrant& quadrant, const MountResult& m,
                       const Parts& parts) {
  if (quadrant.studRange) {
    const QPointF o = view.at(parts.driving.centre);
    const double inner = (*quadrant.studRange)[0].value() * view.scale;
    const double outer = (*quadrant.studRange)[1].value() * view.scale;
    const QRectF outerBox(o.x() - outer, o.y() - outer, 2 * outer, 2 * outer);
    QPainterPath band;
    band.arcMoveTo(outerBox, 0);
    band.arcTo(outerBox, 0, 180);
    band.arcTo(QRectF(o.x() - inner, o.y() - inner, 2 * inner, 2 * inner), 180, -180);
    band.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(235, 235, 235));
    painter.drawPath(band);
  }
  painter.setPen(QPen(QColor(120, 120, 120), 1, Qt::DashDotLine));
  painter.drawLine(view.at(parts.driving.centre), view.at(parts.driven.centre));
  if (m.stud) {
    painter.drawLine(view.at(parts.driving.centre), view.at(*m.stud));
    painter.drawLine(view.at(*m.stud), view.at(parts.driven.centre));
  }
}

// The gears (rear plane p, q solid blue; front plane r, s, idler dashed green), the
// shafts with their collars and names, the stud (red where the train does not mount),
// and the tooth counts: p and s inside the foot of their circles, q inside its top, r
// inside its foot.
void paintGears(QPainter& painter, const View& view, const MountResult& m, const Parts& parts) {
  circle(painter, view, parts.p, kRear);
  circle(painter, view, parts.s, kFront);
  if (m.stud) circle(painter, view, parts.q, kRear), circle(painter, view, parts.r, kFront);
  if (parts.idler) circle(painter, view, *parts.idler, kFront);
  circle(painter, view, parts.driving, QPen(Qt::black, 1), QColor(90, 90, 90));
  circle(painter, view, parts.driven, QPen(Qt::black, 1), QColor(90, 90, 90));
  const QColor stud = m.mounts ? QColor(Qt::black) : kRed;
  if (m.stud) circle(painter, view, {*m.stud, 4 / view.scale}, QPen(stud, 1), stud);

  const double step = QFontMetricsF(painter.font()).height() / 2 + 2;
  const auto foot = [&](const Circle& c) { return view.at({c.centre.x, c.centre.y - c.radius}) + QPointF(0, -step); };
  const auto head = [&](const Circle& c) { return view.at({c.centre.x, c.centre.y + c.radius}) + QPointF(0, step); };
  label(painter, QStringLiteral("p %1").arg(m.arrangement.p), foot(parts.p), kRear.color());
  label(painter, QStringLiteral("s %1").arg(m.arrangement.s), foot(parts.s), kFront.color());
  if (m.stud) {
    label(painter, QStringLiteral("q %1").arg(m.arrangement.q), head(parts.q), kRear.color());
    label(painter, QStringLiteral("r %1").arg(m.arrangement.r), foot(parts.r), kFront.color());
  }
  if (parts.idler) label(painter, QStringLiteral("idler %1").arg(parts.idlerTeeth), view.at(parts.idler->centre), kFront.color());
  // The shafts' names on their outer sides, clear of the centre line and of p and s.
  const auto beside = [&](const Circle& shaft, const QString& name, double side) {
    const double reach = shaft.radius * view.scale + 4 + QFontMetricsF(painter.font()).horizontalAdvance(name) / 2 + 2;
    label(painter, name, view.at(shaft.centre) + QPointF(side * reach, 0), Qt::black);
  };
  beside(parts.driving, QStringLiteral("driving"), -1);
  beside(parts.driven, QStringLiteral("driven"), 1);
}

// The tightest clearance: from the gear's tip to what it clears, along their centres,
// with its size beside the mark on a white ground, clear of the shafts; and at the
// foot, the same with the least gap asked for.
void paintClearance(QPainter& painter, const View& view, const Quadrant& quadrant, const MountResult& m,
                    const Parts& parts, const QRectF& foot) {
  if (!m.tightest || !m.stud) return;
  const Circle& gear = circleOf(parts, m.tightest->gear);
  const Circle& from = circleOf(parts, m.tightest->from);
  const double dx = from.centre.x - gear.centre.x, dy = from.centre.y - gear.centre.y;
  const double d = std::hypot(dx, dy);
  if (d <= 0) return;
  const QPointF a = view.at({gear.centre.x + dx / d * gear.radius, gear.centre.y + dy / d * gear.radius});
  const QPointF b = view.at({from.centre.x - dx / d * from.radius, from.centre.y - dy / d * from.radius});
  painter.setPen(QPen(kRed, 3));
  painter.drawLine(a, b);
  const QString size = QStringLiteral("%1 mm").arg(m.tightest->mm, 0, 'f', 1);
  const QFontMetricsF metrics(painter.font());
  // The shafts with their names beside them.
  const double name = metrics.horizontalAdvance(QStringLiteral("driving")) + 8;
  const std::vector<QRectF> shafts = {view.box(parts.driving.centre, parts.driving.radius).adjusted(-name, 0, 0, 0),
                                      view.box(parts.driven.centre, parts.driven.radius).adjusted(0, 0, name, 0)};
  const QRectF box = clearanceLabelBox(a, b, QSizeF(metrics.horizontalAdvance(size) + 6, metrics.height()), shafts);
  painter.fillRect(box, Qt::white);
  painter.setPen(kRed);
  painter.drawText(box, Qt::AlignCenter, size);
  painter.drawText(foot, Qt::AlignRight | Qt::AlignVCenter,
                   QStringLiteral("Tightest: %1 (least gap %2 mm)").arg(size).arg(quadrant.gap.value()));
}

}  // namespace

View viewOf(const Quadrant& quadrant, const MountResult& m, const QRectF& area) {
  const Parts parts = partsOf(quadrant, m);
  std::vector<Circle> all = {parts.driving, parts.driven, parts.p, parts.s};
  if (m.stud) all.insert(all.end(), {parts.q, parts.r, Circle{*m.stud, 0}});
  if (parts.idler) all.push_back(*parts.idler);
  double left = 1e9, right = -1e9, bottom = 1e9, top = -1e9;
  for (const Circle& c : all) {
    left = std::min(left, c.centre.x - c.radius), right = std::max(right, c.centre.x + c.radius);
    bottom = std::min(bottom, c.centre.y - c.radius), top = std::max(top, c.centre.y + c.radius);
  }
  if (quadrant.studRange) {  // the upper half of the band around the driving shaft
    const double outer = (*quadrant.studRange)[1].value();
    left = std::min(left, -outer), right = std::max(right, outer), top = std::max(top, outer);
  }
  View view;
  view.scale = std::min(area.width() / std::max(1.0, right - left), area.height() / std::max(1.0, top - bottom));
  view.origin = QPointF(area.center().x() - view.scale * (left + right) / 2, area.center().y() + view.scale * (bottom + top) / 2);
  return view;
}

QRectF clearanceLabelBox(QPointF a, QPointF b, QSizeF text, const std::vector<QRectF>& avoid) {
  // Off the mark's middle, across it, far enough that the box clears the mark, and
  // further while it covers what it must avoid.
  const QPointF mid = (a + b) / 2, along = b - a;
  const double length = std::hypot(along.x(), along.y());
  QPointF across = length > 0 ? QPointF(-along.y(), along.x()) / length : QPointF(0, -1);
  if (across.y() > 0 || (across.y() == 0 && across.x() < 0)) across = -across;  // up, or right
  const double reach = std::abs(across.x()) * text.width() / 2 + std::abs(across.y()) * text.height() / 2 + 4;
  QRectF box;
  for (int step = 0; step < 40; ++step) {
    box = QRectF(mid + across * (reach + 2 * step) - QPointF(text.width() / 2, text.height() / 2), text);
    if (std::none_of(avoid.begin(), avoid.end(), [&](const QRectF& r) { return r.intersects(box); })) break;
  }
  return box;
}

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
  painter.setPen(Qt::black);
  const QRectF titleBox = titleBoxOf(rect(), fontMetrics(), title_);
  painter.drawText(titleBox, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, title_);
  if (!mount_) return;
  const Parts parts = partsOf(quadrant_, *mount_);
  // Room for the shafts' names beside the drawing, the title above it, the scale below.
  const int name = fontMetrics().horizontalAdvance(QStringLiteral("driving")) + 8;
  const QRectF area =
      QRectF(rect()).adjusted(8 + name, titleBox.bottom() + 10, -(8 + name), -(fontMetrics().height() + 18));
  const View view = viewOf(quadrant_, *mount_, area);
  paintSlotAndLines(painter, view, quadrant_, *mount_, parts);
  paintGears(painter, view, *mount_, parts);
  // A scale bar of 50 mm at the foot, left; the tightest clearance right.
  const QPointF bar(12, rect().bottom() - 6 - fontMetrics().height() / 2.0);
  const QRectF foot(bar.x() + 50 * view.scale + 60, bar.y() - fontMetrics().height(), 0, 2 * fontMetrics().height());
  paintClearance(painter, view, quadrant_, *mount_, parts, foot.adjusted(0, 0, width() - 8 - foot.left(), 0));
  painter.setPen(QPen(Qt::black, 2));
  painter.drawLine(bar, bar + QPointF(50 * view.scale, 0));
  painter.drawText(QRectF(bar.x() + 50 * view.scale + 6, bar.y() - fontMetrics().height(), 200, 2 * fontMetrics().height()),
                   Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("50 mm"));
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
