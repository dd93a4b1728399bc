// hobwise-solve: the change-gear solver on the command line. Same engine and same
// texts as the window; optionally the set-up sheet of one result as a PDF file. The
// command line itself is the library hobwise_cli; this is its native main: standard
// output and error, Ctrl+C, the terminal's progress line and the sheet painted by Qt.
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <QGuiApplication>
#include <QString>

#include "command_line.h"
#include "painting/sheet_painter.h"

namespace {

using namespace hobwise;

std::atomic<bool> gStop{false};
std::atomic<int> gInterrupts{0};

extern "C" void onInterrupt(int) {
  // The first Ctrl+C stops the run the way Escape does in the window; the second ends
  // the program at once.
  if (gInterrupts.fetch_add(1) >= 1) _exit(130);
  gStop.store(true);
}

class NativeIo : public cli::Io {
 public:
  void out(std::string_view text) override { std::fwrite(text.data(), 1, text.size(), stdout); }
  void err(std::string_view text) override {
    std::fflush(stdout);  // what was printed before comes before
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
  }
  bool showsProgress() override { return isatty(STDERR_FILENO) != 0; }
  void watchForStop() override {
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
  }
  const std::atomic<bool>* stopFlag() override { return &gStop; }

  bool writeSheet(const SheetInputs& sheet, const std::string& path) override {
    std::fflush(stdout);  // what was printed comes before Qt's own messages
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    int qtArgc = 1;
    char name[] = "hobwise-solve";
    char* qtArgv[] = {name, nullptr};
    QGuiApplication app(qtArgc, qtArgv);
    return writeSheetPdf(sheet, QString::fromLocal8Bit(path.c_str()));
  }
};

}  // namespace

int main(int argc, char** argv) {
  NativeIo io;
  return cli::runCommandLine(std::vector<std::string>(argv, argv + argc), io);
}
