// Reading a machine profile file: JSON through an event reader of our own, so that a
// repeated key, a deep nesting or a syntax error is refused at the place it occurs and
// named by its key path; then every key checked against the keys
// a profile has, and every value against its kind and bounds.
#include <cmath>
#include <functional>
#include <initializer_list>
#include <nlohmann/json.hpp>
#include <vector>

#include "model/internal/profile_rules.h"
#include "model/machine_profile.h"

namespace hobwise {

namespace profile {

std::string jsonString(const std::string& text) {
  return nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace profile

namespace {

using Json = nlohmann::ordered_json;
using profile::Kind;

// A profile nests three deep (the file, a quadrant, its diameters) and has at most
// eight keys in an object; anything far beyond is no profile, and the bounds keep a
// hostile file from costing much.
constexpr std::size_t kMaxDepth = 8;
constexpr std::size_t kMaxKeys = 32;

std::string joined(const std::string& path, const std::string& key) { return path.empty() ? key : path + "." + key; }

// Builds the document as nlohmann's own reader would, but stops at the first repeated
// key or nesting beyond kMaxDepth, remembering the path it was at.
class TreeReader : public Json::json_sax_t {
 public:
  Json root;
  std::string problem;

  bool null() override { return put(Json(nullptr)); }
  bool boolean(bool v) override { return put(Json(v)); }
  bool number_integer(number_integer_t v) override { return put(Json(v)); }
  bool number_unsigned(number_unsigned_t v) override { return put(Json(v)); }
  bool number_float(number_float_t v, const string_t&) override { return put(Json(v)); }
  bool string(string_t& v) override { return put(Json(std::move(v))); }
  bool binary(binary_t&) override { return fail("not JSON"); }
  bool start_object(std::size_t) override { return open(Json::object()); }
  bool start_array(std::size_t) override { return open(Json::array()); }
  bool end_object() override { return close(); }
  bool end_array() override { return close(); }
  bool key(string_t& k) override {
    Level& level = levels_.back();
    if (level.value->contains(k)) return fail(joined(level.path, profile::shown(k)) + ": given twice");
    if (level.value->size() >= kMaxKeys) return fail(joined(level.path, profile::shown(k)) + ": more keys than a machine profile has");
    level.key = std::move(k);
    return true;
  }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& ex) override {
    // "[json.exception.parse_error.101] parse error at line 1, column 5: ..."
    // Named by where the reader was: a number too large for a double ("1e999") is
    // refused here, at its key.
    std::string what = ex.what();
    const std::size_t start = what.find("] ");
    what = "not valid JSON: " + (start == std::string::npos ? what : what.substr(start + 2));
    return fail(levels_.empty() ? what : here() + ": " + what);
  }

 private:
  struct Level {
    Json* value;
    std::string path;  // of this object or array
    std::string key;   // the key whose value comes next (objects)
  };
  std::vector<Level> levels_;

  bool fail(std::string message) {
    if (problem.empty()) problem = std::move(message);
    return false;
  }
  std::string here() const {
    if (levels_.empty()) return "the file";
    const Level& level = levels_.back();
    if (level.value->is_array()) return level.path + "[" + std::to_string(level.value->size()) + "]";
    return joined(level.path, profile::shown(level.key));
  }
  bool put(Json value) {
    insert(std::move(value));
    return true;
  }
  Json* insert(Json value) {
    if (levels_.empty()) {
      root = std::move(value);
      return &root;
    }
    Level& level = levels_.back();
    if (level.value->is_array()) {
      level.value->push_back(std::move(value));
      return &level.value->back();
    }
    return &((*level.value)[level.key] = std::move(value));
  }
  bool open(Json container) {
    if (levels_.size() >= kMaxDepth) return fail(here() + ": nested deeper than a machine profile is");
    const std::string path = levels_.empty() ? std::string() : here();
    levels_.push_back({insert(std::move(container)), path, {}});
    return true;
  }
  bool close() {
    levels_.pop_back();
    return true;
  }
};

// Reading values out of the document; each returns the message of the first thing
// wrong, or the empty text.
class Extract {
 public:
  static std::string unknownKeys(const Json& object, const std::string& path,
                                 std::initializer_list<std::string_view> known) {
    for (const auto& [key, value] : object.items()) {
      bool found = false;
      for (std::string_view k : known) found = found || key == k;
      if (!found) return joined(path, profile::shown(key)) + ": unknown key";
    }
    return {};
  }

  static std::string object(const Json& parent, const std::string& path, const char* key, const Json*& out) {
    out = find(parent, key);
    if (!out) return joined(path, key) + ": missing";
    if (!out->is_object()) return profile::expects(joined(path, key), "an object", got(*out));
    return {};
  }

  static std::string text(const Json& parent, const char* key, std::string& out) {
    const Json* v = find(parent, key);
    if (!v) return {};
    if (!v->is_string()) return profile::expects(key, "a text", got(*v));
    out = v->get<std::string>();
    return {};
  }

  static std::string number(const Json* v, const std::string& path, Kind kind, Decimal4& out) {
    if (!v) return path + ": missing";
    const std::string_view words = profile::ruleFor(kind).words;
    if (!v->is_number()) return profile::expects(path, words, got(*v));
    if (v->is_number_integer()) {
      if (!inRange(*v, -99'999'999, 99'999'999)) return profile::expects(path, words, got(*v));
      out = Decimal4::whole(v->get<std::int64_t>());
      return {};
    }
    const double x = v->get<double>();
    if (std::fabs(x) >= 1e8) return profile::expects(path, words, got(*v));
    const auto exact = Decimal4::fromDouble(x);
    if (!exact) return profile::expects(path, "at most 4 decimals", got(*v));
    out = *exact;
    return {};
  }

  // A whole number within [least, greatest].
  static bool inRange(const Json& v, std::int64_t least, std::int64_t greatest) {
    if (v.is_number_unsigned()) return v.get<std::uint64_t>() <= static_cast<std::uint64_t>(greatest) &&
                                       static_cast<std::int64_t>(v.get<std::uint64_t>()) >= least;
    return v.is_number_integer() && v.get<std::int64_t>() >= least && v.get<std::int64_t>() <= greatest;
  }

  static const Json* find(const Json& object, const char* key) {
    const auto it = object.find(key);
    return it == object.end() ? nullptr : &*it;
  }

  static std::string got(const Json& v) {
    return profile::shown(v.dump(-1, ' ', false, Json::error_handler_t::replace));
  }
};

std::string readStudRange(const Json* v, const std::string& path, Quadrant& q) {
  if (!v) return {};
  if (!v->is_array() || v->size() != 2)
    return profile::expects(path, "[least, greatest] in mm", Extract::got(*v));
  std::array<Decimal4, 2> range;
  for (std::size_t i = 0; i < 2; ++i)
    if (std::string p = Extract::number(&(*v)[i], path + "[" + std::to_string(i) + "]", Kind::kSlotEnd, range[i]);
        !p.empty())
      return p;
  q.studRange = range;
  return {};
}

std::string readIdler(const Json* v, const std::string& path, Quadrant& q) {
  if (!v) return {};
  if (!Extract::inRange(*v, profile::kLeastIdler, profile::kGreatestIdler))
    return profile::expects(path, profile::kIdlerWords, Extract::got(*v));
  q.idler = static_cast<int>(v->get<std::int64_t>());
  return {};
}

std::string readPitch(const Json& object, const std::string& path, Quadrant& q) {
  const Json* module = Extract::find(object, "module");
  const Json* dp = Extract::find(object, "diametralPitch");
  if (module && dp) return path + ": gives both module and diametralPitch; expects one of them";
  if (!module && !dp) return path + ".module: missing (or give diametralPitch)";
  q.pitchUnit = module ? PitchUnit::kModule : PitchUnit::kDiametralPitch;
  return module ? Extract::number(module, path + ".module", Kind::kModule, q.pitch)
                : Extract::number(dp, path + ".diametralPitch", Kind::kDiametralPitch, q.pitch);
}

std::string readQuadrant(const Json& root, const char* train, Quadrant& q) {
  const std::string path = train;
  const Json* object = nullptr;
  if (std::string p = Extract::object(root, {}, train, object); !p.empty()) return p;
  if (std::string p = Extract::unknownKeys(*object, path,
                                           {"module", "diametralPitch", "centreDistance", "studRange", "shaftDiameters",
                                            "gap", "maxOutsideDiameter", "idler"});
      !p.empty())
    return p;
  if (std::string p = readPitch(*object, path, q); !p.empty()) return p;
  if (std::string p = Extract::number(Extract::find(*object, "centreDistance"), path + ".centreDistance",
                                      Kind::kLength, q.centreDistance);
      !p.empty())
    return p;
  if (std::string p = readStudRange(Extract::find(*object, "studRange"), path + ".studRange", q); !p.empty()) return p;

  const Json* shafts = nullptr;
  const Json* guard = nullptr;
  const std::string shaftsPath = path + ".shaftDiameters";
  const std::string guardPath = path + ".maxOutsideDiameter";
  const Json* gap = Extract::find(*object, "gap");
  const std::function<std::string()> steps[] = {
      [&] { return Extract::object(*object, path, "shaftDiameters", shafts); },
      [&] { return Extract::unknownKeys(*shafts, shaftsPath, {"driving", "driven"}); },
      [&] { return Extract::number(Extract::find(*shafts, "driving"), shaftsPath + ".driving", Kind::kLength,
                                   q.drivingShaftDiameter); },
      [&] { return Extract::number(Extract::find(*shafts, "driven"), shaftsPath + ".driven", Kind::kLength,
                                   q.drivenShaftDiameter); },
      [&] { return gap ? Extract::number(gap, path + ".gap", Kind::kGap, q.gap) : std::string(); },
      [&] { return Extract::object(*object, path, "maxOutsideDiameter", guard); },
      [&] { return Extract::unknownKeys(*guard, guardPath, {"driving", "stud", "driven"}); },
      [&] { return Extract::number(Extract::find(*guard, "driving"), guardPath + ".driving", Kind::kLength,
                                   q.maxDrivingOutsideDiameter); },
      [&] { return Extract::number(Extract::find(*guard, "stud"), guardPath + ".stud", Kind::kLength,
                                   q.maxStudOutsideDiameter); },
      [&] { return Extract::number(Extract::find(*guard, "driven"), guardPath + ".driven", Kind::kLength,
                                   q.maxDrivenOutsideDiameter); },
      [&] { return readIdler(Extract::find(*object, "idler"), path + ".idler", q); },
  };
  for (const auto& step : steps)
    if (std::string p = step(); !p.empty()) return p;
  return {};
}

}  // namespace

MachineProfileResult parseMachineProfile(std::string_view text) {
  if (text.size() > kMachineProfileMaxBytes)
    return "larger than " + std::to_string(kMachineProfileMaxBytes / 1024) + " KiB, so no machine profile";
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) text.remove_prefix(kByteOrderMark.size());

  TreeReader reader;
  if (!Json::sax_parse(text.begin(), text.end(), &reader))
    return reader.problem.empty() ? std::string("not valid JSON") : reader.problem;
  const Json& root = reader.root;
  if (!root.is_object()) return profile::expects("the file", "a JSON object (a machine profile)", Extract::got(root));
  MachineProfile m;
  const std::function<std::string()> steps[] = {
      [&] { return Extract::unknownKeys(root, {}, {"name", "indexConstant", "feedConstant", "stock", "index", "feed"}); },
      [&] { return Extract::text(root, "name", m.name); },
      [&] { return Extract::text(root, "indexConstant", m.indexConstant); },
      [&] { return Extract::text(root, "feedConstant", m.feedConstant); },
      [&] { return Extract::text(root, "stock", m.stock); },
      [&] { return readQuadrant(root, "index", m.index); },
      [&] { return readQuadrant(root, "feed", m.feed); },
      [&] { return machineProfileProblem(m); },
  };
  for (const auto& step : steps)
    if (std::string p = step(); !p.empty()) return p;
  return m;
}

}  // namespace hobwise
