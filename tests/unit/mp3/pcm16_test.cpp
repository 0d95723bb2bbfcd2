// Conversion to 16-bit PCM: rounding to nearest and saturation.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#if MP3_SSE2_KERNELS
#include <xmmintrin.h>
#endif

#include "player/mp3/decoder.h"
#include "player/mp3/pcm16_kernels.h"
#include "tests/unit/mp3/signal_reference.h"

namespace mp3 {
namespace {

TEST(ToPcm16, RoundsToNearestAndSaturates) {
  const struct {
    const char* name;
    float in;
    std::int16_t out;
  } kCases[] = {
      {"zero", 0.0f, 0},
      {"one step", 1.0f / 32768, 1},
      {"just under half a step", 0.49f / 32768, 0},
      {"just over half a step", 0.51f / 32768, 1},
      {"negative just over half a step", -0.51f / 32768, -1},
      {"0.7 steps", 0.7f / 32768, 1},
      {"-0.7 steps", -0.7f / 32768, -1},
      {"1.6 steps", 1.6f / 32768, 2},
      {"100.9 steps", 100.9f / 32768, 101},
      {"tie rounds to even, down", 2.5f / 32768, 2},
      {"tie rounds to even, up", 3.5f / 32768, 4},
      {"just under a tie", 2.4999998f / 32768, 2},
      {"half scale", 0.5f, 16384},
      {"largest positive", 32767.0f / 32768, 32767},
      {"full scale positive saturates", 1.0f, 32767},
      {"far over full scale saturates", 3.5f, 32767},
      {"full scale negative", -1.0f, -32768},
      {"far under full scale saturates", -7.0f, -32768},
      {"infinity", std::numeric_limits<float>::infinity(), 32767},
      {"minus infinity", -std::numeric_limits<float>::infinity(), -32768},
      {"not a number", std::numeric_limits<float>::quiet_NaN(), 0},
  };
  for (const auto& c : kCases) {
    const float in[1] = {c.in};
    std::int16_t out[1] = {123};
    ToPcm16(in, out);
    EXPECT_EQ(out[0], c.out) << c.name;
    // And within a run long enough for the vector kernel, if the build has
    // one, with a remainder for the plain form.
    const std::vector<float> run(19, c.in);
    std::vector<std::int16_t> converted(run.size(), 123);
    ToPcm16(run, converted);
    for (std::size_t i = 0; i < run.size(); ++i) EXPECT_EQ(converted[i], c.out) << c.name << ", sample " << i;
  }
}

#if MP3_SSE2_KERNELS
// The SSE2 kernel against the plain form on every kind of input, and on
// ties of every whole number near zero and near full scale, under each of
// the thread's rounding modes: the same output.
TEST(ToPcm16, Sse2KernelGivesThePlainFormsOutput) {
  std::vector<float> ties;
  for (int whole = -40; whole < 40; ++whole) ties.push_back((static_cast<float>(whole) + 0.5f) / 32768);
  for (int whole = 32727; whole < 32770; ++whole) {
    ties.push_back((static_cast<float>(whole) + 0.5f) / 32768);
    ties.push_back(-(static_cast<float>(whole) + 0.5f) / 32768);
  }
  std::vector<std::pair<std::string, std::vector<float>>> inputs = {{"ties", ties}};
  for (const test::KernelInput& input : test::kKernelInputs) {
    std::vector<float> values(1153);
    test::FillKernelInput(input, 0, values);
    inputs.emplace_back(input.name, values);
  }
  const struct {
    const char* name;
    unsigned mode;
  } kRoundingModes[] = {
      {"to nearest", _MM_ROUND_NEAREST},
      {"down", _MM_ROUND_DOWN},
      {"up", _MM_ROUND_UP},
      {"toward zero", _MM_ROUND_TOWARD_ZERO},
  };
  const unsigned saved = _mm_getcsr();
  for (const auto& rounding : kRoundingModes) {
    for (const auto& [name, in] : inputs) {
      std::vector<std::int16_t> plain(in.size(), 123);
      std::vector<std::int16_t> vector(in.size(), 456);
      _mm_setcsr((saved & ~_MM_ROUND_MASK) | rounding.mode);
      ToPcm16Plain(in, plain);
      ToPcm16Sse2(in, vector);
      _mm_setcsr(saved);
      for (std::size_t i = 0; i < in.size(); ++i) {
        ASSERT_EQ(plain[i], vector[i]) << name << ", rounding " << rounding.name << ", sample " << i << " ("
                                       << in[i] << ")";
      }
    }
  }
}
#endif

}  // namespace
}  // namespace mp3
