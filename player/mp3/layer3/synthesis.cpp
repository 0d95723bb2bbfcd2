#include "player/mp3/layer3/synthesis.h"

#include "player/mp3/layer3/synthesis_window.h"

namespace mp3::layer3 {

void ShiftIn(const SlotVectors& x, int t, SynthesisMemory& memory) {
  // V[i] = sum_k cos((16 + i)(2k + 1) pi / 64) S[k] = X[16 + i] for the
  // DCT-II X of S, extended by X[32] = 0, X[64 - u] = -X[u] and
  // X[64 + u] = -X[u].
  memory.newest = (memory.newest + 15) & 15;
  std::array<float, 64>& v = memory.v[memory.newest];
  for (int i = 0; i < 16; ++i) v[i] = x[16 + i][t];
  v[16] = 0.0f;
  for (int i = 17; i < 48; ++i) v[i] = -x[48 - i][t];
  for (int i = 48; i < 64; ++i) v[i] = -x[i - 48][t];
}

void Synthesize(const SlotVectors& subbands, SynthesisMemory& memory, std::span<float> out,
                int stride) {
  SlotVectors x;
  Dct32(subbands, x);
  for (int t = 0; t < 18; ++t) {
    ShiftIn(x, t, memory);
    // Output j sums, over i = 0..7, D[64i + j] times the first half of the
    // vector 2i steps old and D[64i + 32 + j] times the second half of the
    // vector 2i + 1 steps old.
    std::array<float, 32> sum{};
    for (int i = 0; i < 8; ++i) {
      const std::array<float, 64>& even = memory.v[(memory.newest + 2 * i) & 15];
      const std::array<float, 64>& odd = memory.v[(memory.newest + 2 * i + 1) & 15];
      const float* d = kSynthesisWindow.data() + 64 * i;
      for (int j = 0; j < 32; ++j) sum[j] += d[j] * even[j] + d[32 + j] * odd[32 + j];
    }
    float* dest = out.data() + static_cast<std::size_t>(t) * 32 * stride;
    for (int j = 0; j < 32; ++j) dest[j * stride] = sum[j];
  }
}

}  // namespace mp3::layer3
