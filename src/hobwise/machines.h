#pragma once
// Hobwise's public face: machine profiles, and whether a result's trains go on the
// machine.
//
//   MachineProfile, Quadrant, Decimal4 (model/machine_profile.h)  one machine of the
//       shop: its constants, optionally its stock, and the quadrant of each train.
//       parseMachineProfile, machineProfileText, readMachineProfileFile,
//       writeMachineProfileFile (the JSON file the window exports and imports),
//       machineProfileProblem (the check of a profile built by hand, its message
//       naming the field), kMachineProfileHelp (what a profile holds, in words).
//   MountResult (model/mounting.h)  one train checked: mounts, the arrangement shown
//       (p on the driving shaft, q and r on the stud, s on the driven shaft), l1 and
//       l2 in mm, the stud's (and the idler's) place, the tightest clearance and, when
//       it does not mount, the note saying why.
//   "Mountable Trains Only": SolveOptions::mountableOnly = mountQuadrantsOf(profile).
//
// Pure functions: safe on any thread, never throw (but for memory).
#include <string>
#include <vector>

#include "model/machine_profile.h"
#include "model/mounting.h"
#include "report/sheet.h"
#include "solver/solver.h"

namespace hobwise {

// The option "Mountable Trains Only" on this machine.
MountQuadrants mountQuadrantsOf(const MachineProfile& profile);

// Both trains of a result checked on a machine.
struct TrainsMount {
  MountResult index;
  MountResult feed;
  bool both() const { return index.mounts && feed.mounts; }
};

// The trains of a result (or of a checked train: TrainCheck::result) as the Main page
// shows them, checked for the set-up item (its intermediate studs).
TrainsMount mountOf(const MachineProfile& profile, int setupIndex, const FoundResult& result);

// A length of the quadrant as the mount's texts and JSON write it, in mm: the shortest
// exact decimal for a module quadrant (its lengths have at most five decimals), to
// 0.001 mm for a diametral pitch (whose lengths seldom end).
std::string mountLengthText(double mm, const Quadrant& quadrant);

// The Results Table's column: "Yes", or "No: index", "No: feed", "No: both".
inline constexpr const char* kMountColumnHeader = "Mounts";
std::string mountCell(const TrainsMount& mount);

// One line per train, for the Main page, the listing, the train check and the advisor:
// "Index mounts: driving shaft 51, stud 53 and 52, driven shaft 50; L1 130 mm, L2 127.5 mm;
// stud at 91.79, 92.06 mm" (with ", idler 40" after the stud's gears where the idler is
// in the train), or "Index does not mount: 65 on the stud hits the driven shaft by 3.2 mm".
std::string trainMountLine(const MountResult& mount, const Quadrant& quadrant, TrainKind train);
std::vector<std::string> mountLines(const TrainsMount& mount, const MachineProfile& profile);

// How a train goes on the machine, for the set-up sheet (beside the train's fraction):
// "Mounts: driving shaft 51, ..." as above, or "Does not mount: ...".
std::string sheetMountText(const MountResult& mount, const Quadrant& quadrant);
// Puts both trains' texts on a sheet (SheetInputs::mounts).
void addMountToSheet(SheetInputs& sheet, const TrainsMount& mount, const MachineProfile& profile);

// {"index": TRAIN, "feed": TRAIN}, TRAIN {"mounts": true|false, "arrangement": [p, q, r,
// s], "centres": [L1, L2], "note": TEXT}: the arrangement shown (as listed when none
// fits), its centre distances in mm as numbers (mountLengthText), the note (empty when
// it mounts).
std::string mountJson(const TrainsMount& mount, const MachineProfile& profile);

// The line the window shows for the chosen machine: "Machine: NAME" ("Machine: (no
// name)" for a profile without one).
std::string machineLine(const MachineProfile& profile);

}  // namespace hobwise
