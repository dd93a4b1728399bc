#pragma once
// A machine profile: one hobbing machine of the shop with its index and feed
// constants, optionally its own gear stock, and the quadrant of each of its two
// change-gear trains (the sizes the mounting check needs). Profiles are kept as
// JSON files, UTF-8:
//
//   {"name": "Hobber 2", "indexConstant": "30", "feedConstant": "0.0625",
//    "stock": "<154 digits, as the settings store it>",
//    "index": {"module": 2.5, "centreDistance": 180, "studRange": [60, 170],
//              "shaftDiameters": {"driving": 30, "driven": 30}, "gap": 1,
//              "maxOutsideDiameter": {"driving": 200, "stud": 200, "driven": 200},
//              "idler": 40},
//    "feed": {...the same keys...}}
//
// `name`, the constants, `stock`, `studRange`, `gap` and `idler` may be left out; a
// quadrant gives exactly one of `module` and `diametralPitch`. Unknown and repeated
// keys are refused, so a misspelt key is never silently ignored.
#include <array>
#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace hobwise {

// A decimal number with at most four digits after the point, held exactly as a whole
// number of ten-thousandths: lengths in mm, the module, the diametral pitch. Exact, so
// that a mounting decision on a limit never turns on rounding.
class Decimal4 {
 public:
  static constexpr std::int64_t kScale = 10000;
  static constexpr std::int64_t kMaxUnits = 1'000'000'000'000;  // |value| below 1e8

  constexpr Decimal4() = default;
  static constexpr Decimal4 fromUnits(std::int64_t units) { return Decimal4(units); }
  static constexpr Decimal4 whole(std::int64_t n) { return Decimal4(n * kScale); }

  // The decimal a double stands for, when it has at most four decimals (the double
  // nearest to k / 10000 for a whole k) and lies within the magnitude above.
  static std::optional<Decimal4> fromDouble(double x);
  // Digits with at most one ".", at most four of them after it, as a field holds them.
  static std::optional<Decimal4> fromText(std::string_view text);

  constexpr std::int64_t units() const { return units_; }
  double value() const { return static_cast<double>(units_) / kScale; }
  // The shortest text: "180", "2.5", "0.0625", "-3".
  std::string text() const;

  constexpr auto operator<=>(const Decimal4&) const = default;

 private:
  constexpr explicit Decimal4(std::int64_t units) : units_(units) {}
  std::int64_t units_ = 0;
};

enum class PitchUnit { kModule, kDiametralPitch };

// The change gears and the quadrant of one train. The driving shaft carries p, the
// compound stud q (rear plane) and r (front plane), the driven shaft s.
struct Quadrant {
  PitchUnit pitchUnit = PitchUnit::kModule;
  Decimal4 pitch;                // the module in mm, or the diametral pitch (1/inch)
  Decimal4 centreDistance;       // D, driving shaft to driven shaft, mm
  std::optional<std::array<Decimal4, 2>> studRange;  // least and greatest L1, mm
  Decimal4 drivingShaftDiameter;  // with its collar or nut, mm
  Decimal4 drivenShaftDiameter;
  Decimal4 gap = Decimal4::whole(1);  // least gap between a gear's tip and a shaft, mm
  Decimal4 maxDrivingOutsideDiameter;  // the guard's room on each shaft, mm
  Decimal4 maxStudOutsideDiameter;
  Decimal4 maxDrivenOutsideDiameter;
  std::optional<int> idler;      // tooth count of the reversing idler, if the quadrant carries one

  // The module in mm (25.4 / DP for a diametral pitch), for drawing; the check itself
  // works exactly on `pitch`.
  double moduleMm() const;

  bool operator==(const Quadrant&) const = default;
};

struct MachineProfile {
  std::string name;            // may be empty
  std::string indexConstant;   // as the field holds it; empty: the profile sets none
  std::string feedConstant;    // likewise
  std::string stock;           // 154 digits 0 to 7 as the settings store them, or empty
  Quadrant index;
  Quadrant feed;

  bool operator==(const MachineProfile&) const = default;
};

// What a profile holds and how the check uses it, for the window's profile dialog and
// the README.
extern const std::string_view kMachineProfileHelp;

// Files larger than this are refused unread (a profile is well under 2 KiB).
inline constexpr std::size_t kMachineProfileMaxBytes = 64 * 1024;
inline constexpr std::size_t kMachineNameLimit = 100;

// The first thing wrong with a profile, named by its key path as in the file
// ("index.centreDistance: expects a length in mm above 0 and at most 5000, got -3");
// the empty text when nothing is. Checks what a profile built by hand (the window's
// dialog) could get wrong: sizes out of their bounds, a stud range the wrong way
// round, constants a field would not accept, a stock that is not 154 digits 0 to 7.
std::string machineProfileProblem(const MachineProfile& profile);

// A profile, or the message that says why the text is refused.
using MachineProfileResult = std::variant<MachineProfile, std::string>;

MachineProfileResult parseMachineProfile(std::string_view text);

// The file's text: the keys in the order above, two-space indents, ended by "\n".
// Reading it back gives the same profile.
std::string machineProfileText(const MachineProfile& profile);

// Reads and parses a file; messages name the file: "FILE: index.gap: ..." or
// "cannot read FILE: reason".
MachineProfileResult readMachineProfileFile(const std::string& path);

// Writes through a temporary file beside the target, so that a failed write leaves an
// existing file as it was. The empty text on success, otherwise the message.
std::string writeMachineProfileFile(const std::string& path, const MachineProfile& profile);

}  // namespace hobwise
