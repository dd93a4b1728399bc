// The advisor's start and outcomes as text, for workers that pass them to each other:
// one line of words, a result as its eight gears and two decimals with every digit.
#include <charconv>
#include <limits>
#include <sstream>

#include "solver/advisor.h"

namespace hobwise {

namespace {

std::string decimalText(const DecFloat& x) {
  return x.str(std::numeric_limits<DecFloat>::max_digits10, std::ios_base::scientific);
}

// "f0,f1,f2,f3,i0,i1,i2,i3;feedError;cConstant"
std::string resultText(const FoundResult& r) {
  std::string out;
  for (std::uint16_t g : {r.f0, r.f1, r.f2, r.f3, r.i0, r.i1, r.i2, r.i3}) out += std::to_string(g) + ",";
  out.back() = ';';
  return out + decimalText(r.feedError) + ";" + decimalText(r.cConstant);
}

template <class T>
bool wholeFrom(std::string_view text, T& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

bool flagFrom(std::string_view text, bool& flag) {
  if (text != "0" && text != "1") return false;
  flag = text == "1";
  return true;
}

std::vector<std::string_view> split(std::string_view text, char by) {
  std::vector<std::string_view> parts;
  for (std::size_t from = 0;;) {
    const std::size_t at = text.find(by, from);
    parts.push_back(text.substr(from, at == std::string_view::npos ? std::string_view::npos : at - from));
    if (at == std::string_view::npos) return parts;
    from = at + 1;
  }
}

std::optional<FoundResult> resultFrom(std::string_view text) {
  const std::vector<std::string_view> parts = split(text, ';');
  if (parts.size() != 3) return std::nullopt;
  const std::vector<std::string_view> gears = split(parts[0], ',');
  if (gears.size() != 8) return std::nullopt;
  FoundResult r;
  std::uint16_t* fields[8] = {&r.f0, &r.f1, &r.f2, &r.f3, &r.i0, &r.i1, &r.i2, &r.i3};
  for (std::size_t k = 0; k < 8; ++k)
    if (!wholeFrom(gears[k], *fields[k])) return std::nullopt;
  const std::optional<DecFloat> feedError = parseDecFloat(parts[1]), c = parseDecFloat(parts[2]);
  if (!feedError || !c) return std::nullopt;
  r.feedError = *feedError;
  r.cConstant = *c;
  return r;
}

std::string teethText(const std::vector<int>& teeth) {
  if (teeth.empty()) return "-";
  std::string out;
  for (int t : teeth) out += std::to_string(t) + ",";
  out.pop_back();
  return out;
}

}  // namespace

std::string startText(const AdvisorStart& s) {
  return "start " + std::to_string(s.stopped) + " " + std::to_string(s.failed) + " " + std::to_string(s.nowCount) +
         " " + teethText(s.additions) + " " + (s.nowBest ? resultText(*s.nowBest) : "-");
}

std::optional<AdvisorStart> startFromText(std::string_view text) {
  const std::vector<std::string_view> words = split(text, ' ');
  AdvisorStart s;
  if (words.size() != 6 || words[0] != "start" || !flagFrom(words[1], s.stopped) || !flagFrom(words[2], s.failed) ||
      !wholeFrom(words[3], s.nowCount))
    return std::nullopt;
  if (words[4] != "-") {
    for (std::string_view t : split(words[4], ',')) {
      int teeth = 0;
      if (!wholeFrom(t, teeth)) return std::nullopt;
      s.additions.push_back(teeth);
    }
  }
  if (words[5] != "-" && !(s.nowBest = resultFrom(words[5]))) return std::nullopt;
  return s;
}

std::string outcomeText(const AdditionOutcome& o) {
  return "addition " + std::to_string(o.add) + " " + std::to_string(o.tried) + " " + std::to_string(o.failed) + " " +
         std::to_string(o.suggested) + " " + std::to_string(o.count) + " " + (o.suggested ? resultText(o.best) : "-");
}

std::optional<AdditionOutcome> outcomeFromText(std::string_view text) {
  const std::vector<std::string_view> words = split(text, ' ');
  AdditionOutcome o;
  if (words.size() != 7 || words[0] != "addition" || !wholeFrom(words[1], o.add) || !flagFrom(words[2], o.tried) ||
      !flagFrom(words[3], o.failed) || !flagFrom(words[4], o.suggested) || !wholeFrom(words[5], o.count))
    return std::nullopt;
  if (o.suggested) {
    const std::optional<FoundResult> best = resultFrom(words[6]);
    if (!best) return std::nullopt;
    o.best = *best;
  } else if (words[6] != "-") {
    return std::nullopt;
  }
  return o;
}

}  // namespace hobwise
