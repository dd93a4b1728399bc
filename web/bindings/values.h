#pragma once
// The engine's JavaScript face: every call the page makes into the C++ engine, on the
// engine's public face (hobwise/*.h) only, with plain JavaScript objects in and out (no
// C++ class reaches JavaScript), so that the page does not depend on how the engine is
// laid out. This header holds what the binding files share: the objects in and out.
//
// Objects used by several calls:
//   job      {indexConstant, feedConstant, helixAngle, normalPitch, feedRate,
//             hobThreads, teeth, setupIndex}: the fields' texts as typed, the set-up
//             item as a number (-1: none)
//   options  {wholeOnly, finiteOnly, bypassDuplicates, exact, mountable}: booleans;
//             machine: the chosen machine's profile text (as the profile file holds
//             it), or absent. "Mountable Trains Only" needs both mountable and machine.
//   stock    the gear stock text: 154 digits 0 to 7, tooth counts 16 to 169
//   texts    {gears: [8 texts: index upper left, upper right, lower left, lower right,
//             then the feed train the same], status, indexError, feedError, feedLine,
//             leadLine, row: [the results table's columns], indexGears, feedGears
//             (the trains as the table writes them), mount: MOUNT (with a machine)}
//   MOUNT    {both, cell (the Mounts column), lines: [index, feed] (the result
//             display's), sheet: [index, feed] (the set-up sheet's), json (the "mount"
//             of --json), quadrants: [index, feed] drawings (machines.cpp)}
//   report   {results: [texts], failed, cConstantCount, stages: {indexTrains, inStock,
//             cConstants, feedTrains, feedTest, kept}, stoppedIn: '' | 'indexTrains' |
//             'cConstants' | 'feedTrains', whyNothing}
//
// The calls, by file: fields.cpp (the job's fields), tools.cpp (results, the sheet,
// stock files, the train check), machines.cpp (machine profiles), run.cpp (a run and
// the advisor in parts, over the page's workers).
#include <emscripten/val.h>

#include <optional>
#include <string>
#include <vector>

#include "hobwise/job.h"
#include "hobwise/machines.h"
#include "hobwise/results.h"
#include "hobwise/run.h"
#include "hobwise/stock.h"

namespace hobwise::web {

using emscripten::val;

// ------------------------------------------------------------ JavaScript to C++

std::string textOf(const val& object, const char* key);
bool flagOf(const val& object, const char* key);
JobInputs jobOf(const val& job);
GearStock stockOf(const std::string& text);
ResultTexts textsOf(const val& texts);
std::vector<std::string> stringsOf(const val& array);

// The machine of the options: its profile read from options.machine; nothing without
// one (or for a text that is no profile: the page passes only profiles it has read).
std::optional<MachineProfile> machineOf(const val& options);

// The options of a run in one instance (one thread); `processors`: the workers the
// plan's pieces are cut for.
SolveOptions optionsOf(const val& options, unsigned processors = 1);

// ------------------------------------------------------------ C++ to JavaScript

template <typename Range>
val arrayOf(const Range& items) {
  val out = val::array();
  for (const auto& item : items) out.call<void>("push", val(item));
  return out;
}

// The texts of result `number` (1-based), with MOUNT when there is a machine.
val textsObject(int number, const ResultTexts& texts);
val textsObject(int number, const ResultTexts& texts, const std::optional<MachineProfile>& machine,
                const JobInputs& job, const FoundResult& result);

// MOUNT of a result (or checked train) on the machine, for the job's set-up.
val mountObject(const MachineProfile& machine, int setupIndex, const FoundResult& result);
// The drawings of MOUNT (machines.cpp).
val quadrantsObject(const MachineProfile& machine, const TrainsMount& mount);

const char* stageName(SolveStage stage);

val reportObject(const JobInputs& in, const SolveReport& report, const GearStock& stock, const SolveOptions& o,
                 const std::optional<MachineProfile>& machine);

}  // namespace hobwise::web
