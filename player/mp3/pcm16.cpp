#include <algorithm>

#include "player/mp3/decoder.h"
#include "player/mp3/pcm16_kernels.h"

namespace mp3 {

// Branch-free so that the loop vectorises. The clamped value (NaN becomes
// 0) is rounded to the nearest whole number, ties to even, with exact steps
// only, so that the result is the same whatever precision the compiler
// keeps intermediate values in (x87 registers hold more than a float) and
// whatever the rounding mode: the conversion to int truncates toward zero,
// the remaining fraction (in (-1, 1)) is exact, and whole steps are added
// where it is more than half a step, or exactly half of one after an odd
// whole.
void ToPcm16Plain(std::span<const float> in, std::span<std::int16_t> out) {
  const std::size_t count = std::min(in.size(), out.size());
  for (std::size_t i = 0; i < count; ++i) {
    float scaled = in[i] * 32768.0f;
    scaled = scaled > 32767.0f ? 32767.0f : scaled;
    scaled = scaled < -32768.0f ? -32768.0f : scaled;
    scaled = scaled == scaled ? scaled : 0.0f;
    const int whole = static_cast<int>(scaled);
    const float fraction = scaled - static_cast<float>(whole);
    const int odd = whole & 1;
    const int up = (fraction > 0.5f) | ((fraction == 0.5f) & odd);
    const int down = (fraction < -0.5f) | ((fraction == -0.5f) & odd);
    out[i] = static_cast<std::int16_t>(whole + up - down);
  }
}

void ToPcm16(std::span<const float> in, std::span<std::int16_t> out) {
#if MP3_SSE2_KERNELS
  ToPcm16Sse2(in, out);
#else
  ToPcm16Plain(in, out);
#endif
}

}  // namespace mp3
