#include "player/mp3/layer3/dct32.h"

#include "player/mp3/layer3/constexpr_math.h"

namespace mp3::layer3 {
namespace {

// 1 / (2 cos(pi (2k + 1) / (2n))) for k < n / 2: the factors of the odd half
// of an n-point DCT-II.
template <int N>
constexpr std::array<double, N / 2> OddHalfFactors() {
  std::array<double, N / 2> f{};
  for (int k = 0; k < N / 2; ++k) f[k] = 0.5 / cmath::CosPi(2 * k + 1, 2 * N);
  return f;
}

// An n-point DCT-II from two of n / 2 points: the even outputs are the DCT of
// the folded sums, the odd ones of the scaled folded differences, added in
// neighbouring pairs.
template <int N>
void Dct(const double* in, double* out) {
  if constexpr (N == 1) {
    out[0] = in[0];
  } else {
    static constexpr std::array<double, N / 2> kFactors = OddHalfFactors<N>();
    double sums[N / 2];
    double differences[N / 2];
    for (int k = 0; k < N / 2; ++k) {
      sums[k] = in[k] + in[N - 1 - k];
      differences[k] = (in[k] - in[N - 1 - k]) * kFactors[k];
    }
    double even[N / 2];
    double odd[N / 2];
    Dct<N / 2>(sums, even);
    Dct<N / 2>(differences, odd);
    for (int u = 0; u < N / 2; ++u) {
      out[2 * u] = even[u];
      out[2 * u + 1] = u + 1 < N / 2 ? odd[u] + odd[u + 1] : odd[u];
    }
  }
}

}  // namespace

void Dct32(const std::array<float, 32>& in, std::array<float, 32>& out) {
  std::array<double, 32> wide;
  for (int i = 0; i < 32; ++i) wide[i] = in[i];
  std::array<double, 32> result;
  Dct<32>(wide.data(), result.data());
  for (int i = 0; i < 32; ++i) out[i] = static_cast<float>(result[i]);
}

}  // namespace mp3::layer3
