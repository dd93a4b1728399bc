#pragma once
// hobwise-solve as a library: a command line from its arguments to its exit status,
// with no Qt and nothing of a platform in it. Whatever reaches the world (standard
// output and error, the progress line, Ctrl+C, files, the PDF sheet) goes through Io,
// so that the native program and a program built for node are each a small main
// around the same options, messages, listing and JSON.
//
// Exit status: 0; 2 for bad input (a message on standard error, nothing on standard
// output), for a job that cannot be solved and for a file that cannot be read or
// written (the message names it and says why); 3 for a run or an advisor stopped by a
// stop request (what was found so far is printed, no sheet is written); 1 when
// anything else goes wrong. A main that ends the program on a second stop request (or
// on SIGTERM, SIGHUP) exits with 128 + the signal's number, 130 for Ctrl+C.
#include <atomic>
#include <string>
#include <string_view>
#include <vector>

#include "hobwise/machines.h"
#include "hobwise/sheet.h"
#include "hobwise/stock.h"

namespace hobwise::cli {

class Io {
 public:
  virtual ~Io() = default;

  // Standard output and standard error, byte for byte as given.
  virtual void out(std::string_view text) = 0;
  virtual void err(std::string_view text) = 0;

  // True when standard error is a terminal: the progress of a run is shown there on one
  // line ("\r\033[K" and the text), which is cleared when the run ends. Called once a
  // run; the progress texts come one at a time but from the run's threads.
  virtual bool showsProgress() { return false; }

  // A run or the advisor is about to start: from now on a stop request (Ctrl+C) sets
  // stopFlag() so that the run ends early and prints what it found. runEnded(): the run
  // is over; a stop request may now end the program at once.
  virtual void watchForStop() {}
  virtual void runEnded() {}
  virtual const std::atomic<bool>* stopFlag() { return nullptr; }  // nullptr: no stop

  // The workers of a run when --workers is not given.
  virtual unsigned defaultWorkers();

  // The stock of --stock-file: by default read from the file system.
  virtual StockFileResult readStockFile(const std::string& path);

  // --sheet: writes the set-up sheet as a one-page PDF file that replaces `path` whole
  // or leaves it as it was. The empty text when written, otherwise the reason, "cannot
  // write \"FILE\": why" (then exit status 2). By default no sheet is written.
  virtual std::string writeSheet(const SheetInputs& sheet, const std::string& path);
  // What keeps `path` from being written at all (a pipe, a device, a folder, a folder
  // that does not exist), said before a run as writeSheet would say it; empty when
  // nothing does. By default checkWriteTarget (hobwise/files.h).
  virtual std::string sheetTargetProblem(const std::string& path);

  // The profile of --machine: by default read from the file system.
  virtual MachineProfileResult readMachineFile(const std::string& path);
};

// Runs a command line: `args` are the arguments as the system gives them, the program's
// name first. Returns the exit status. Never throws.
int runCommandLine(const std::vector<std::string>& args, Io& io);

}  // namespace hobwise::cli
