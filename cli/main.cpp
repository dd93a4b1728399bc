// hobwise-solve: the change-gear solver on the command line. Same engine and same
// texts as the window; optionally the set-up sheet of one result as a PDF file.
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>

#include <QString>
#include <QStringList>

#include "model/gear_stock.h"
#include "check_train.h"
#include "options.h"
#include "output.h"
#include "suggest.h"
#include "results/results.h"
#include "solver/solver.h"

namespace {

using namespace hobwise;
using namespace hobwise::cli;

std::atomic<bool> gStop{false};
std::atomic<int> gInterrupts{0};

extern "C" void onInterrupt(int) {
  // The first Ctrl+C stops the run the way Escape does in the window; the second ends
  // the program at once.
  if (gInterrupts.fetch_add(1) >= 1) _exit(130);
  gStop.store(true);
}

QStringList argumentList(int argc, char** argv) {
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  return arguments;
}

SolveOptions solveOptionsFrom(const Options& o) {
  SolveOptions options;
  options.wholeOnly = o.whole;
  options.finiteOnly = o.finite;
  options.bypassDuplicates = o.bypassDuplicates;
  options.exact = o.exact;
  options.processors = o.workers != 0 ? o.workers : std::max(1u, std::thread::hardware_concurrency());
  return options;
}

void catchInterrupts() {
  struct sigaction action {};
  action.sa_handler = onInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
}

// The solve run, its progress on standard error when that is a terminal, and Ctrl+C.
SolveReport solveWithProgress(const JobInputs& inputs, const GearStock& stock, const SolveOptions& options) {
  const bool progress = isatty(STDERR_FILENO) != 0;
  std::mutex progressLock;
  SolveCallbacks callbacks;
  callbacks.stop = &gStop;
  callbacks.status = [&](const std::string& text) {
    if (!progress) return;
    std::lock_guard lock(progressLock);
    std::fprintf(stderr, "\r\033[K%s", text.c_str());
    std::fflush(stderr);
  };

  catchInterrupts();
  SolveReport report = solve(inputs, stock, options, callbacks);
  if (progress) {
    std::lock_guard lock(progressLock);
    std::fputs("\r\033[K", stderr);
  }
  return report;
}

int run(int argc, char** argv) {
  Options o = parseOptions(argumentList(argc, argv));
  if (o.help) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (o.version) {
    std::printf("hobwise-solve %s\n", HOBWISE_VERSION);
    return 0;
  }
  const JobInputs inputs = jobFrom(o);
  const GearStock stock = o.stock ? GearStock::fromText(*o.stock) : GearStock::defaultStock();
  if (o.checkTrain) return runTrainCheck(inputs, stock, solveOptionsFrom(o), *o.checkTrain, o.json, o.sheet);
  if (o.suggest) {
    catchInterrupts();
    return printSuggestions(inputs, stock, solveOptionsFrom(o), *o.suggest, o.json, &gStop);
  }

  const SolveReport report = solveWithProgress(inputs, stock, solveOptionsFrom(o));
  const bool stopped = gStop.load();
  if (stopped) std::fputs("hobwise-solve: stopped; the results found so far follow\n", stderr);
  if (report.failed) {
    std::fputs("hobwise-solve: the job could not be solved (a field is no number, or memory ran out)\n", stderr);
    return kBadInput;
  }

  if (o.json)
    printJson(inputs, report);
  else if (o.csv)
    printCsv(inputs, report);
  else
    printListing(inputs, report, o.results.value_or(10), stopped);
  std::fflush(stdout);

  if (o.sheet) return writeSheet(inputs, report, o.result.value_or(1), *o.sheet, o.json || o.csv);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return run(argc, argv);
  } catch (const BadInput& bad) {
    std::fprintf(stderr, "hobwise-solve: %s\n", bad.message.c_str());
    return kBadInput;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "hobwise-solve: %s\n", e.what());
    return 1;
  }
}
