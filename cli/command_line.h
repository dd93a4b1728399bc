#pragma once
// hobwise-solve as a library: a command line from its arguments to its exit status,
// with no Qt and nothing of a platform in it. Whatever reaches the world (standard
// output and error, the progress line, Ctrl+C, files, the PDF sheet) goes through Io,
// so that the native program and a program built for node are each a small main
// around the same options, messages, listing and JSON.
//
// Exit status: 0; 2 for bad input (a message on standard error, nothing on standard
// output) and for a job that cannot be solved; 1 when the sheet cannot be written or
// anything else goes wrong.
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
  // stopFlag() so that the run ends early and prints what it found.
  virtual void watchForStop() {}
  virtual const std::atomic<bool>* stopFlag() { return nullptr; }  // nullptr: no stop

  // The workers of a run when --workers is not given.
  virtual unsigned defaultWorkers();

  // The stock of --stock-file: by default read from the file system.
  virtual StockFileResult readStockFile(const std::string& path);

  // The profile of --machine: by default read from the file system.
  virtual MachineProfileResult readMachineFile(const std::string& path);

  // --sheet: writes the set-up sheet as a one-page PDF file; false when it cannot be
  // written (then "--sheet: cannot write" and exit status 1). By default no sheet.
  virtual bool writeSheet(const SheetInputs& sheet, const std::string& path);
};

// Runs a command line: `args` are the arguments as the system gives them, the program's
// name first. Returns the exit status. Never throws.
int runCommandLine(const std::vector<std::string>& args, Io& io);

}  // namespace hobwise::cli
