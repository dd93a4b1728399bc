#include "model/gear_stock.h"

#include <algorithm>

namespace hobwise {

std::string defaultGearStockText() {
  return std::string(14, '0') + std::string(51, '1') + std::string(90, '0');
}

GearStock GearStock::fromText(std::string_view text) {
  GearStock stock;
  for (int i = 0; i < kToothCountKinds && static_cast<std::size_t>(i) < text.size(); ++i) {
    const char c = text[static_cast<std::size_t>(i)];
    if (c >= '0' && c <= '7') stock.counts_[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(c - '0');
  }
  return stock;
}

bool GearStock::isValidText(std::string_view text) {
  return text.size() == static_cast<std::size_t>(kToothCountKinds) &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '7'; });
}

std::string GearStock::toText() const {
  std::string text;
  text.reserve(kToothCountKinds);
  for (auto c : counts_) text.push_back(static_cast<char>('0' + c));
  return text;
}

void GearStock::setCount(int toothCount, int count) {
  if (toothCount < kFirstToothCount || toothCount > kLastToothCount) return;
  counts_[static_cast<std::size_t>(toothCount - kFirstToothCount)] =
      static_cast<std::uint8_t>(std::clamp(count, 0, kMaxGearCount));
}

}  // namespace hobwise
