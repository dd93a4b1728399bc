#pragma once
// What the fast form of a step gives: its answer, or nothing where it cannot decide.
// Every step that has a fast form asks it first and, where it cannot decide, asks the
// plain form, in one place:
//   if (!exact)
//     if (const Decided<T> answer = stepFast(...)) return *answer;
//   return stepPlain(...);
#include <optional>

namespace hobwise {

template <class T>
using Decided = std::optional<T>;

// The fast form's "I cannot decide".
inline constexpr std::nullopt_t kCannotDecide = std::nullopt;

}  // namespace hobwise
