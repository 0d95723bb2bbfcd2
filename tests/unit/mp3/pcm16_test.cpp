// Conversion to 16-bit PCM: rounding to nearest and saturation.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "player/mp3/decoder.h"

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
  }
}

}  // namespace
}  // namespace mp3
