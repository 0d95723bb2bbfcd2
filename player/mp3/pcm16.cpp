#include <algorithm>

#include "player/mp3/decoder.h"

namespace mp3 {

// Branch-free so that the loop vectorises: clamp (NaN becomes 0), then round
// half away from zero by truncating after adding a signed half. In double,
// where scaling and adding the half are exact.
void ToPcm16(std::span<const float> in, std::span<std::int16_t> out) {
  const std::size_t count = std::min(in.size(), out.size());
  for (std::size_t i = 0; i < count; ++i) {
    double scaled = static_cast<double>(in[i]) * 32768.0;
    scaled = scaled > 32767.0 ? 32767.0 : scaled;
    scaled = scaled < -32768.0 ? -32768.0 : scaled;
    scaled = scaled == scaled ? scaled : 0.0;
    out[i] = static_cast<std::int16_t>(static_cast<int>(scaled + (scaled < 0.0 ? -0.5 : 0.5)));
  }
}

}  // namespace mp3
