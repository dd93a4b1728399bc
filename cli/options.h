#pragma once
// The options of hobwise-solve: what the command line asks for, checked the way the
// window checks its fields.
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "hobwise/check.h"
#include "hobwise/job.h"
#include "hobwise/stock.h"

namespace hobwise::cli {

constexpr int kBadInput = 2;  // exit status of bad input
constexpr int kStopped = 3;   // exit status of a run or an advisor stopped early
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
  std::optional<std::string> machine;  // --machine FILE: the machine profile
  bool mountable = false;              // --mountable: "Mountable Trains Only"
};

// The options of a command line (the program's name first). Throws BadInput.
Options parseOptions(const std::vector<std::string>& arguments);

// The job as the window would hold it, checked as the Solve button checks it, and
// then for texts the engine cannot read as numbers; the stock of --stock-file read
// with `readStock`. Throws BadInput.
using StockReader = std::function<StockFileResult(const std::string& path)>;
JobInputs jobFrom(Options& options, const StockReader& readStock);

extern const char* const kUsage;

}  // namespace hobwise::cli
