#include "player/mp3/layer3/imdct.h"

#include "player/mp3/layer3/imdct_tables.h"

namespace mp3::layer3 {
namespace {

// The n outputs of an n-point IMDCT from its n / 2 independent ones (see
// ImdctKernel): core[r] for r < n/4 is y[r], core[n/4 + r] is y[n/2 + r].
template <int N>
void Unfold(const std::array<float, kImdctRows<N>>& core, std::span<float, N> y) {
  constexpr int quarter = N / 4;
  for (int i = 0; i < quarter; ++i) {
    y[i] = core[i];
    y[N / 2 - 1 - i] = -core[i];
    y[N / 2 + i] = core[quarter + i];
    y[N - 1 - i] = core[quarter + i];
  }
}

// The independent outputs as a sum of the kernel's columns weighted by the
// inputs.
template <int N>
std::array<float, kImdctRows<N>> Core(
    const std::array<std::array<float, kImdctRows<N>>, N / 2>& kernel,
    std::span<const float, N / 2> in) {
  std::array<float, kImdctRows<N>> core{};
  for (int k = 0; k < N / 2; ++k) {
    const float x = in[k];
    for (int r = 0; r < kImdctRows<N>; ++r) core[r] += kernel[k][r] * x;
  }
  return core;
}

}  // namespace

void InverseMdctLong(std::span<const float, 18> in, BlockType type, std::span<float, 36> out) {
  Unfold<36>(Core<36>(kImdct36Kernel, in), out);
  const std::array<float, 36>& window = LongWindow(type);
  for (int i = 0; i < 36; ++i) out[i] *= window[i];
}

void InverseMdctShort(std::span<const float, 18> in, std::span<float, 36> out) {
  for (float& v : out) v = 0.0f;
  for (int w = 0; w < 3; ++w) {
    std::array<float, 12> y{};
    Unfold<12>(Core<12>(kImdct12Kernel, in.subspan(6 * w).first<6>()), y);
    for (int i = 0; i < 12; ++i) out[6 + 6 * w + i] += y[i] * kBlockWindows.shortBlock[i];
  }
}

}  // namespace mp3::layer3
