#pragma once
// The options of hobwise-solve: what the command line asks for, read with
// QCommandLineParser and checked the way the window checks its fields.
#include <map>
#include <optional>
#include <string>

#include <QStringList>

#include "model/job.h"
#include "results/train_check.h"

namespace hobwise::cli {

constexpr int kBadInput = 2;  // exit status of bad input
constexpr unsigned kMaxWorkers = 256;

// Bad input: the message goes to standard error, the exit status is kBadInput.
struct BadInput {
  std::string message;
};

struct Options {
  std::map<std::string, std::string> texts;  // the five job texts by option name
  std::optional<int> teeth;
  int hobThreads = 1;
  int setup = 0;
  bool whole = false;
  bool finite = false;
  bool bypassDuplicates = false;
  std::optional<std::string> stock;      // 154 digits, from --stock or --stock-file
  std::optional<std::string> stockFile;
  unsigned workers = 0;  // 0: one per logical processor
  bool json = false;
  bool csv = false;
  std::optional<int> results;  // listed results (default 10)
  bool exact = false;
  bool example = false;
  bool help = false;
  bool version = false;
  std::optional<std::string> sheet;
  std::optional<int> result;
  std::optional<MountedTeeth> checkTrain;  // --check-train: check this train instead of solving
  std::optional<int> suggest;  // --suggest [N]: the first N gears worth buying
};

// The options of a command line (the program's name first). Throws BadInput.
Options parseOptions(const QStringList& arguments);

// The job as the window would hold it, checked as the Solve button checks it, and
// then for texts the engine cannot read as numbers. Throws BadInput.
JobInputs jobFrom(Options& options);

extern const char* const kUsage;

}  // namespace hobwise::cli
