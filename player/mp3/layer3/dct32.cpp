#include "player/mp3/layer3/dct32.h"

#include "player/mp3/layer3/constexpr_math.h"

namespace mp3::layer3 {
namespace {

// 1 / (2 cos(pi (2k + 1) / (2n))) for k < n / 2: the factors of the odd half
// of an n-point DCT-II.
template <int N>
inline constexpr std::array<double, N / 2> kOddHalfFactors = [] {
  std::array<double, N / 2> f{};
  for (int k = 0; k < N / 2; ++k) f[k] = 0.5 / cmath::CosPi(2 * k + 1, 2 * N);
  return f;
}();

// Splits every block of n values of `x` into the folded sums
// x[k] + x[n-1-k] (first half) and the scaled folded differences (second
// half), into `y`.
template <int N>
void Fold(const double* x, double* y) {
  for (int block = 0; block < 32; block += N) {
    for (int k = 0; k < N / 2; ++k) {
      const double low = x[block + k];
      const double high = x[block + N - 1 - k];
      y[block + k] = low + high;
      y[block + N / 2 + k] = (low - high) * kOddHalfFactors<N>[k];
    }
  }
}

// Merges every block of n values of `x`, the DCTs of its sums (first half)
// and of its differences (second half), into the block's DCT in `y`: even
// outputs from the sums, odd ones from neighbouring pairs of the
// differences.
template <int N>
void Merge(const double* x, double* y) {
  for (int block = 0; block < 32; block += N) {
    const double* even = x + block;
    const double* odd = x + block + N / 2;
    for (int u = 0; u < N / 2 - 1; ++u) {
      y[block + 2 * u] = even[u];
      y[block + 2 * u + 1] = odd[u] + odd[u + 1];
    }
    y[block + N - 2] = even[N / 2 - 1];
    y[block + N - 1] = odd[N / 2 - 1];
  }
}

}  // namespace

// An n-point DCT-II is the n/2-point DCT-II of the folded sums
// x[k] + x[n-1-k] (its even outputs) and of the scaled folded differences
// (x[k] - x[n-1-k]) / (2 cos(pi (2k+1) / (2n))), whose outputs added in
// neighbouring pairs give the odd outputs. The folding runs down to blocks
// of one value; the merging then runs back up. In double precision: the
// scaled differences grow up to ten times, and the output must stay well
// inside the decoder's accuracy.
void Dct32(const std::array<float, 32>& in, std::array<float, 32>& out) {
  double a[32];
  double b[32];
  for (int i = 0; i < 32; ++i) a[i] = in[i];
  Fold<32>(a, b);
  Fold<16>(b, a);
  Fold<8>(a, b);
  Fold<4>(b, a);
  Fold<2>(a, b);
  Merge<2>(b, a);
  Merge<4>(a, b);
  Merge<8>(b, a);
  Merge<16>(a, b);
  Merge<32>(b, a);
  for (int i = 0; i < 32; ++i) out[i] = static_cast<float>(a[i]);
}

}  // namespace mp3::layer3
