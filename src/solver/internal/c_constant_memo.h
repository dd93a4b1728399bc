#pragma once
// C constants already worked out for one job, by the two products of the index
// train's ratio, for runs of the same job on different stocks (the gear advisor) to
// share. Working out a C constant is a pure function of the job and the two products,
// so a value from the memo is the value the run would work out itself.
#include <cstdint>
#include <functional>
#include <mutex>
#include <unordered_map>

#include "model/decfloat.h"

namespace hobwise {

class CConstantMemo {
 public:
  // The value for numerator / denominator: from the memo, or from `work`, then kept.
  // Safe to call from several threads at once.
  DecFloat get(std::uint64_t numerator, std::uint64_t denominator, const std::function<DecFloat()>& work);

 private:
  std::mutex lock_;
  std::unordered_map<std::uint64_t, DecFloat> values_;
};

}  // namespace hobwise
