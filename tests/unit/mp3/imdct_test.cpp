// The inverse MDCT with its block windows, impulse by impulse, against the
// defining formula.
#include "player/mp3/layer3/imdct.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "tests/unit/mp3/signal_reference.h"

namespace mp3::layer3 {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTolerance = 2e-6;

// The long windows as their pieces read: sine over 36 (normal), over 12
// for the short-block side of a start or stop window, flat 1 and 0 between.
double LongWindow(BlockType type, int i) {
  const double normal = std::sin(kPi / 36 * (i + 0.5));
  switch (type) {
    case BlockType::Start:
      if (i < 18) return normal;
      if (i < 24) return 1.0;
      if (i < 30) return std::sin(kPi / 12 * (i - 18 + 0.5));
      return 0.0;
    case BlockType::Stop:
      if (i < 6) return 0.0;
      if (i < 12) return std::sin(kPi / 12 * (i - 6 + 0.5));
      if (i < 18) return 1.0;
      return normal;
    default:
      return normal;
  }
}

TEST(InverseMdctLong, EachImpulseMatchesTheWindowedFormula) {
  const struct {
    const char* name;
    BlockType type;
  } kTypes[] = {{"normal", BlockType::Normal}, {"start", BlockType::Start}, {"stop", BlockType::Stop}};
  for (const auto& type : kTypes) {
    for (int k = 0; k < 18; ++k) {
      std::array<float, 18> in{};
      in[k] = 1.0f;
      std::array<float, 36> out{};
      InverseMdctLong(in, type.type, out);
      std::vector<double> spectrum(18, 0.0);
      spectrum[k] = 1.0;
      const std::vector<double> y = test::DirectImdct(spectrum);
      for (int i = 0; i < 36; ++i) {
        ASSERT_NEAR(out[i], y[i] * LongWindow(type.type, i), kTolerance)
            << type.name << " window, impulse at line " << k << ", output " << i;
      }
    }
  }
}

TEST(InverseMdctShort, EachImpulseLandsInItsWindowsThird) {
  for (int w = 0; w < 3; ++w) {
    for (int k = 0; k < 6; ++k) {
      std::array<float, 18> in{};
      in[6 * w + k] = 1.0f;
      std::array<float, 36> out{};
      InverseMdctShort(in, out);
      std::vector<double> spectrum(6, 0.0);
      spectrum[k] = 1.0;
      const std::vector<double> y = test::DirectImdct(spectrum);
      for (int i = 0; i < 36; ++i) {
        const int local = i - 6 - 6 * w;
        const double expected =
            local >= 0 && local < 12 ? y[local] * std::sin(kPi / 12 * (local + 0.5)) : 0.0;
        ASSERT_NEAR(out[i], expected, kTolerance)
            << "window " << w << ", impulse at line " << k << ", output " << i;
      }
    }
  }
}

TEST(InverseMdctShort, ThreeWindowsAddUp) {
  std::array<float, 18> in{};
  for (int i = 0; i < 18; ++i) in[i] = static_cast<float>(std::sin(1.0 + 0.7 * i));
  std::array<float, 36> together{};
  InverseMdctShort(in, together);
  std::array<float, 36> sum{};
  for (int w = 0; w < 3; ++w) {
    std::array<float, 18> one{};
    for (int k = 0; k < 6; ++k) one[6 * w + k] = in[6 * w + k];
    std::array<float, 36> out{};
    InverseMdctShort(one, out);
    for (int i = 0; i < 36; ++i) sum[i] += out[i];
  }
  for (int i = 0; i < 36; ++i) EXPECT_NEAR(together[i], sum[i], kTolerance) << "output " << i;
}

}  // namespace
}  // namespace mp3::layer3
