// The polyphase synthesis filter bank and its fast DCT against the direct
// matrixing of the definition.
#include "player/mp3/layer3/synthesis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "player/mp3/layer3/dct32.h"
#include "player/mp3/layer3/synthesis_window.h"
#include "tests/unit/mp3/signal_reference.h"

namespace mp3::layer3 {
namespace {

// Well inside the accuracy the decoder must reach (2^-15 / sqrt 12 RMS).
constexpr double kTolerance = 2e-6;

std::array<float, 32> ToFloat(const std::array<double, 32>& in) {
  std::array<float, 32> out{};
  for (int i = 0; i < 32; ++i) out[i] = static_cast<float>(in[i]);
  return out;
}

TEST(Dct32, MatchesTheDirectSumForEachImpulseAndRandomInput) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> value(-1.0, 1.0);
  for (int trial = 0; trial < 33; ++trial) {
    std::array<double, 32> in{};
    if (trial < 32) {
      in[trial] = 1.0;
    } else {
      for (double& v : in) v = value(random);
    }
    std::array<float, 32> out{};
    Dct32(ToFloat(in), out);
    const std::array<double, 32> expected = test::DirectDct32(in);
    for (int u = 0; u < 32; ++u) {
      ASSERT_NEAR(out[u], expected[u], 4e-6) << "trial " << trial << ", output " << u;
    }
  }
}

TEST(Synthesis, SilenceStaysSilent) {
  SynthesisMemory memory;
  const std::array<float, 32> silence{};
  for (int step = 0; step < 20; ++step) {
    std::array<float, 32> out{};
    out.fill(1.0f);
    Synthesize(silence, memory, out);
    for (int j = 0; j < 32; ++j) ASSERT_EQ(out[j], 0.0f) << "step " << step << ", sample " << j;
  }
}

TEST(Synthesis, SilenceAfterSoundIsSilentOnceTheMemoryHasPassed) {
  SynthesisMemory memory;
  std::array<float, 32> out{};
  std::array<float, 32> sound{};
  sound.fill(0.5f);
  Synthesize(sound, memory, out);
  const std::array<float, 32> silence{};
  for (int step = 0; step < 16; ++step) Synthesize(silence, memory, out);
  for (int j = 0; j < 32; ++j) EXPECT_EQ(out[j], 0.0f) << "sample " << j;
}

// One subband at a time, a changing value over enough steps to fill the
// whole memory, against the definition.
TEST(Synthesis, EachSubbandMatchesTheDirectMatrixing) {
  for (int sb = 0; sb < 32; ++sb) {
    SynthesisMemory memory;
    test::DirectSynthesis direct;
    for (int step = 0; step < 24; ++step) {
      std::array<double, 32> in{};
      in[sb] = std::cos(0.3 * step + sb) * 0.9;
      std::array<float, 32> out{};
      Synthesize(ToFloat(in), memory, out);
      const std::array<double, 32> expected = direct.Step(in);
      for (int j = 0; j < 32; ++j) {
        ASSERT_NEAR(out[j], expected[j], kTolerance)
            << "subband " << sb << ", step " << step << ", sample " << j;
      }
    }
  }
}

TEST(Synthesis, RandomSubbandsMatchTheDirectMatrixing) {
  std::mt19937 random(11);
  std::uniform_real_distribution<double> value(-0.5, 0.5);
  SynthesisMemory memory;
  test::DirectSynthesis direct;
  for (int step = 0; step < 40; ++step) {
    std::array<double, 32> in{};
    for (double& v : in) v = value(random);
    std::array<float, 32> out{};
    Synthesize(ToFloat(in), memory, out);
    const std::array<double, 32> expected = direct.Step(in);
    for (int j = 0; j < 32; ++j) {
      ASSERT_NEAR(out[j], expected[j], kTolerance) << "step " << step << ", sample " << j;
    }
  }
}

// The window as typed must have the symmetry of the filter it comes from:
// D[512 - i] = -D[i], except at multiples of 64 where D[512 - i] = D[i]. A
// mistyped coefficient breaks it.
TEST(SynthesisWindow, IsSymmetricAsTheFilterDesignMakesIt) {
  for (int i = 1; i < 256; ++i) {
    const int mirrored = kSynthesisWindowSteps[512 - i];
    const int expected = i % 64 == 0 ? kSynthesisWindowSteps[i] : -kSynthesisWindowSteps[i];
    EXPECT_EQ(mirrored, expected) << "D[" << i << "] against D[" << 512 - i << "]";
  }
}

}  // namespace
}  // namespace mp3::layer3
