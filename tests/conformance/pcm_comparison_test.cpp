// The accuracy levels of the comparison, on made-up decodes of 1000 samples.
#include "tests/conformance/pcm_comparison.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

namespace conformance {
namespace {

constexpr std::size_t kSamples = 1000;
constexpr double kLsb = 1.0 / 32768.0;

struct Case {
  const char* name;
  // Alters a copy of the reference into the decode.
  std::function<void(std::vector<float>&)> alter;
  Level expected;
};

std::vector<std::int16_t> Pcm16(const std::vector<float>& samples) {
  std::vector<std::int16_t> out;
  for (const float s : samples) {
    out.push_back(static_cast<std::int16_t>(std::clamp(std::lround(s * 32768.0), -32768L, 32767L)));
  }
  return out;
}

void AddEverywhere(std::vector<float>& s, double amount) {
  for (float& x : s) x = static_cast<float>(x + amount);
}

const Case kCases[] = {
    {"identical", [](std::vector<float>&) {}, Level::Full},
    {"a quarter LSB everywhere", [](std::vector<float>& s) { AddEverywhere(s, kLsb / 4); }, Level::Full},
    {"RMS just over the limit", [](std::vector<float>& s) { AddEverywhere(s, kFullAccuracyRms * 1.01); },
     Level::WithinOneLsb},
    {"one sample 3 LSB off", [](std::vector<float>& s) { s[10] += static_cast<float>(3 * kLsb); },
     Level::WithinOneLsb},
    {"two samples in 1000 far off",
     [](std::vector<float>& s) {
       s[10] += 0.5f;
       s[20] -= 0.5f;
     },
     Level::Fail},
    {"a NaN", [](std::vector<float>& s) { s[500] = std::nanf(""); }, Level::Fail},
    {"an infinity", [](std::vector<float>& s) { s[0] = HUGE_VALF; }, Level::Fail},
    {"one sample missing", [](std::vector<float>& s) { s.pop_back(); }, Level::Fail},
    {"one sample too many", [](std::vector<float>& s) { s.push_back(0); }, Level::Fail},
    {"empty", [](std::vector<float>& s) { s.clear(); }, Level::Fail},
};

TEST(PcmComparisonTest, GivesTheLevelOfEachKindOfDifference) {
  std::vector<float> reference(kSamples);
  for (std::size_t i = 0; i < kSamples; ++i) reference[i] = static_cast<float>(0.5 * std::sin(0.01 * i));
  for (const Case& c : kCases) {
    std::vector<float> decoded = reference;
    c.alter(decoded);
    const Comparison result = Compare(decoded, Pcm16(decoded), reference);
    EXPECT_EQ(result.level, c.expected) << c.name << ": got " << LevelName(result.level);
  }
}

TEST(PcmComparisonTest, MeasuresRmsAndPeakOfTheDifference) {
  const std::vector<float> reference(kSamples, 0.25f);
  std::vector<float> decoded = reference;
  decoded[0] += 0.125f;  // one sample off: RMS 0.125 / sqrt(1000)
  const Comparison result = Compare(decoded, Pcm16(decoded), reference);
  EXPECT_DOUBLE_EQ(result.peak, 0.125);
  EXPECT_NEAR(result.rms, 0.125 / std::sqrt(1000.0), 1e-12);
  EXPECT_DOUBLE_EQ(result.withinOneLsb, 0.999);
  EXPECT_EQ(result.samples, kSamples);
}

}  // namespace
}  // namespace conformance
