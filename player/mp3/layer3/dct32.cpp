#include "player/mp3/layer3/dct32.h"

#include "player/mp3/layer3/constexpr_math.h"

namespace mp3::layer3 {
namespace {

// 1 / (2 cos(pi (2k + 1) / (2n))) for k < n / 2: the factors of the odd half
// of an n-point DCT-II.
template <int N>
inline constexpr std::array<float, N / 2> kOddHalfFactors = [] {
  std::array<float, N / 2> f{};
  for (int k = 0; k < N / 2; ++k) f[k] = static_cast<float>(0.5 / cmath::CosPi(2 * k + 1, 2 * N));
  return f;
}();

// Splits every block of n rows of `x` into the folded sums
// x[k] + x[n-1-k] (first half) and the scaled folded differences (second
// half), into `y`.
template <int N>
void Fold(const SlotVectors& x, SlotVectors& y) {
  for (int block = 0; block < 32; block += N) {
    for (int k = 0; k < N / 2; ++k) {
      const std::array<float, 18>& low = x[block + k];
      const std::array<float, 18>& high = x[block + N - 1 - k];
      std::array<float, 18>& sum = y[block + k];
      std::array<float, 18>& difference = y[block + N / 2 + k];
      const float factor = kOddHalfFactors<N>[k];
      for (int t = 0; t < 18; ++t) {
        sum[t] = low[t] + high[t];
        difference[t] = (low[t] - high[t]) * factor;
      }
    }
  }
}

// Merges every block of n rows of `x`, the DCTs of its sums (first half)
// and of its differences (second half), into the block's DCT in `y`: even
// outputs from the sums, odd ones from neighbouring pairs of the
// differences.
template <int N>
void Merge(const SlotVectors& x, SlotVectors& y) {
  for (int block = 0; block < 32; block += N) {
    for (int u = 0; u < N / 2; ++u) {
      y[block + 2 * u] = x[block + u];
      const std::array<float, 18>& odd = x[block + N / 2 + u];
      std::array<float, 18>& out = y[block + 2 * u + 1];
      if (u + 1 < N / 2) {
        const std::array<float, 18>& next = x[block + N / 2 + u + 1];
        for (int t = 0; t < 18; ++t) out[t] = odd[t] + next[t];
      } else {
        out = odd;
      }
    }
  }
}

}  // namespace

// An n-point DCT-II is the n/2-point DCT-II of the folded sums
// x[k] + x[n-1-k] (its even outputs) and of the scaled folded differences
// (x[k] - x[n-1-k]) / (2 cos(pi (2k+1) / (2n))), whose outputs added in
// neighbouring pairs give the odd outputs. The folding runs down to blocks
// of one row; the merging then runs back up.
void Dct32(const SlotVectors& in, SlotVectors& out) {
  SlotVectors a;
  SlotVectors b;
  Fold<32>(in, a);
  Fold<16>(a, b);
  Fold<8>(b, a);
  Fold<4>(a, b);
  Fold<2>(b, a);
  Merge<2>(a, b);
  Merge<4>(b, a);
  Merge<8>(a, b);
  Merge<16>(b, a);
  Merge<32>(a, out);
}

}  // namespace mp3::layer3
