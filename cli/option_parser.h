#pragma once
// The words of a command line read as hobwise-solve reads them, apart from what each
// option means: long options "--name", "--name=value" and "--name value", the short
// "-h" and "-v" (also run together, "-hv"), "--" ending the options; and the first
// thing wrong with a line, in hobwise-solve's words. Arguments are bytes as the system
// gives them; nothing is decoded.
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace hobwise::cli {

// An option by its long name; "help" is also "-h" and "version" also "-v".
struct OptionShape {
  std::string_view name;
  bool takesValue = false;
};

// One option as the line gives it: its index among the shapes and its value (empty for
// a switch).
struct GivenOption {
  std::size_t shape = 0;
  std::string value;
};

struct ReadLine {
  std::vector<GivenOption> options;      // in the order of the line
  std::optional<std::string> complaint;  // set: the line is refused, for this reason
};

// Reads `args` (the program's name first). A complaint names the first argument that
// is wrong: a word that is no option ("unknown option \"X\" (see --help)"), a value
// given to a switch ("--X: takes no value"), or the last option's value missing
// ("--X: missing value").
ReadLine readCommandLine(const std::vector<std::string>& args, std::span<const OptionShape> shapes);

}  // namespace hobwise::cli
