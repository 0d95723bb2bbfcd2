// Constants of the hybrid filter bank: the alias-reduction butterflies, the
// inverse MDCT kernels and the four block windows, computed at compile time
// from their defining formulas.
#pragma once

#include <array>

#include "player/mp3/layer3/constexpr_math.h"
#include "player/mp3/layer3/granule.h"

namespace mp3::layer3 {

// Alias reduction: the eight butterfly coefficients c[i] and, from them,
// cs[i] = 1 / sqrt(1 + c[i]^2) and ca[i] = c[i] / sqrt(1 + c[i]^2).
inline constexpr std::array<double, 8> kAliasCoefficients = {
    -0.6, -0.535, -0.33, -0.185, -0.095, -0.041, -0.0142, -0.0037};

struct AliasButterfly {
  std::array<float, 8> cs;
  std::array<float, 8> ca;
};

inline constexpr AliasButterfly kAliasButterfly = [] {
  AliasButterfly b{};
  for (int i = 0; i < 8; ++i) {
    const double c = kAliasCoefficients[i];
    const double norm = cmath::Sqrt(1.0 + c * c);
    b.cs[i] = static_cast<float>(1.0 / norm);
    b.ca[i] = static_cast<float>(c / norm);
  }
  return b;
}();

// The inverse MDCT of n outputs from n / 2 inputs:
//   y[i] = sum_k X[k] cos(pi / (2n) * (2i + 1 + n / 2) * (2k + 1)).
// Its outputs come in mirrored pairs: y[n/2 - 1 - i] = -y[i] and
// y[n - 1 - i] = y[n/2 + i] for i < n/4, so only the rows i = 0 .. n/4 - 1
// and i = n/2 .. 3n/4 - 1 are needed. The table holds, for each input k, the
// column of those rows: entry r is output i = r for r < n/4 and
// i = n/2 + (r - n/4) after that. Columns are padded with zeros to a
// multiple of four so that summing them vectorises.
template <int N>
inline constexpr int kImdctRows = (N / 2 + 3) / 4 * 4;

template <int N>
constexpr std::array<std::array<float, kImdctRows<N>>, N / 2> ImdctKernel() {
  std::array<std::array<float, kImdctRows<N>>, N / 2> columns{};
  for (int k = 0; k < N / 2; ++k) {
    for (int r = 0; r < N / 2; ++r) {
      const int i = r < N / 4 ? r : N / 2 + (r - N / 4);
      columns[k][r] = static_cast<float>(cmath::CosPi((2LL * i + 1 + N / 2) * (2 * k + 1), 2LL * N));
    }
  }
  return columns;
}

inline constexpr auto kImdct36Kernel = ImdctKernel<36>();
inline constexpr auto kImdct12Kernel = ImdctKernel<12>();

// The windows applied to the 36 outputs of a long-block IMDCT, by block
// type, and the window of each 12-output short-block IMDCT.
struct BlockWindows {
  std::array<float, 36> normal;
  std::array<float, 36> start;
  std::array<float, 36> stop;
  std::array<float, 12> shortBlock;
};

inline constexpr BlockWindows kBlockWindows = [] {
  BlockWindows w{};
  for (int i = 0; i < 36; ++i) {
    // sin(pi / 36 * (i + 1/2))
    w.normal[i] = static_cast<float>(cmath::SinPi(2 * i + 1, 72));
  }
  for (int i = 0; i < 12; ++i) {
    w.shortBlock[i] = static_cast<float>(cmath::SinPi(2 * i + 1, 24));
  }
  for (int i = 0; i < 36; ++i) {
    if (i < 18) {
      w.start[i] = w.normal[i];
    } else if (i < 24) {
      w.start[i] = 1.0f;
    } else if (i < 30) {
      w.start[i] = w.shortBlock[i - 18];
    } else {
      w.start[i] = 0.0f;
    }
    if (i < 6) {
      w.stop[i] = 0.0f;
    } else if (i < 12) {
      w.stop[i] = w.shortBlock[i - 6];
    } else if (i < 18) {
      w.stop[i] = 1.0f;
    } else {
      w.stop[i] = w.normal[i];
    }
  }
  return w;
}();

// The window of a long block of `type` (Normal, Start or Stop).
inline const std::array<float, 36>& LongWindow(BlockType type) {
  switch (type) {
    case BlockType::Start: return kBlockWindows.start;
    case BlockType::Stop: return kBlockWindows.stop;
    default: return kBlockWindows.normal;
  }
}

}  // namespace mp3::layer3
