// hobwise-solve from its arguments to its exit status.
#include "command_line.h"

#include <algorithm>
#include <exception>
#include <mutex>

#include "check_train.h"
#include "hobwise/files.h"
#include "hobwise/json.h"
#include "machine.h"
#include "hobwise/results.h"
#include "hobwise/run.h"
#include "options.h"
#include "output.h"
#include "suggest.h"

namespace hobwise::cli {

unsigned Io::defaultWorkers() { return logicalProcessors(); }

StockFileResult Io::readStockFile(const std::string& path) { return loadStockFile(path); }

std::string Io::writeSheet(const SheetInputs&, const std::string& path) {
  return "cannot write " + quoteText(path, Keep::kEnd) + ": this program writes no sheets";
}

std::string Io::sheetTargetProblem(const std::string& path) { return checkWriteTarget(path).error; }

MachineProfileResult Io::readMachineFile(const std::string& path) { return readMachineProfileFile(path); }

namespace {

SolveOptions solveOptionsFrom(const Options& o, const std::optional<MachineProfile>& machine, Io& io) {
  SolveOptions options;
  if (o.mountable && machine) options.mountableOnly = mountQuadrantsOf(*machine);
  options.wholeOnly = o.whole;
  options.finiteOnly = o.finite;
  options.bypassDuplicates = o.bypassDuplicates;
  options.exact = o.exact;
  options.processors = o.workers != 0 ? o.workers : io.defaultWorkers();
  return options;
}

// The solve run, its progress on standard error when that is a terminal, and a stop.
SolveReport solveWithProgress(const JobInputs& inputs, const GearStock& stock, const SolveOptions& options, Io& io) {
  const bool progress = io.showsProgress();
  std::mutex progressLock;
  SolveCallbacks callbacks;
  callbacks.stop = io.stopFlag();
  callbacks.status = [&](const std::string& text) {
    if (!progress) return;
    std::lock_guard lock(progressLock);
    io.err("\r\033[K" + text);
  };
  io.watchForStop();
  SolveReport report = runSolve(inputs, stock, options, callbacks);
  io.runEnded();
  if (progress) {
    std::lock_guard lock(progressLock);
    io.err("\r\033[K");
  }
  return report;
}

int run(const std::vector<std::string>& args, Io& io) {
  Options o = parseOptions(args);
  if (o.help) {
    io.out(kUsage);
    return 0;
  }
  if (o.version) {
    io.out(std::string("hobwise-solve ") + HOBWISE_VERSION + "\n");
    return 0;
  }
  const std::optional<MachineProfile> machine = machineOf(o, io);
  const MachineProfile* onMachine = machine ? &*machine : nullptr;
  const JobInputs inputs = jobFrom(o, [&io](const std::string& path) { return io.readStockFile(path); });
  if (o.sheet) {
    // Refused before a run that may take minutes, not after it.
    if (const std::string problem = io.sheetTargetProblem(*o.sheet); !problem.empty())
      throw BadInput{"--sheet: " + problem};
  }
  const GearStock stock = o.stock ? GearStock::fromText(*o.stock) : defaultGearStock();
  const SolveOptions options = solveOptionsFrom(o, machine, io);
  if (o.checkTrain) return runTrainCheck(inputs, stock, options, *o.checkTrain, o.json, o.sheet, io, onMachine);
  if (o.suggest) {
    io.watchForStop();
    return printSuggestions(inputs, stock, options, *o.suggest, o.json, io, onMachine);
  }

  const SolveReport report = solveWithProgress(inputs, stock, options, io);
  const bool stopped = report.stoppedIn != SolveStage::None;
  if (stopped) io.err("hobwise-solve: stopped; the results found so far follow\n");
  if (report.failed) {
    io.err("hobwise-solve: the job could not be solved (" + whyTheRunFailed(inputs) + ")\n");
    return kBadInput;
  }
  // --results N: the first N in every list; "count" stays the number of results kept.
  const std::size_t listed = o.results ? static_cast<std::size_t>(*o.results) : report.results.size();
  if (o.json) {
    io.out(reportJson(inputs, report, o.exact, listed, onMachine));
  } else if (o.csv) {
    std::vector<FoundResult> first = report.results;
    first.resize(std::min(listed, first.size()));
    io.out(resultsCsv(resultRowsOf(inputs, first, o.exact)));
  } else {
    io.out(listingText(inputs, report, o.results.value_or(10), stopped, o.exact, onMachine));
  }
  if (!o.sheet) return stopped ? kStopped : 0;
  if (stopped) {
    io.err("hobwise-solve: --sheet: the run was stopped before its end, so no sheet was written\n");
    return kStopped;
  }
  return writeSheet(inputs, report, o.result, *o.sheet, o.json || o.csv, o.exact, io, onMachine);
}

}  // namespace

int runCommandLine(const std::vector<std::string>& args, Io& io) {
  try {
    return run(args, io);
  } catch (const BadInput& bad) {
    io.err("hobwise-solve: " + bad.message + "\n");
    return kBadInput;
  } catch (const std::exception& e) {
    io.err(std::string("hobwise-solve: ") + e.what() + "\n");
    return 1;
  }
}

}  // namespace hobwise::cli
