// Constants of stereo processing: the intensity stereo weights of MPEG-1
// and of MPEG-2 and 2.5, and the mid/side scale.
#pragma once

#include <array>

#include "player/mp3/layer3/constexpr_math.h"

namespace mp3::layer3 {

// Weights of the coded (left) channel's values for each output channel.
struct IntensityWeights {
  float left;
  float right;
};

// MPEG-1, intensity position p = 0..6: the ratio tan(p pi / 12) split as
// left = ratio / (1 + ratio), right = 1 / (1 + ratio).
inline constexpr std::array<IntensityWeights, 7> kIntensityMpeg1 = [] {
  std::array<IntensityWeights, 7> t{};
  for (int p = 0; p < 7; ++p) {
    const double s = cmath::SinPi(p, 12);
    const double c = cmath::CosPi(p, 12);
    t[p] = {static_cast<float>(s / (s + c)), static_cast<float>(c / (s + c))};
  }
  return t;
}();

// MPEG-2 and 2.5, by intensity scale (0: steps of 2^(-1/4), 1: of 2^(-1/2))
// and position p = 0..31: p = 0 keeps both channels at full weight, odd p
// lowers the left by (p + 1) / 2 steps, even p lowers the right by p / 2.
inline constexpr std::array<std::array<IntensityWeights, 32>, 2> kIntensityMpeg2 = [] {
  std::array<std::array<IntensityWeights, 32>, 2> t{};
  const std::array<double, 2> stepFactor = {1.0 / cmath::Sqrt(cmath::Sqrt(2.0)),
                                            1.0 / cmath::Sqrt(2.0)};
  for (int scale = 0; scale < 2; ++scale) {
    for (int p = 0; p < 32; ++p) {
      double lowered = 1.0;
      for (int s = 0; s < (p + 1) / 2; ++s) lowered *= stepFactor[scale];
      t[scale][p] = p % 2 == 1 ? IntensityWeights{static_cast<float>(lowered), 1.0f}
                               : IntensityWeights{1.0f, static_cast<float>(lowered)};
    }
  }
  return t;
}();

inline constexpr float kMidSideScale = static_cast<float>(1.0 / cmath::Sqrt(2.0));

}  // namespace mp3::layer3
