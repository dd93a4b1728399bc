#pragma once
// Ratios of tooth-count products compared with a DecFloat value, in double where that
// is certain.
#include <cstdint>

#include "model/decfloat.h"
#include "model/decided.h"
#include "solver/run_rules.h"

namespace hobwise::solver {

// Relative safety margin of the machine-arithmetic decisions: a double carries 16
// digits, so a decision that holds with this much room cannot be upset by rounding.
inline constexpr double kSafety = 1e-9;

// A DecFloat value that ratios of tooth-count products are compared with, with its
// nearest double. Each form tells how trainRatio(a, b) compares with the value: the
// plain form by the DecFloat division, the fast form in double arithmetic where a
// safety margin far above every rounding error decides it.
class Threshold {
 public:
  explicit Threshold(const DecFloat& value);

  const DecFloat& exact() const { return exact_; }
  double approx() const { return approx_; }
  bool isNaN() const { return nan_; }

  Order orderPlain(std::uint64_t a, std::uint64_t b) const { return compare(trainRatio(a, b), exact_); }
  Decided<Order> orderFast(std::uint64_t a, std::uint64_t b) const;
  Order orderOf(std::uint64_t a, std::uint64_t b) const {
    if (const Decided<Order> order = orderFast(a, b)) return *order;
    return orderPlain(a, b);
  }

 private:
  DecFloat exact_;
  double approx_ = 0;
  bool nan_ = false;
};

}  // namespace hobwise::solver
