#pragma once
// A found result judged against the job, the texts that show it, and the gear
// geometry readouts.
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "model/decfloat.h"
#include "model/decided.h"
#include "model/job.h"
#include "solver/solver.h"

namespace hobwise {

// Wholeness test with the tolerance 1e-99; false for a value that is not a number.
bool IsWhole(const DecFloat& x);

struct ResultEvaluation {
  DecFloat c;               // C constant of the index train
  bool hasFraction = false;
  DecFloat p;               // numerator, whole (when hasFraction)
  int q = 0;                // denominator 1..9999 (when hasFraction)
  DecFloat feedRatio;
  DecFloat feedError;       // feed ratio - feedRatioFor(c), signed
  DecFloat actualFeed;
  DecFloat feedAlongHelix;
  DecFloat theoreticalLead;
  DecFloat leadFromGearing;
  DecFloat leadError;
};

// Evaluates a result with the job the fields hold now (the feed rate takes no part).
// Nothing when a field that must be a number is none. `exact` turns the shortcuts off
// (the C constant by the plain bisection, the fraction search without its pre-test):
// the same evaluation, only slower. The front ends pass SolveOptions::exact.
std::optional<ResultEvaluation> EvaluateResult(const JobInputs& inputs, const FoundResult& result,
                                               bool exact = false);

// The C constant c as the first fraction p/q (q = 1 to 9999) whose terms the index
// gears divide: K x T x p by the driving gears, N x p + s x q by the driven ones. The
// plain form makes the seven wholeness tests for every q; the fast form passes over
// the q that a pre-test in double and 128-bit whole numbers rejects for certain, and
// cannot decide for a C constant that is not finite or not below 1e6.
struct Fraction {
  DecFloat p;  // whole
  int q = 0;
};
std::optional<Fraction> fractionSearchPlain(const JobParameters& job, const DecFloat& c, const FoundResult& result);
Decided<std::optional<Fraction>> fractionSearchFast(const JobParameters& job, const DecFloat& c,
                                                     const FoundResult& result);
std::optional<Fraction> fractionSearch(const JobParameters& job, const DecFloat& c, const FoundResult& result,
                                       bool exact);

// Control identifiers of the eight gear fields, in the order of ResultTexts::gears:
// index upper left, upper right, lower left, lower right; feed the same.
inline constexpr std::array<int, 8> kGearFieldIds = {3003, 3005, 3004, 3006, 3024, 3026, 3025, 3027};

struct ResultTexts {
  std::array<std::string, 8> gears;  // texts of kGearFieldIds, in that order
  std::string status;                // 3011: "C: p/q", empty without a fraction
  std::string indexError;            // 3008
  std::string feedError;             // 3012
  std::string feedLine;              // 3013, two lines joined by "   \r\n"
  std::string leadLine;              // 3014
};

// The gear field texts alone (written before the evaluation).
std::array<std::string, 8> gearTexts(const FoundResult& result);

// The status line 3011 of an evaluation: "C: p/q", or empty without a fraction.
std::string statusText(const ResultEvaluation& evaluation);

ResultTexts resultTexts(const FoundResult& result, const ResultEvaluation& evaluation);

// The texts of a result judged with the job as given; only the gears when the job
// cannot be evaluated (a field that must be a number is none).
ResultTexts resultTextsForJob(const JobInputs& inputs, const FoundResult& result, bool exact = false);
// The same for each of many results: the job read once and each index train judged
// once (the results of a run share a few dozen of them).
std::vector<ResultTexts> resultTextsForJob(const JobInputs& inputs, const std::vector<FoundResult>& results,
                                           bool exact = false);

// Gear geometry readouts 3009 and 3010 from the texts of 2003 (selected item, empty
// when none), 2006 and 2004. Both empty when the inputs are out of range.
struct GeometryReadouts {
  std::string pitchDiameter;    // "Transverse Pitch Dia.: ..."
  std::string outsideDiameter;  // "Outside Dia.: ..."
};
GeometryReadouts geometryReadouts(const std::string& teethText, const std::string& normalPitchText,
                                  const std::string& helixAngleText);

}  // namespace hobwise
