#pragma once
// A mounted train checked against the job: the eight tooth counts that an operator
// holds (on the machine, on an old set-up sheet, one gear away from a result),
// evaluated exactly as a found result with these gears, with the stock and the plain
// reasons for which a run would not have found it. Nothing is refused but tooth
// counts that no gear has.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/gear_stock.h"
#include "model/job.h"
#include "results/results.h"
#include "solver/solver.h"

namespace hobwise {

// The eight places of a train as the Main page shows a result, in the order of
// kGearFieldIds: index upper left, upper right, lower left, lower right; feed the same.
inline constexpr std::array<const char*, 8> kGearPlaceNames = {
    "index upper left", "index upper right", "index lower left", "index lower right",
    "feed upper left",  "feed upper right",  "feed lower left",  "feed lower right"};

// Tooth counts by place, in the order of kGearPlaceNames.
using MountedTeeth = std::array<std::uint16_t, 8>;

// One place's text as a tooth count 16 to 169 (blanks around it are allowed). Gives
// nothing for any other text, and then a message that names the place in `error`.
std::optional<std::uint16_t> parseToothCount(std::string_view text, std::size_t place, std::string& error);

// "A,B,C,D:E,F,G,H": the index gears, then the feed gears, each in the order upper
// left, upper right, lower left, lower right. Nothing, with a message, otherwise.
std::optional<MountedTeeth> parseMountedTrain(std::string_view text, std::string& error);

// The result record of gears in their places: the upper gears drive, the lower gears
// are driven, and each field holds the gear of the place where a found result shows
// it (i3 upper left, i2 upper right, i0 lower left, i1 lower right; the feed train
// likewise). The gears of a found result come back in their own fields; a mounted
// train may hold the larger gear of a pair in the "smaller" field, which changes no
// figure, since the evaluation uses only the products of the pairs and whether
// each gear divides the terms of the fraction.
FoundResult resultOfPlaces(const MountedTeeth& teeth);

// A tooth count the stock does not hold often enough for the train.
struct StockShortfall {
  std::uint16_t toothCount = 0;
  int needed = 0;  // gears the train needs (one, when duplicates are not checked)
  int held = 0;    // gears the stock holds
};

struct TrainCheck {
  FoundResult result;           // the gears in their places, with the evaluation's c and |feed error|
  ResultEvaluation evaluation;
  ResultTexts texts;            // the result display's texts; the gears as placed
  bool inStock = false;         // as a run's stock check sees it, with its duplicates option
  std::vector<StockShortfall> shortfalls;
  std::vector<std::string> notes;  // plain words: what is missing, and why a run would not find the train
};

// Checks the gears against the job, the stock and the options as a run would read
// them, by the run's own rules (solver/run_rules.h); options.exact turns the
// shortcuts of the evaluation and the stock check off. Nothing when the job cannot be
// evaluated (a field that must be a number is none); a feed-rate text that is not a
// number only leaves the feed unjudged.
std::optional<TrainCheck> checkTrain(const JobInputs& job, const GearStock& stock, const SolveOptions& options,
                                     const MountedTeeth& teeth);

}  // namespace hobwise
