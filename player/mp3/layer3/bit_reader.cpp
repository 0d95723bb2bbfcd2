#include "player/mp3/layer3/bit_reader.h"

namespace mp3::layer3 {

bool BitReader::ReadBit() {
  if (position_ >= size()) {
    overrun_ = true;
    ++position_;
    return false;
  }
  const std::uint8_t byte = bytes_[position_ / 8];
  const bool bit = ((byte >> (7 - position_ % 8)) & 1) != 0;
  ++position_;
  return bit;
}

std::uint32_t BitReader::Read(int count) {
  std::uint32_t value = 0;
  for (int i = 0; i < count; ++i) value = (value << 1) | (ReadBit() ? 1u : 0u);
  return value;
}

}  // namespace mp3::layer3
