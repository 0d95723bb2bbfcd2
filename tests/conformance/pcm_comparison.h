// Compares decoded sound with a reference decode by the accuracy measures of
// MPEG audio decoder conformance: the RMS and peak of the difference at full
// scale 1.0, and the share of 16-bit samples within one LSB.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace conformance {

// "Full accuracy": RMS difference at most 2^-15/sqrt(12) of full scale and
// no difference above 2^-14.
inline constexpr double kFullAccuracyRms = 1.0 / 32768.0 / 3.4641016151377544;
inline constexpr double kFullAccuracyPeak = 1.0 / 16384.0;
// The least we accept: 16-bit output within one LSB of the reference's on at
// least this share of the samples.
inline constexpr double kMinWithinOneLsb = 0.999;

enum class Level { Full, WithinOneLsb, Fail };

std::string_view LevelName(Level level);

struct Comparison {
  std::size_t samples = 0;          // compared: the shorter of the two
  std::size_t lengthDifference = 0; // samples one has beyond the other
  double rms = 0;
  double peak = 0;
  double withinOneLsb = 0;          // share of 16-bit samples within one LSB
  Level level = Level::Fail;        // a length difference fails
};

// Compares `decoded` and its 16-bit conversion `decoded16` (as the player
// makes it) with `reference`, whose 16-bit form is made here by rounding to
// nearest and saturating.
Comparison Compare(std::span<const float> decoded, std::span<const std::int16_t> decoded16,
                   std::span<const float> reference);

}  // namespace conformance
