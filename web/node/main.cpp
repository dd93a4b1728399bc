// hobwise-solve for node: the command line of the native program (hobwise_cli), built
// with emscripten. Options, messages, listing, CSV and JSON are the library's; this
// main only connects it to node: standard output and error, the progress line on a
// terminal, and files through node's file system (NODERAWFS).
//
// Not here: --sheet (the set-up sheet is painted by Qt, which only the native program
// has; refused with exit status 2 before anything runs) and Ctrl+C stopping a run (the
// run holds node's only thread; Ctrl+C ends the program).
#include <emscripten/emscripten.h>

#include <string>
#include <string_view>
#include <vector>

#include "command_line.h"
#include "options.h"

// Node writes to a pipe, a file or a terminal synchronously on Linux, so the bytes are
// out before the program ends, in the order written.
EM_JS(void, hobwise_node_write, (int fd, const char* data, int size), {
  const bytes = Buffer.from(HEAPU8.subarray(data, data + size));
  (fd == 2 ? process.stderr : process.stdout).write(bytes);
});
EM_JS(int, hobwise_node_stderr_is_terminal, (), { return process.stderr.isTTY ? 1 : 0; });

namespace hobwise::node {

class NodeIo : public cli::Io {
 public:
  void out(std::string_view text) override { write(1, text); }
  void err(std::string_view text) override { write(2, text); }
  bool showsProgress() override { return hobwise_node_stderr_is_terminal() != 0; }
  unsigned defaultWorkers() override { return 1; }  // one thread: see src/solver/threads.cpp

 private:
  static void write(int fd, std::string_view text) {
    if (!text.empty()) hobwise_node_write(fd, text.data(), static_cast<int>(text.size()));
  }
};

// True when the command line asks for a sheet and would otherwise run (not for --help
// or --version, nor for a line the library refuses, which it says why).
bool sheetAsked(const std::vector<std::string>& args) {
  try {
    const cli::Options o = cli::parseOptions(args);
    return o.sheet.has_value() && !o.help && !o.version;
  } catch (const cli::BadInput&) {
    return false;
  }
}

}  // namespace hobwise::node

int main(int argc, char** argv) {
  using namespace hobwise;
  node::NodeIo io;
  const std::vector<std::string> args(argv, argv + argc);
  if (node::sheetAsked(args)) {
    io.err(
        "hobwise-solve: --sheet: the set-up sheet is written by the native program only; this one for node "
        "prints the results (use --json or --csv, or the page's Print)\n");
    return cli::kBadInput;
  }
  return cli::runCommandLine(args, io);
}
