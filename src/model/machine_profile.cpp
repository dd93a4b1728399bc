#include "model/machine_profile.h"

#include <cmath>

#include "model/gear_stock.h"
#include "model/internal/profile_rules.h"
#include "model/job.h"

namespace hobwise {

const std::string_view kMachineProfileHelp =
    "A machine profile describes one hobbing machine: its index and feed constants, "
    "optionally its own gear stock, and for the index train and the feed train the "
    "quadrant the change gears go on. Choosing a profile fills the constants and, where "
    "the profile has one, the stock.\n"
    "\n"
    "On a quadrant the driving shaft carries gear p, which meshes q on the compound stud "
    "in the rear plane; r, on the stud with q, meshes s on the driven shaft in the front "
    "plane. A train (a x b)/(c x d) as the Main page shows it is tried as listed "
    "(p, q, r, s = a, c, b, d), with the drivers exchanged, with the driven gears "
    "exchanged and with both; the first way that fits is the one shown.\n"
    "\n"
    "Sizes, in mm:\n"
    "- module, or diametral pitch DP (module = 25.4 / DP): a gear of z teeth has the "
    "outside diameter module x (z + 2);\n"
    "- centre distance D between the driving and the driven shaft;\n"
    "- stud range (may be left out): the least and the greatest distance of the stud from "
    "the driving shaft that the slot allows;\n"
    "- shaft diameters of the driving and the driven shaft, each with the collar or nut on "
    "its end, which a gear on another shaft must clear by the gap (1 mm unless given);\n"
    "- the largest outside diameter the guard leaves room for on the driving shaft, the "
    "stud and the driven shaft.\n"
    "\n"
    "A way fits when the stud can be set (L1 = module x (p + q) / 2 from the driving shaft "
    "and L2 = module x (r + s) / 2 from the driven shaft, with |L1 - L2| <= D <= L1 + L2, "
    "L1 within the stud range), r clears the driving shaft, q the driven shaft, p the "
    "driven shaft and s the driving shaft, and every gear fits its guard.\n"
    "\n"
    "Idler (may be left out): a set-up with two intermediate studs in a train reverses "
    "that train with an idler. Give its tooth count when the quadrant carries it: it then "
    "sits on a second stud in the front plane, driven by r and driving s, and changes "
    "nothing of the ratio. The compound stud is then set as far from the driven shaft as "
    "the idler allows (the idler straight between r and s; where the stud cannot go that "
    "far, swung round opposite the driven shaft with the idler bent), and the train "
    "fits when, besides the above, r and s clear each other, the idler clears the driving "
    "shaft and it fits the stud's guard. Without an idler the machine is taken to reverse "
    "the train elsewhere, and the train is checked as with one stud.";

// ---------------------------------------------------------------------------------
// Decimal4

std::optional<Decimal4> Decimal4::fromDouble(double x) {
  if (!std::isfinite(x) || std::fabs(x) * kScale >= static_cast<double>(kMaxUnits)) return std::nullopt;
  const auto units = std::llround(x * kScale);
  // The quotient is rounded once, to the double nearest k / 10000: the same double the
  // decimal text of k / 10000 reads as.
  if (static_cast<double>(units) / kScale != x) return std::nullopt;
  return Decimal4(units);
}

std::optional<Decimal4> Decimal4::fromText(std::string_view text) {
  std::int64_t units = 0;
  int decimals = -1;  // -1: no point yet
  bool digit = false;
  for (char c : text) {
    if (c == '.' && decimals < 0) {
      decimals = 0;
    } else if (c >= '0' && c <= '9') {
      if (decimals >= 4) return std::nullopt;
      if (decimals >= 0) ++decimals;
      units = units * 10 + (c - '0');
      if (units >= kMaxUnits) return std::nullopt;
      digit = true;
    } else {
      return std::nullopt;
    }
  }
  if (!digit) return std::nullopt;
  for (int i = decimals < 0 ? 0 : decimals; i < 4; ++i) units *= 10;
  if (units >= kMaxUnits) return std::nullopt;
  return Decimal4(units);
}

std::string Decimal4::text() const {
  const std::int64_t magnitude = units_ < 0 ? -units_ : units_;
  std::string text = (units_ < 0 ? "-" : "") + std::to_string(magnitude / kScale);
  std::int64_t fraction = magnitude % kScale;
  if (fraction != 0) {
    std::string digits = std::to_string(fraction);
    digits.insert(0, 4 - digits.size(), '0');
    while (digits.back() == '0') digits.pop_back();
    text += "." + digits;
  }
  return text;
}

double Quadrant::moduleMm() const {
  return pitchUnit == PitchUnit::kModule ? pitch.value() : 25.4 / pitch.value();
}

// ---------------------------------------------------------------------------------
// Bounds

namespace profile {

const Rule& ruleFor(Kind kind) {
  static const Rule kRules[] = {
      {0, true, 5000 * Decimal4::kScale, "a length in mm above 0 and at most 5000"},
      {0, false, 5000 * Decimal4::kScale, "a length in mm from 0 to 5000"},
      {0, false, 100 * Decimal4::kScale, "a gap in mm from 0 to 100"},
      {1000, false, 50 * Decimal4::kScale, "a module in mm from 0.1 to 50"},
      {5080, false, 254 * Decimal4::kScale, "a diametral pitch from 0.508 to 254"},
  };
  return kRules[static_cast<int>(kind)];
}

std::string shown(std::string_view text) {
  constexpr std::size_t kShown = 40;
  std::size_t cut = text.size();
  if (cut > kShown) {
    cut = kShown;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  }
  std::string out;
  for (char c : text.substr(0, cut)) out.push_back(static_cast<unsigned char>(c) < 0x20 || c == 0x7f ? '?' : c);
  if (cut < text.size()) out += "...";
  return out;
}

}  // namespace profile

namespace {

using profile::Kind;

bool isFieldText(std::string_view text, std::size_t limit) {
  if (text.size() > limit) return false;
  int points = 0;
  for (char c : text) {
    if (c == '.') ++points;
    else if (c < '0' || c > '9') return false;
  }
  return points <= 1;
}

std::string nameProblem(std::string_view name) {
  std::size_t characters = 0;
  for (char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7f) return "name: holds a control character";
    if ((byte & 0xC0) != 0x80) ++characters;
  }
  if (characters > kMachineNameLimit)
    return "name: expects at most " + std::to_string(kMachineNameLimit) + " characters, got " +
           std::to_string(characters);
  return {};
}

std::string valueProblem(const std::string& path, Kind kind, Decimal4 value) {
  const profile::Rule& rule = profile::ruleFor(kind);
  return profile::allows(rule, value) ? std::string() : profile::expects(path, rule.words, value.text());
}

}  // namespace

namespace profile {

std::string quadrantProblem(const std::string& train, const Quadrant& q) {
  const bool dp = q.pitchUnit == PitchUnit::kDiametralPitch;
  const struct {
    const char* key;
    Kind kind;
    Decimal4 value;
  } values[] = {
      {dp ? "diametralPitch" : "module", dp ? Kind::kDiametralPitch : Kind::kModule, q.pitch},
      {"centreDistance", Kind::kLength, q.centreDistance},
      {"shaftDiameters.driving", Kind::kLength, q.drivingShaftDiameter},
      {"shaftDiameters.driven", Kind::kLength, q.drivenShaftDiameter},
      {"gap", Kind::kGap, q.gap},
      {"maxOutsideDiameter.driving", Kind::kLength, q.maxDrivingOutsideDiameter},
      {"maxOutsideDiameter.stud", Kind::kLength, q.maxStudOutsideDiameter},
      {"maxOutsideDiameter.driven", Kind::kLength, q.maxDrivenOutsideDiameter},
  };
  for (const auto& v : values)
    if (std::string p = valueProblem(train + "." + v.key, v.kind, v.value); !p.empty()) return p;
  if (q.studRange) {
    const auto& [least, greatest] = *q.studRange;
    for (int i = 0; i < 2; ++i) {
      const std::string path = train + ".studRange[" + std::to_string(i) + "]";
      if (std::string p = valueProblem(path, Kind::kSlotEnd, (*q.studRange)[i]); !p.empty()) return p;
    }
    if (least > greatest)
      return profile::expects(train + ".studRange", "the least distance first",
                              "[" + least.text() + ", " + greatest.text() + "]");
  }
  if (q.idler && (*q.idler < profile::kLeastIdler || *q.idler > profile::kGreatestIdler))
    return profile::expects(train + ".idler", profile::kIdlerWords, std::to_string(*q.idler));
  return {};
}

}  // namespace profile

std::string machineProfileProblem(const MachineProfile& m) {
  if (std::string p = nameProblem(m.name); !p.empty()) return p;
  const auto quote = [](const std::string& text) { return "\"" + profile::shown(text) + "\""; };
  if (!isFieldText(m.indexConstant, kIndexConstantLimit))
    return profile::expects("indexConstant", "digits with at most one \".\", at most 6 characters",
                            quote(m.indexConstant));
  if (!isFieldText(m.feedConstant, kFeedConstantLimit))
    return profile::expects("feedConstant", "digits with at most one \".\", at most 33 characters",
                            quote(m.feedConstant));
  if (!m.stock.empty() && !GearStock::isValidText(m.stock))
    return profile::expects("stock", "154 digits 0 to 7 (the gear stock as the settings store it)", quote(m.stock));
  if (std::string p = profile::quadrantProblem("index", m.index); !p.empty()) return p;
  return profile::quadrantProblem("feed", m.feed);
}

// ---------------------------------------------------------------------------------
// Writing

namespace {

std::string quadrantText(const Quadrant& q) {
  const auto pair = [](const char* k1, Decimal4 v1, const char* k2, Decimal4 v2) {
    return std::string("\"") + k1 + "\": " + v1.text() + ", \"" + k2 + "\": " + v2.text();
  };
  std::string text = "{\n";
  text += std::string("    \"") + (q.pitchUnit == PitchUnit::kModule ? "module" : "diametralPitch") +
          "\": " + q.pitch.text() + ",\n";
  text += "    \"centreDistance\": " + q.centreDistance.text() + ",\n";
  if (q.studRange)
    text += "    \"studRange\": [" + (*q.studRange)[0].text() + ", " + (*q.studRange)[1].text() + "],\n";
  text += "    \"shaftDiameters\": {" +
          pair("driving", q.drivingShaftDiameter, "driven", q.drivenShaftDiameter) + "},\n";
  text += "    \"gap\": " + q.gap.text() + ",\n";
  text += "    \"maxOutsideDiameter\": {" + pair("driving", q.maxDrivingOutsideDiameter, "stud", q.maxStudOutsideDiameter) +
          ", \"driven\": " + q.maxDrivenOutsideDiameter.text() + "}";
  if (q.idler) text += ",\n    \"idler\": " + std::to_string(*q.idler);
  return text + "\n  }";
}

}  // namespace

std::string machineProfileText(const MachineProfile& m) {
  std::string text = "{\n";
  const auto field = [&text](const char* key, const std::string& value) {
    if (!value.empty()) text += std::string("  \"") + key + "\": " + profile::jsonString(value) + ",\n";
  };
  field("name", m.name);
  field("indexConstant", m.indexConstant);
  field("feedConstant", m.feedConstant);
  field("stock", m.stock);
  text += "  \"index\": " + quadrantText(m.index) + ",\n";
  text += "  \"feed\": " + quadrantText(m.feed) + "\n}\n";
  return text;
}

}  // namespace hobwise
