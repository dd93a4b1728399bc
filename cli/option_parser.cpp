#include "option_parser.h"

#include "hobwise/files.h"

namespace hobwise::cli {

namespace {

bool startsWith(std::string_view text, std::string_view start) { return text.substr(0, start.size()) == start; }
bool contains(std::string_view text, char c) { return text.find(c) != std::string_view::npos; }

// The name of a long option without its "=value".
std::string_view nameOf(std::string_view longArgument) { return longArgument.substr(2, longArgument.find('=') - 2); }

class OptionShapes {
 public:
  explicit OptionShapes(std::span<const OptionShape> shapes) : shapes_(shapes) {}

  // A long name of the table.
  const OptionShape* longShape(std::string_view name) const {
    const std::optional<std::size_t> k = indexOfLong(name);
    return k ? &shapes_[*k] : nullptr;
  }
  std::optional<std::size_t> indexOfLong(std::string_view name) const {
    for (std::size_t k = 0; k < shapes_.size(); ++k)
      if (shapes_[k].name == name) return k;
    return std::nullopt;
  }
  // A name the scan knows: a long name, or "h" and "v" (whether after one dash or two).
  std::optional<std::size_t> indexOf(std::string_view name) const {
    if (name == "h") return indexOfLong("help");
    if (name == "v") return indexOfLong("version");
    return indexOfLong(name);
  }
  bool takesValue(std::size_t k) const { return shapes_[k].takesValue; }

  // An argument "--name" (no "=") whose option takes a value: the next argument is it.
  bool wantsNext(std::string_view arg) const {
    const OptionShape* shape = startsWith(arg, "--") && !contains(arg, '=') ? longShape(arg.substr(2)) : nullptr;
    return shape && shape->takesValue;
  }

 private:
  std::span<const OptionShape> shapes_;
};

// The line scanned option by option. A name that takes a value takes the rest of its
// argument after "=", else the next argument, whatever it is.
struct Scan {
  std::vector<GivenOption> found;
  std::vector<std::string> unknownNames;
  std::string error;  // the last value error
  bool ok = true;

  // The value part of option `name` of `arg`, taking the next argument when it needs
  // one (`at` moves to it).
  void value(const OptionShapes& shapes, std::string_view name, const std::vector<std::string>& args, std::size_t& at) {
    const std::optional<std::size_t> k = shapes.indexOf(name);
    if (!k) return;
    const std::string& arg = args[at];
    const std::size_t assign = arg.find('=');
    if (shapes.takesValue(*k)) {
      if (assign != std::string::npos) {
        found.back().value = arg.substr(assign + 1);
      } else if (++at == args.size()) {
        error = "Missing value after '" + bareOrQuoted(arg) + "'.";
        ok = false;
      } else {
        found.back().value = args[at];
      }
    } else if (assign != std::string::npos) {
      error = "Unexpected value after '" + bareOrQuoted(arg.substr(0, assign)) + "'.";
      ok = false;
    }
  }

  bool take(const OptionShapes& shapes, std::string_view name) {
    if (const std::optional<std::size_t> k = shapes.indexOf(name)) {
      found.push_back({*k, std::string()});
      return true;
    }
    unknownNames.emplace_back(name);
    ok = false;
    return false;
  }

  Scan(const OptionShapes& shapes, const std::vector<std::string>& args) {
    bool positional = false;
    for (std::size_t at = 1; at < args.size(); ++at) {
      const std::string& arg = args[at];
      if (positional || !startsWith(arg, "-") || arg == "-") continue;  // words are judged later
      if (arg == "--") {
        positional = true;
      } else if (startsWith(arg, "--")) {
        if (take(shapes, nameOf(arg))) value(shapes, nameOf(arg), args, at);
      } else {
        // Short options run together: each letter an option, up to one followed by "=".
        std::string_view name;
        for (std::size_t pos = 1; pos < arg.size(); ++pos) {
          name = std::string_view(arg).substr(pos, 1);
          if (take(shapes, name) && pos + 1 < arg.size() && arg[pos + 1] == '=') break;
        }
        value(shapes, name, args, at);
      }
    }
  }

  std::string errorText() const {
    if (!error.empty()) return error;
    if (unknownNames.size() == 1) return "Unknown option '" + bareOrQuoted(unknownNames.front()) + "'.";
    std::string names;
    for (const std::string& name : unknownNames) names += (names.empty() ? "" : ", ") + bareOrQuoted(name);
    return unknownNames.empty() ? std::string() : "Unknown options: " + names + ".";
  }
};

// Arguments are shown quoted and cut (quoteText): a word may hold anything.
std::string unknownOption(const std::string& arg) {
  const std::size_t assign = arg.find('=');
  if (startsWith(arg, "--") && assign != std::string::npos && assign >= 2)
    return bareOrQuoted(arg.substr(0, assign)) + ": takes no value";
  return "unknown option " + quoteText(arg) + " (see --help)";
}

// What is wrong with the line, for the argument that comes first on it.
std::optional<std::string> complaintOf(const std::vector<std::string>& args, const OptionShapes& shapes, const Scan& scan) {
  std::vector<bool> isValue(args.size(), false);  // the value of the option before it
  for (std::size_t i = 2; i < args.size(); ++i) isValue[i] = !isValue[i - 1] && shapes.wantsNext(args[i - 1]);
  auto firstArgument = [&](auto matches) {
    for (std::size_t i = 1; i < args.size(); ++i)
      if (!isValue[i] && matches(std::string_view(args[i]))) return i;
    return args.size();
  };
  std::size_t at = args.size();
  std::string message;
  auto consider = [&](std::size_t i, const std::string& text) {
    if (i < at) at = i, message = text;
  };
  // "--" and every word that is no option; an unknown option, long or among short ones.
  const std::size_t word = firstArgument([&](std::string_view a) {
    return a == "--" || a == "-" || !startsWith(a, "-") || (startsWith(a, "--") && !shapes.longShape(nameOf(a))) ||
           (!startsWith(a, "--") && contains(a, '='));
  });
  if (word < args.size()) consider(word, unknownOption(args[word]));
  if (!scan.unknownNames.empty()) {
    const std::string& name = scan.unknownNames.front();
    const std::size_t i = firstArgument([&](std::string_view a) {
      const std::size_t found = a.find(name, 1);
      return startsWith(a, "-") && !startsWith(a, "--") && found != std::string_view::npos && found > 0;
    });
    if (i < args.size()) consider(i, unknownOption(args[i]));
  }
  // A switch given a value.
  const std::size_t valued = firstArgument([&](std::string_view a) {
    const OptionShape* shape = startsWith(a, "--") ? shapes.longShape(nameOf(a)) : nullptr;
    return shape && !shape->takesValue && contains(a, '=');
  });
  if (valued < args.size()) consider(valued, bareOrQuoted(args[valued].substr(0, args[valued].find('='))) + ": takes no value");
  // The last option's value missing.
  if (args.size() > 1 && !isValue.back() && shapes.wantsNext(args.back()))
    consider(args.size() - 1, bareOrQuoted(args.back()) + ": missing value");
  if (at == args.size() && !scan.ok) message = scan.errorText();
  if (message.empty()) return std::nullopt;
  return message;
}

}  // namespace

ReadLine readCommandLine(const std::vector<std::string>& args, std::span<const OptionShape> shapes) {
  const OptionShapes table(shapes);
  Scan scan(table, args);
  ReadLine line;
  line.complaint = complaintOf(args, table, scan);
  if (!line.complaint) line.options = std::move(scan.found);
  return line;
}

}  // namespace hobwise::cli
