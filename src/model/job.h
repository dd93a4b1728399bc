#pragma once
// The job: the inputs of the Main page, the quantities derived from them and the
// formulas that tie a C constant to the index ratio, the feed ratio and the feed (the
// C constant of a given index ratio is the solver's: solver/c_constant.h).
#include <cstdint>
#include <optional>
#include <string>

#include "model/decfloat.h"

namespace hobwise {

// Field length limits of the Main page's inputs.
inline constexpr std::size_t kIndexConstantLimit = 6;   // 2001
inline constexpr std::size_t kFeedConstantLimit = 33;   // 2002
inline constexpr std::size_t kHelixAngleLimit = 33;     // 2004
inline constexpr std::size_t kNormalPitchLimit = 33;    // 2006
inline constexpr std::size_t kFeedRateLimit = 10;       // 2007
inline constexpr std::size_t kHobThreadsLimit = 2;      // 3002

// The inputs exactly as the Main page's controls hold them when a run starts.
struct JobInputs {
  std::string indexConstant;   // 2001
  std::string feedConstant;    // 2002
  std::string helixAngle;      // 2004, degrees
  std::string normalPitch;     // 2006, normal diametral pitch
  std::string feedRate;        // 2007
  std::string hobThreads = "1";  // 3002
  std::string teeth;           // text of the selected item of 2003; empty when none is selected
  int setupIndex = 0;          // selection of 2005; -1 when nothing is selected
};

// The built-in example job: index constant 30, feed constant 0.0625, feed rate .025,
// helix angle 23.5, pitch 8, 30 teeth, one hob thread, set-up 0.
JobInputs exampleJobInputs();

// Sign of the index formula for a set-up item: minus for items 0, 3, 4 and 7,
// plus for the others and for no selection.
int setupSign(int setupIndex);

struct JobParameters {
  DecFloat indexConstant;          // K
  DecFloat feedConstant;           // Cf
  double feedConstantAsDouble = 0;
  DecFloat helixAngle;             // beta, degrees
  DecFloat normalDiametralPitch;   // Pn
  std::int32_t hobThreads = 0;     // T
  std::int32_t teeth = 0;          // N
  DecFloat feedRate;               // f
  int feedRateTextLength = 0;
  int setupIndex = 0;
  int sign = 1;                    // s

  // Derived once per run.
  DecFloat sinHelix;
  DecFloat normalPitch;            // normal circular pitch, pi / Pn
  DecFloat feedFactor;             // F
  bool hasTolerance = false;
  DecFloat feedTolerance;          // t, when hasTolerance
  DecFloat requiredC;
  DecFloat cLow;
  DecFloat cHigh;
};

// The feed tolerance that the length of the feed-rate text asks for; 0 when none.
double feedToleranceFor(int feedRateTextLength);

// Builds the job from the field texts (each cut to its field's limit). Gives nothing
// when a text that must be a number does not parse as one.
std::optional<JobParameters> readJob(const JobInputs& inputs);

// The part of readJob that the result evaluation needs: every field but the feed
// rate. The feed-rate fields and the tolerance band are left at their defaults.
std::optional<JobParameters> readJobWithoutFeedRate(const JobInputs& inputs);

DecFloat indexRatioFor(const JobParameters& job, const DecFloat& c);
DecFloat feedRatioFor(const JobParameters& job, const DecFloat& c);
DecFloat actualFeed(const JobParameters& job, const DecFloat& feedRatio);

}  // namespace hobwise
