// hobwise: the desktop program. One window; everything else hangs off it.
#include <cstdio>
#include <cstring>

#include <QApplication>

#include "ui/main_window.h"

namespace {

const char* const kHelp =
    "Usage: hobwise [OPTION]... [QT-OPTION]...\n"
    "Opens the Hobwise window, which finds four-gear index and feed change-gear trains\n"
    "from the shop's gear stock for cutting a helical gear on a hobbing machine without\n"
    "a differential, and prints the set-up sheet of a result.\n"
    "\n"
    "  -h, --help     display this help and exit\n"
    "      --version  output version information and exit\n"
    "\n"
    "Qt's own options, such as -platform NAME or -style NAME, are accepted as well.\n"
    "The index constant, feed constant, feed rate and gear stock are kept per user in\n"
    "~/.config/Quillmar/1.conf. For a solve without a window, see hobwise-solve --help.\n";

// --help and --version are answered before any window system is touched, so that
// they work without a display. Returns true when one of them was given.
bool answeredFromCommandLine(int argc, char* argv[]) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--version") == 0) {
      std::printf("hobwise %s\n", HOBWISE_VERSION);
      return true;
    }
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::fputs(kHelp, stdout);
      return true;
    }
  }
  return false;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (answeredFromCommandLine(argc, argv)) return 0;
  QApplication app(argc, argv);
  QApplication::setApplicationVersion(QStringLiteral(HOBWISE_VERSION));
  // Lets the desktop match the window to hobwise.desktop (its name and icon).
  QGuiApplication::setDesktopFileName(QStringLiteral("hobwise"));
  hobwise::ui::MainWindow window;
  window.show();
  return QApplication::exec();
}
