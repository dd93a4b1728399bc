#include "hobwise/machines.h"

#include <cstdio>

#include "hobwise/json.h"

namespace hobwise {

MountQuadrants mountQuadrantsOf(const MachineProfile& profile) { return {profile.index, profile.feed}; }

TrainsMount mountOf(const MachineProfile& profile, int setupIndex, const FoundResult& r) {
  const MountCheck index(profile.index, TrainKind::kIndex, intermediateStuds(setupIndex, TrainKind::kIndex));
  const MountCheck feed(profile.feed, TrainKind::kFeed, intermediateStuds(setupIndex, TrainKind::kFeed));
  return {index.check(shownTrain(r.i2, r.i3, r.i0, r.i1)), feed.check(shownTrain(r.f2, r.f3, r.f0, r.f1))};
}

namespace {

std::string fixed(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

std::string withoutTrailingZeros(std::string text) {
  if (text.find('.') == std::string::npos) return text;
  while (text.back() == '0') text.pop_back();
  if (text.back() == '.') text.pop_back();
  return text == "-0" ? "0" : text;
}

// The note without the train's name in front ("index: ").
std::string why(const MountResult& mount) {
  const std::size_t colon = mount.note.find(": ");
  return colon == std::string::npos ? mount.note : mount.note.substr(colon + 2);
}

// "driving shaft 51, stud 53 and 52, driven shaft 50; L1 130 mm, L2 127.5 mm; stud at
// 91.79, 92.06 mm".
std::string howItMounts(const MountResult& m, const Quadrant& quadrant) {
  const Arrangement& g = m.arrangement;
  std::string text = "driving shaft " + std::to_string(g.p) + ", stud " + std::to_string(g.q) + " and " +
                     std::to_string(g.r);
  if (m.idler && quadrant.idler) text += ", idler " + std::to_string(*quadrant.idler);
  text += ", driven shaft " + std::to_string(g.s) + "; L1 " + mountLengthText(m.l1, quadrant) + " mm, L2 " +
          mountLengthText(m.l2, quadrant) + " mm";
  if (m.stud) text += "; stud at " + fixed(m.stud->x, 2) + ", " + fixed(m.stud->y, 2) + " mm";
  return text;
}

std::string trainJson(const MountResult& m, const Quadrant& quadrant) {
  const Arrangement& g = m.arrangement;
  return std::string("{\"mounts\": ") + (m.mounts ? "true" : "false") + ", \"arrangement\": [" +
         std::to_string(g.p) + ", " + std::to_string(g.q) + ", " + std::to_string(g.r) + ", " + std::to_string(g.s) +
         "], \"centres\": [" + mountLengthText(m.l1, quadrant) + ", " + mountLengthText(m.l2, quadrant) +
         "], \"note\": " + jsonString(m.note) + "}";
}

}  // namespace

std::string mountLengthText(double mm, const Quadrant& quadrant) {
  return withoutTrailingZeros(fixed(mm, quadrant.pitchUnit == PitchUnit::kModule ? 5 : 3));
}

std::string mountCell(const TrainsMount& mount) {
  if (mount.both()) return "Yes";
  if (mount.index.mounts) return "No: feed";
  if (mount.feed.mounts) return "No: index";
  return "No: both";
}

std::string trainMountLine(const MountResult& mount, const Quadrant& quadrant, TrainKind train) {
  const std::string name = train == TrainKind::kIndex ? "Index" : "Feed";
  if (!mount.mounts) return name + " does not mount: " + why(mount);
  return name + " mounts: " + howItMounts(mount, quadrant);
}

std::vector<std::string> mountLines(const TrainsMount& mount, const MachineProfile& profile) {
  return {trainMountLine(mount.index, profile.index, TrainKind::kIndex),
          trainMountLine(mount.feed, profile.feed, TrainKind::kFeed)};
}

std::string sheetMountText(const MountResult& mount, const Quadrant& quadrant) {
  if (!mount.mounts) return "Does not mount: " + why(mount);
  return "Mounts: " + howItMounts(mount, quadrant);
}

void addMountToSheet(SheetInputs& sheet, const TrainsMount& mount, const MachineProfile& profile) {
  sheet.mounts = {sheetMountText(mount.index, profile.index), sheetMountText(mount.feed, profile.feed)};
}

std::string mountJson(const TrainsMount& mount, const MachineProfile& profile) {
  return "{\"index\": " + trainJson(mount.index, profile.index) + ", \"feed\": " + trainJson(mount.feed, profile.feed) +
         "}";
}

std::string machineLine(const MachineProfile& profile) {
  return "Machine: " + (profile.name.empty() ? std::string("(no name)") : profile.name);
}

}  // namespace hobwise
