#pragma once
// The bounds of a machine profile's values and the words that name them, shared by
// the file reader and the check of a profile built by hand.
#include <cstdint>
#include <string>
#include <string_view>

#include "model/machine_profile.h"

namespace hobwise::profile {

enum class Kind { kLength, kSlotEnd, kGap, kModule, kDiametralPitch };

struct Rule {
  std::int64_t least;     // in ten-thousandths
  bool leastExcluded;     // "above" rather than "from"
  std::int64_t greatest;  // in ten-thousandths, included
  std::string_view words;
};

const Rule& ruleFor(Kind kind);

inline bool allows(const Rule& rule, Decimal4 value) {
  const std::int64_t u = value.units();
  return (rule.leastExcluded ? u > rule.least : u >= rule.least) && u <= rule.greatest;
}

inline constexpr int kLeastIdler = 16;
inline constexpr int kGreatestIdler = 169;
inline constexpr std::string_view kIdlerWords = "a tooth count from 16 to 169";

// "path: expects WORDS, got VALUE".
inline std::string expects(std::string_view path, std::string_view words, std::string_view got) {
  return std::string(path) + ": expects " + std::string(words) + ", got " + std::string(got);
}

// A text as a message quotes it: at most 40 bytes (never cutting a UTF-8 character),
// control characters shown as "?".
std::string shown(std::string_view text);

// The first thing wrong with one train's quadrant ("index.gap: ..."), or the empty text.
std::string quadrantProblem(const std::string& train, const Quadrant& quadrant);

// A text as a JSON string, quoted and escaped.
std::string jsonString(const std::string& text);

}  // namespace hobwise::profile
