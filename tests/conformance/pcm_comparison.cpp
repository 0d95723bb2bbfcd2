#include "tests/conformance/pcm_comparison.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace conformance {
namespace {

int ToPcm16(float sample) {
  return static_cast<int>(std::clamp(std::lround(static_cast<double>(sample) * 32768.0), -32768L, 32767L));
}

}  // namespace

std::string_view LevelName(Level level) {
  switch (level) {
    case Level::Full: return "full";
    case Level::WithinOneLsb: return "1-LSB";
    case Level::Fail: break;
  }
  return "FAIL";
}

Comparison Compare(std::span<const float> decoded, std::span<const std::int16_t> decoded16,
                   std::span<const float> reference) {
  Comparison c;
  c.samples = std::min(decoded.size(), reference.size());
  c.lengthDifference = std::max(decoded.size(), reference.size()) - c.samples;
  double sumOfSquares = 0;
  std::size_t close = 0;
  for (std::size_t i = 0; i < c.samples; ++i) {
    const double difference = static_cast<double>(decoded[i]) - static_cast<double>(reference[i]);
    if (!std::isfinite(difference)) {
      c.peak = HUGE_VAL;  // NaN or infinity decoded: never acceptable
      sumOfSquares = HUGE_VAL;
      continue;
    }
    sumOfSquares += difference * difference;
    c.peak = std::max(c.peak, std::abs(difference));
    close += std::abs(decoded16[i] - ToPcm16(reference[i])) <= 1;
  }
  if (c.samples > 0) {
    c.rms = std::sqrt(sumOfSquares / static_cast<double>(c.samples));
    c.withinOneLsb = static_cast<double>(close) / static_cast<double>(c.samples);
  }
  if (c.samples == 0 || c.lengthDifference != 0) {
    c.level = Level::Fail;
  } else if (c.rms <= kFullAccuracyRms && c.peak <= kFullAccuracyPeak) {
    c.level = Level::Full;
  } else if (std::isfinite(c.peak) && c.withinOneLsb >= kMinWithinOneLsb) {
    c.level = Level::WithinOneLsb;
  } else {
    c.level = Level::Fail;
  }
  return c;
}

}  // namespace conformance
