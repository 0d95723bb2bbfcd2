#include <algorithm>
#include <cmath>

#include "player/mp3/decoder.h"

namespace mp3 {

void ToPcm16(std::span<const float> in, std::span<std::int16_t> out) {
  const std::size_t count = std::min(in.size(), out.size());
  for (std::size_t i = 0; i < count; ++i) {
    const double scaled = static_cast<double>(in[i]) * 32768.0;
    std::int16_t sample = 0;
    if (scaled >= 32767.0) {
      sample = 32767;
    } else if (scaled <= -32768.0) {
      sample = -32768;
    } else if (!std::isnan(scaled)) {
      sample = static_cast<std::int16_t>(std::lround(scaled));
    }
    out[i] = sample;
  }
}

}  // namespace mp3
