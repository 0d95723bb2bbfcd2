#include "player/mp3/layer3/synthesis.h"

#include "player/mp3/layer3/dct32.h"
#include "player/mp3/layer3/synthesis_window.h"

namespace mp3::layer3 {
namespace {

constexpr std::array<float, 512> kWindow = [] {
  std::array<float, 512> d{};
  for (int i = 0; i < 512; ++i) {
    d[i] = static_cast<float>(kSynthesisWindowSteps[i] * kSynthesisWindowUnit);
  }
  return d;
}();

}  // namespace

void Synthesize(const std::array<float, 32>& subbands, SynthesisMemory& memory,
                std::array<float, 32>& out) {
  // V[i] = sum_k cos((16 + i)(2k + 1) pi / 64) S[k] = X[16 + i] for the
  // DCT-II X of S, extended by X[32] = 0, X[64 - u] = -X[u] and
  // X[64 + u] = -X[u].
  std::array<float, 32> x;
  Dct32(subbands, x);
  memory.newest = (memory.newest + 15) & 15;
  std::array<float, 64>& v = memory.v[memory.newest];
  for (int i = 0; i < 16; ++i) v[i] = x[16 + i];
  v[16] = 0.0f;
  for (int i = 17; i < 48; ++i) v[i] = -x[48 - i];
  for (int i = 48; i < 64; ++i) v[i] = -x[i - 48];

  // Output j sums, over i = 0..7, D[64i + j] times the first half of the
  // vector 2i steps old and D[64i + 32 + j] times the second half of the
  // vector 2i + 1 steps old.
  std::array<float, 32> sum{};
  for (int i = 0; i < 8; ++i) {
    const std::array<float, 64>& even = memory.v[(memory.newest + 2 * i) & 15];
    const std::array<float, 64>& odd = memory.v[(memory.newest + 2 * i + 1) & 15];
    const float* d = kWindow.data() + 64 * i;
    for (int j = 0; j < 32; ++j) sum[j] += d[j] * even[j] + d[32 + j] * odd[32 + j];
  }
  out = sum;
}

}  // namespace mp3::layer3
