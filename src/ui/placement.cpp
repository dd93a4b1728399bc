#include "ui/placement.h"

#include <algorithm>

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QVariant>
#include <QWidget>

namespace hobwise::ui {

namespace {

// Where one axis of a window starts: centred on `centre`, kept inside the area where
// it fits, at the area's start where it does not.
int placedStart(int length, int centre, int areaStart, int areaLength) {
  if (length >= areaLength) return areaStart;
  const int start = centre - length / 2;
  return std::clamp(start, areaStart, areaStart + areaLength - length);
}

// Set on a placed window: the size of its frame (borders and title bar) when placed.
constexpr const char* kPlacedFrameProperty = "hobwisePlacedFrame";

QSize frameExtraOf(const QWidget* w) { return w->frameGeometry().size() - w->size(); }

bool isPlacedKind(const QWidget* w) {
  if (!w->isWindow()) return false;
  const Qt::WindowType type = w->windowType();
  return type == Qt::Window || type == Qt::Dialog || type == Qt::Sheet;
}

}  // namespace

QRect placedFrame(const QSize& frame, const QPoint& centre, const QRect& area) {
  return QRect(placedStart(frame.width(), centre.x(), area.x(), area.width()),
               placedStart(frame.height(), centre.y(), area.y(), area.height()), frame.width(), frame.height());
}

QSize fittedSize(const QSize& wanted, const QSize& minimum, const QSize& frameExtra, const QRect& area) {
  return wanted.boundedTo(area.size() - frameExtra).expandedTo(minimum);
}

QRect availableArea(const QWidget* window) {
  // A window with an owner opens on its owner's screen.
  const QWidget* owner = window && window->parentWidget() ? window->parentWidget()->window() : nullptr;
  const QScreen* screen = owner && owner->isVisible() ? owner->screen() : window ? window->screen() : nullptr;
  if (!screen) screen = QGuiApplication::primaryScreen();
  return screen ? screen->availableGeometry() : QRect();
}

void placeWindow(QWidget* window) {
  if (!window) return;
  const QRect area = availableArea(window);
  if (area.isEmpty()) return;
  // The window manager's borders and title bar (nothing until it has framed the window).
  const QSize frameExtra = frameExtraOf(window);
  if (const QVariant outer = window->property(kOuterSizeProperty); outer.isValid()) {
    const QSize size = outer.toSize().boundedTo(area.size()) - frameExtra;
    if (size != window->size() || window->minimumSize() != window->maximumSize()) window->setFixedSize(size);
  } else if (window->minimumSize() != window->maximumSize()) {
    const QSize size = fittedSize(window->size(), window->minimumSize(), frameExtra, area);
    if (size != window->size()) window->resize(size);
  }
  const QWidget* owner = window->parentWidget() ? window->parentWidget()->window() : nullptr;
  const QPoint centre = owner && owner->isVisible() ? owner->frameGeometry().center() : area.center();
  const QRect frame = placedFrame(window->size() + frameExtra, centre, area);
  if (frame.topLeft() != window->frameGeometry().topLeft()) window->move(frame.topLeft());
}

WindowPlacer::WindowPlacer(QObject* parent) : QObject(parent) {}

bool WindowPlacer::eventFilter(QObject* watched, QEvent* e) {
  const QEvent::Type type = e->type();
  if ((type != QEvent::Show && type != QEvent::Move && type != QEvent::Resize) || !watched->isWidgetType())
    return QObject::eventFilter(watched, e);
  auto* w = static_cast<QWidget*>(watched);
  if (!isPlacedKind(w)) return QObject::eventFilter(watched, e);
  const QVariant placedFrame = w->property(kPlacedFrameProperty);
  // First shown, or framed anew: a frame counts towards what must fit.
  const bool first = type == QEvent::Show && !placedFrame.isValid();
  if (first || (placedFrame.isValid() && w->isVisible() && placedFrame.toSize() != frameExtraOf(w))) {
    w->setProperty(kPlacedFrameProperty, frameExtraOf(w));
    placeWindow(w);
  }
  return QObject::eventFilter(watched, e);
}

}  // namespace hobwise::ui
