// Constants of requantisation: |q|^(4/3) for small magnitudes, the
// preemphasis of the long bands and the powers 2^(-i/4).
#pragma once

#include <array>

#include "player/mp3/layer3/constexpr_math.h"

namespace mp3::layer3 {

// The largest magnitude a Huffman code can give: 15 plus 13 linbits.
inline constexpr int kMaxQuantized = 8191 + 15;

// |q|^(4/3) = |q| * cbrt(|q|) for |q| < kPow43TableSize; larger magnitudes
// are computed.
inline constexpr int kPow43TableSize = 1024;
inline constexpr std::array<float, kPow43TableSize> kPow43 = [] {
  std::array<float, kPow43TableSize> t{};
  for (int q = 0; q < kPow43TableSize; ++q) t[q] = static_cast<float>(q * cmath::Cbrt(q));
  return t;
}();

// Added to the long bands' scale factors when preflag is set; 0 for band 21.
inline constexpr std::array<int, 22> kPretab = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                                1, 1, 1, 1, 2, 2, 3, 3, 3, 2, 0};

// 2^(-i/4) for i = 0..3.
inline constexpr std::array<double, 4> kQuarterPowers = {
    1.0, 1.0 / cmath::Sqrt(cmath::Sqrt(2.0)), 1.0 / cmath::Sqrt(2.0),
    1.0 / cmath::Sqrt(cmath::Sqrt(8.0))};

}  // namespace mp3::layer3
