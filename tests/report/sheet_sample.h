#pragma once
// The sheet of a job with K = 40, T = 1, N = 30 and C = 56/1, as the window holds it.
#include "report/sheet.h"

namespace hobwise::testing {

inline SheetInputs sheet40(int setup = 0) {
  return SheetInputs{"40", "16", "20", "8", "30", setup, "1", "Transverse Pitch Dia.: 2.5", "Outside Dia.: 2.75",
                     "Theoretical Lead: 34.455000000 Lead from Gearing: 34.455000001 (Error: 0.000000001)",
                     "Actual Feed Rate: 0.025000   \r\nFeed Rate along Helix Angle: 0.026604", "C: 56/1",
                     "Feed Error: 0.000012345678901", {"20", "56", "73", "23", "20", "100", "127", "36"}, {}, {}};
}

}  // namespace hobwise::testing
