// Machine profiles: a profile file read (or refused, the message naming the field), the
// texts the page shows of it, and the drawing of how a result's trains go on its
// quadrants.
//
//   readMachineProfile(bytes) -> {profile: {name, indexConstant, feedConstant, stock,
//       text (the file's text as the window writes it), line ("Machine: NAME")}} or
//       {error}
//   machineProfileHelp() -> what a profile holds, in words
//   mountColumnHeader() -> the results table's column
//   machineProfileMaxBytes() -> the largest profile file read
// A drawing (MOUNT's quadrants, one per train), in mm, the driving shaft at (0, 0), the
// driven shaft at (D, 0), y upwards: {mounts, distance: D, shafts: [circles], gears:
// [circles with teeth and plane: 'rear' | 'front'], stud: {x, y} | null, slot: [least,
// greatest] | null}, a circle {x, y, r}; gears by their outside diameter.
#include <emscripten/bind.h>

#include <variant>

#include "values.h"

namespace hobwise::web {

namespace {

val circle(double x, double y, double r) {
  val out = val::object();
  out.set("x", x);
  out.set("y", y);
  out.set("r", r);
  return out;
}

val gearCircle(const Quadrant& quadrant, double x, double y, int teeth, const char* plane) {
  val out = circle(x, y, quadrant.moduleMm() * (teeth + 2) / 2);
  out.set("teeth", teeth);
  out.set("plane", std::string(plane));
  return out;
}

val trainDrawing(const Quadrant& quadrant, const MountResult& mount) {
  const double distance = quadrant.centreDistance.value();
  const Arrangement& g = mount.arrangement;
  val shafts = val::array();
  shafts.call<void>("push", circle(0, 0, quadrant.drivingShaftDiameter.value() / 2));
  shafts.call<void>("push", circle(distance, 0, quadrant.drivenShaftDiameter.value() / 2));
  val gears = val::array();
  gears.call<void>("push", gearCircle(quadrant, 0, 0, g.p, "rear"));
  if (mount.stud) {
    gears.call<void>("push", gearCircle(quadrant, mount.stud->x, mount.stud->y, g.q, "rear"));
    gears.call<void>("push", gearCircle(quadrant, mount.stud->x, mount.stud->y, g.r, "front"));
  }
  if (mount.idler && quadrant.idler)
    gears.call<void>("push", gearCircle(quadrant, mount.idler->x, mount.idler->y, *quadrant.idler, "front"));
  gears.call<void>("push", gearCircle(quadrant, distance, 0, g.s, "front"));
  val out = val::object();
  out.set("mounts", mount.mounts);
  out.set("distance", distance);
  out.set("shafts", shafts);
  out.set("gears", gears);
  val stud = val::null();
  if (mount.stud) {
    stud = val::object();
    stud.set("x", mount.stud->x);
    stud.set("y", mount.stud->y);
  }
  out.set("stud", stud);
  out.set("slot", quadrant.studRange
                      ? arrayOf(std::vector<double>{(*quadrant.studRange)[0].value(), (*quadrant.studRange)[1].value()})
                      : val::null());
  return out;
}

val readProfile(const std::string& bytes) {
  MachineProfileResult read = parseMachineProfile(bytes);
  val out = val::object();
  if (const auto* message = std::get_if<std::string>(&read)) {
    out.set("error", *message);
    return out;
  }
  const MachineProfile& m = std::get<MachineProfile>(read);
  val profile = val::object();
  profile.set("name", m.name);
  profile.set("indexConstant", m.indexConstant);
  profile.set("feedConstant", m.feedConstant);
  profile.set("stock", m.stock);
  profile.set("text", machineProfileText(m));
  profile.set("line", machineLine(m));
  out.set("profile", profile);
  return out;
}

std::string profileHelp() { return std::string(kMachineProfileHelp); }
std::string mountHeader() { return kMountColumnHeader; }
double profileMaxBytes() { return static_cast<double>(kMachineProfileMaxBytes); }

}  // namespace

val quadrantsObject(const MachineProfile& machine, const TrainsMount& mount) {
  val out = val::array();
  out.call<void>("push", trainDrawing(machine.index, mount.index));
  out.call<void>("push", trainDrawing(machine.feed, mount.feed));
  return out;
}

}  // namespace hobwise::web

EMSCRIPTEN_BINDINGS(hobwise_machines) {
  using namespace hobwise::web;
  using emscripten::function;
  function("readMachineProfile", &readProfile);
  function("machineProfileHelp", &profileHelp);
  function("mountColumnHeader", &mountHeader);
  function("machineProfileMaxBytes", &profileMaxBytes);
}
