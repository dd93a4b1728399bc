#pragma once
// The Main page: the job's fields, the set-up list, the options, the buttons and the
// result fields, each at its pixel place under its identifier; the two fonts of the
// window; and the client area that draws the fraction bars of a result on display.
#include <QFont>
#include <QLine>
#include <QWidget>

namespace hobwise::ui {

class Controls;

struct WindowFonts {
  QFont main;    // "Segoe UI" at 16 pixels, or the nearest face
  QFont narrow;  // for the two long labels
};
WindowFonts windowFonts();

// The client area below the menu bar: every control sits here at its place; while a
// result is on display it draws the fraction bars between the upper and lower gears.
class ClientArea : public QWidget {
 public:
  ClientArea(Controls& controls, QWidget* parent);
  // Repaints where the bars are drawn (after a result comes or goes).
  void invalidateBars();

  static constexpr QLine kIndexBar{84, 436, 153, 436};
  static constexpr QLine kFeedBar{363, 436, 434, 436};

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  Controls& controls_;
};

// Creates every control of the Main page on `client` and registers it in `controls`.
// The reactions are wired by the window.
void createMainPage(Controls& controls, QWidget* client, const WindowFonts& fonts);

}  // namespace hobwise::ui
