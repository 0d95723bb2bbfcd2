#include <algorithm>

#include "player/mp3/decoder.h"

namespace mp3 {

// Branch-free so that the loop vectorises. The clamped value (NaN becomes
// 0) is rounded to the nearest whole number, ties to even, by adding and
// subtracting 1.5 * 2^23: the sum has no bits below the unit, so the
// addition itself rounds.
void ToPcm16(std::span<const float> in, std::span<std::int16_t> out) {
  constexpr float kRounder = 12582912.0f;
  const std::size_t count = std::min(in.size(), out.size());
  for (std::size_t i = 0; i < count; ++i) {
    float scaled = in[i] * 32768.0f;
    scaled = scaled > 32767.0f ? 32767.0f : scaled;
    scaled = scaled < -32768.0f ? -32768.0f : scaled;
    scaled = scaled == scaled ? scaled : 0.0f;
    const float rounded = (scaled + kRounder) - kRounder;
    out[i] = static_cast<std::int16_t>(static_cast<int>(rounded));
  }
}

}  // namespace mp3
