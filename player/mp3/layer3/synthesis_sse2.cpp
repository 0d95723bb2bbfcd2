#include "player/mp3/layer3/synthesis_sse2.h"

#include <emmintrin.h>

#include "player/mp3/layer3/synthesis_window.h"

namespace mp3::layer3 {

void SynthesizeSse2(const SlotVectors& subbands, SynthesisMemory& memory, std::span<float> out, int stride) {
  SlotVectors x;
  Dct32(subbands, x);
  for (int t = 0; t < 18; ++t) {
    ShiftIn(x, t, memory);
    float* dest = out.data() + static_cast<std::size_t>(t) * 32 * stride;
    // Outputs j..j+3 in the lanes, each summed over i = 0..7 as the plain
    // form sums it: sum += D[64i + j] * even[j] + D[64i + 32 + j] * odd[32 + j].
    for (int j = 0; j < 32; j += 4) {
      __m128 sum = _mm_setzero_ps();
      for (int i = 0; i < 8; ++i) {
        const float* even = memory.v[(memory.newest + 2 * i) & 15].data();
        const float* odd = memory.v[(memory.newest + 2 * i + 1) & 15].data();
        const float* d = kSynthesisWindow.data() + 64 * i;
        const __m128 first = _mm_mul_ps(_mm_loadu_ps(d + j), _mm_loadu_ps(even + j));
        const __m128 second = _mm_mul_ps(_mm_loadu_ps(d + 32 + j), _mm_loadu_ps(odd + 32 + j));
        sum = _mm_add_ps(sum, _mm_add_ps(first, second));
      }
      if (stride == 1) {
        _mm_storeu_ps(dest + j, sum);
      } else {
        alignas(16) float lanes[4];
        _mm_store_ps(lanes, sum);
        for (int lane = 0; lane < 4; ++lane) dest[(j + lane) * stride] = lanes[lane];
      }
    }
  }
}

}  // namespace mp3::layer3
