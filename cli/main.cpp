// hobwise-solve: the change-gear solver on the command line. Same engine and same
// texts as the window; optionally the set-up sheet of one result as a PDF file. The
// command line itself is the library hobwise_cli; this is its native main: standard
// output and error, Ctrl+C and the signals that end the program, the terminal's
// progress line and the sheet painted by Qt.
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <QGuiApplication>

#include "command_line.h"
#include "hobwise/files.h"
#include "painting/sheet_painter.h"

namespace {

using namespace hobwise;

std::atomic<bool> gStop{false};
std::atomic<bool> gWatching{false};  // a search runs that a first Ctrl+C stops

extern "C" void onSignal(int signal) {
  // A first Ctrl+C while a search runs stops it the way Escape does in the window. Any
  // other (a second Ctrl+C, one outside a search, SIGTERM, SIGHUP) ends the program at
  // once, first removing the temporary file of a write in progress: no file is left
  // half-written, and the file it would have replaced stays as it was.
  if (signal == SIGINT && gWatching.load() && !gStop.exchange(true)) return;
  removeUnfinishedTemporaryFiles();
  _exit(128 + signal);
}

void handleSignals() {
  struct sigaction action {};
  action.sa_handler = onSignal;
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&action.sa_mask, signal);  // one handler at a time
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
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
  void watchForStop() override { gWatching.store(true); }
  void runEnded() override { gWatching.store(false); }
  const std::atomic<bool>* stopFlag() override { return &gStop; }

  std::string writeSheet(const SheetInputs& sheet, const std::string& path) override {
    std::fflush(stdout);  // what was printed comes before Qt's own messages
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    int qtArgc = 1;
    char name[] = "hobwise-solve";
    char* qtArgv[] = {name, nullptr};
    QGuiApplication app(qtArgc, qtArgv);
    return writeSheetPdf(sheet, path);  // the name's bytes as given, never decoded
  }
};

}  // namespace

int main(int argc, char** argv) {
  handleSignals();
  NativeIo io;
  return cli::runCommandLine(std::vector<std::string>(argv, argv + argc), io);
}
