#pragma once
// Where windows open: every window and dialog of the program opens inside the
// available area of its screen (the screen less panels and docks). On each axis a
// window is centred (a dialog on its owner, any other window on the area) and then
// kept inside the area where it fits; where it does not, it starts at the area's left
// or top edge, so that its title bar, its menus and its top-left corner can be
// reached. A resizable window larger than the area is first made smaller (not below
// its minimum size); a fixed-size one keeps its size, unless it names its outer size
// (frame included) in the property kOuterSizeProperty: it gets that size where the
// area allows, else the area's, with its frame taken off.
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace hobwise::ui {

inline constexpr const char* kOuterSizeProperty = "hobwiseOuterSize";  // a QSize

// The frame rectangle of a window whose frame is `frame` in size, centred on
// `centre`, in `area`, by the rule above.
QRect placedFrame(const QSize& frame, const QPoint& centre, const QRect& area);

// The size of a resizable window's contents: `wanted`, made smaller where its frame
// (the contents and `frameExtra`, the window manager's borders and title bar) would
// not fit in `area`, but not below `minimum`.
QSize fittedSize(const QSize& wanted, const QSize& minimum, const QSize& frameExtra, const QRect& area);

// The available area of the screen a window is on (or will open on): for a window
// with a visible owner, the owner's screen.
QRect availableArea(const QWidget* window);

// Sizes a resizable window down to fit its screen's available area and moves it by
// placedFrame: centred on its owner's window when it has one, else on the area.
void placeWindow(QWidget* window);

// Places every window and dialog of the application by placeWindow when it is first
// shown, and again whenever the window manager's frame around it changes size (as
// when it frames the window, after it is shown). Menus, tooltips and other pop-ups
// are left alone.
class WindowPlacer : public QObject {
 public:
  explicit WindowPlacer(QObject* parent = nullptr);

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;
};

}  // namespace hobwise::ui
