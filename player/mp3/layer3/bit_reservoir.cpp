#include "player/mp3/layer3/bit_reservoir.h"

#include <algorithm>

namespace mp3::layer3 {

std::optional<std::span<const std::uint8_t>> BitReservoir::Append(std::span<const std::uint8_t> slot,
                                                                  std::size_t back) {
  if (size_ > kMaxBack) {
    std::copy(bytes_.begin() + static_cast<std::ptrdiff_t>(size_ - kMaxBack),
              bytes_.begin() + static_cast<std::ptrdiff_t>(size_), bytes_.begin());
    size_ = kMaxBack;
  }
  const std::size_t held = size_;
  std::copy(slot.begin(), slot.end(), bytes_.begin() + static_cast<std::ptrdiff_t>(size_));
  size_ += slot.size();
  if (back > held) return std::nullopt;
  return std::span<const std::uint8_t>(bytes_).subspan(held - back, back + slot.size());
}

}  // namespace mp3::layer3
