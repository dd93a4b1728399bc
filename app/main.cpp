// hobwise: the desktop program. One window; everything else hangs off it.
#include <QApplication>

#include "ui/main_window.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  hobwise::ui::MainWindow window;
  window.show();
  return QApplication::exec();
}
