#pragma once
// The shop's change-gear stock: how many gears of each tooth count 16 to 169 it owns.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace hobwise {

inline constexpr int kFirstToothCount = 16;
inline constexpr int kLastToothCount = 169;
inline constexpr int kToothCountKinds = kLastToothCount - kFirstToothCount + 1;  // 154
inline constexpr int kMaxGearCount = 7;

// The stock text as stored: one digit per tooth count, ascending.
// The built-in default has 155 characters: one gear of each of 30 to 80 teeth.
std::string defaultGearStockText();

class GearStock {
 public:
  GearStock() { counts_.fill(0); }

  static GearStock defaultStock() { return fromText(defaultGearStockText()); }

  // Character i of the text is the count of tooth count 16 + i. A missing character,
  // or one that is not a digit 0 to 7, counts as 0; characters past the 154th are
  // ignored.
  static GearStock fromText(std::string_view text);

  // True when the text is exactly 154 digits 0 to 7.
  static bool isValidText(std::string_view text);

  std::string toText() const;  // 154 digits

  // Count of a tooth count; 0 outside 16 to 169.
  int count(int toothCount) const {
    return toothCount < kFirstToothCount || toothCount > kLastToothCount
               ? 0
               : counts_[static_cast<std::size_t>(toothCount - kFirstToothCount)];
  }
  void setCount(int toothCount, int count);  // clamped to 0 to 7; ignored outside 16 to 169

  bool operator==(const GearStock&) const = default;

 private:
  std::array<std::uint8_t, kToothCountKinds> counts_;
};

}  // namespace hobwise
