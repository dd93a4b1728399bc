#pragma once
// The length limits of the texts the sheet reads from the window.
#include <cstddef>

namespace hobwise::report {

inline constexpr std::size_t kSheetIndexConstantLimit = 6;
inline constexpr std::size_t kSheetFeedConstantLimit = 40;
inline constexpr std::size_t kSheetHelixAngleLimit = 40;
inline constexpr std::size_t kSheetNormalPitchLimit = 33;
inline constexpr std::size_t kSheetHobThreadsLimit = 2;
inline constexpr std::size_t kSheetReadoutLimit = 40;
inline constexpr std::size_t kSheetLeadLineLimit = 83;
inline constexpr std::size_t kSheetFeedLineLimit = 68;
inline constexpr std::size_t kSheetGearLimit = 3;
// ... and those the derivation lines read.
inline constexpr std::size_t kDerivationFieldLimit = 33;
inline constexpr std::size_t kStatusLimit = 29;
inline constexpr std::size_t kFeedErrorLimit = 40;

}  // namespace hobwise::report
