// The polyphase synthesis filter bank and its fast DCT against the direct
// matrixing of the definition.
#include "player/mp3/layer3/synthesis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "player/mp3/layer3/dct32.h"
#include "player/mp3/layer3/synthesis_window.h"
#include "tests/unit/mp3/signal_reference.h"

#if MP3_SSE2_KERNELS
#include "player/mp3/layer3/synthesis_sse2.h"
#endif

namespace mp3::layer3 {
namespace {

// Well inside the accuracy the decoder must reach (2^-15 / sqrt 12 RMS).
constexpr double kTolerance = 4e-6;

// Runs `steps` (a multiple of 18) time slots of `in(step, subband)` through
// the filter bank and the direct definition side by side, checking every
// output; the channel is written at stride 2 and the other left alone.
template <typename Input>
void CompareWithDirect(const char* name, int steps, Input in) {
  SynthesisMemory memory;
  test::DirectSynthesis direct;
  for (int granule = 0; granule < steps / 18; ++granule) {
    SlotVectors subbands{};
    std::array<std::array<double, 32>, 18> slots{};
    for (int t = 0; t < 18; ++t) {
      for (int sb = 0; sb < 32; ++sb) {
        slots[t][sb] = in(granule * 18 + t, sb);
        subbands[sb][t] = static_cast<float>(slots[t][sb]);
      }
    }
    std::vector<float> out(2 * 576, 99.0f);
    Synthesize(subbands, memory, out, 2);
    for (int t = 0; t < 18; ++t) {
      const std::array<double, 32> expected = direct.Step(slots[t]);
      for (int j = 0; j < 32; ++j) {
        const std::size_t at = static_cast<std::size_t>(t * 32 + j) * 2;
        ASSERT_NEAR(out[at], expected[j], kTolerance)
            << name << ", step " << granule * 18 + t << ", sample " << j;
        ASSERT_EQ(out[at + 1], 99.0f) << name << ": the other channel was written";
      }
    }
  }
}

TEST(Dct32, MatchesTheDirectSumForEachImpulseAndRandomInput) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> value(-1.0, 1.0);
  // 36 transforms in two batches: the 32 impulses, then random vectors.
  for (int batch = 0; batch < 2; ++batch) {
    std::array<std::array<double, 32>, 18> inputs{};
    SlotVectors in{};
    for (int t = 0; t < 18; ++t) {
      const int trial = batch * 18 + t;
      for (int k = 0; k < 32; ++k) {
        inputs[t][k] = trial < 32 ? (k == trial ? 1.0 : 0.0) : value(random);
        in[k][t] = static_cast<float>(inputs[t][k]);
      }
    }
    SlotVectors out{};
    Dct32(in, out);
    for (int t = 0; t < 18; ++t) {
      const std::array<double, 32> expected = test::DirectDct32(inputs[t]);
      for (int u = 0; u < 32; ++u) {
        ASSERT_NEAR(out[u][t], expected[u], 4e-6) << "transform " << batch * 18 + t << ", output " << u;
      }
    }
  }
}

TEST(Synthesis, SilenceStaysSilent) {
  SynthesisMemory memory;
  const SlotVectors silence{};
  for (int granule = 0; granule < 2; ++granule) {
    std::vector<float> out(576, 1.0f);
    Synthesize(silence, memory, out, 1);
    for (int n = 0; n < 576; ++n) ASSERT_EQ(out[n], 0.0f) << "granule " << granule << ", sample " << n;
  }
}

// Sound in the first slot only: sixteen slots later the memory holds no
// trace of it and the output is exactly zero.
TEST(Synthesis, SilenceAfterSoundIsSilentOnceTheMemoryHasPassed) {
  SynthesisMemory memory;
  SlotVectors subbands{};
  for (int sb = 0; sb < 32; ++sb) subbands[sb][0] = 0.5f;
  std::vector<float> out(576, 1.0f);
  Synthesize(subbands, memory, out, 1);
  EXPECT_TRUE(std::any_of(out.begin() + 15 * 32, out.begin() + 16 * 32, [](float v) { return v != 0.0f; }))
      << "slot 15 still hears slot 0";
  for (int n = 16 * 32; n < 576; ++n) EXPECT_EQ(out[n], 0.0f) << "sample " << n;
}

// One subband at a time, a changing value over enough steps to fill the
// whole memory, against the definition.
TEST(Synthesis, EachSubbandMatchesTheDirectMatrixing) {
  for (int sb = 0; sb < 32; ++sb) {
    const std::string name = "subband " + std::to_string(sb);
    CompareWithDirect(name.c_str(), 36, [sb](int step, int k) {
      return k == sb ? std::cos(0.3 * step + sb) * 0.9 : 0.0;
    });
  }
}

TEST(Synthesis, RandomSubbandsMatchTheDirectMatrixing) {
  std::mt19937 random(11);
  std::uniform_real_distribution<double> value(-0.5, 0.5);
  CompareWithDirect("random", 54, [&](int, int) { return value(random); });
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

#if MP3_SSE2_KERNELS
// The SSE2 kernel against the plain form on every kind of input, granule
// after granule so that the memory carries, for a mono and for one of two
// interleaved channels: the same samples and the same memory, bit for bit.
TEST(Synthesis, Sse2KernelGivesThePlainFormsOutputBitForBit) {
  for (const test::KernelInput& input : test::kKernelInputs) {
    for (const int stride : {1, 2}) {
      SynthesisMemory plainMemory;
      SynthesisMemory vectorMemory;
      for (int granule = 0; granule < 3; ++granule) {
        SlotVectors subbands;
        test::FillKernelInput(input, granule, std::span<float>(subbands[0].data(), 32 * 18));
        std::vector<float> plainOut(576 * 2, 99.0f);
        std::vector<float> vectorOut(576 * 2, 99.0f);
        Synthesize(subbands, plainMemory, plainOut, stride);
        SynthesizeSse2(subbands, vectorMemory, vectorOut, stride);
        EXPECT_EQ(test::FirstDifference(plainOut, vectorOut), "")
            << input.name << ", stride " << stride << ", granule " << granule << ": samples";
        EXPECT_EQ(test::FirstDifference(std::span<const float>(plainMemory.v[0].data(), 16 * 64),
                                        std::span<const float>(vectorMemory.v[0].data(), 16 * 64)),
                  "")
            << input.name << ", stride " << stride << ", granule " << granule << ": memory";
        EXPECT_EQ(plainMemory.newest, vectorMemory.newest) << input.name;
      }
    }
  }
}
#endif

}  // namespace
}  // namespace mp3::layer3
