#include "solver/internal/c_constant_memo.h"

namespace hobwise {

DecFloat CConstantMemo::get(std::uint64_t numerator, std::uint64_t denominator,
                            const std::function<DecFloat()>& work) {
  // Products of two tooth counts stay below 2^15, so the key holds both; larger ones
  // (no train has them) are not kept.
  if (numerator >= (1u << 31) || denominator >= (1u << 31)) return work();
  const std::uint64_t key = numerator << 32 | denominator;
  {
    std::lock_guard guard(lock_);
    if (const auto it = values_.find(key); it != values_.end()) return it->second;
  }
  DecFloat value = work();  // outside the lock: two threads may both work it out, to the same value
  std::lock_guard guard(lock_);
  return values_.try_emplace(key, std::move(value)).first->second;
}

}  // namespace hobwise
