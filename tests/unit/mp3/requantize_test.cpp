// Requantisation on hand-made granules: gains, scale factors, preemphasis,
// subblock gains and the band layout of long, short and mixed blocks.
#include "player/mp3/layer3/requantize.h"

#include <gtest/gtest.h>

#include <cmath>

#include "player/mp3/layer3/requantize_tables.h"

namespace mp3::layer3 {
namespace {

const ScalefactorBands& Bands44() { return ScalefactorBandsFor(44100); }

// A long-block granule at unity gain whose every line is `q`.
ChannelGranule Filled(int q) {
  ChannelGranule g;
  g.info.globalGain = 210;
  g.quantized.fill(q);
  g.nonzeroEnd = kLines;
  return g;
}

// Line 0 of Filled(q), requantized.
float RequantizedLine(int q) {
  std::array<float, kLines> xr{};
  Requantize(Filled(q), Version::Mpeg1, Bands44(), xr);
  return xr[0];
}

// |q|^(4/3) with q's sign, from the table and past it.
TEST(Requantize, ValuesAreRaisedToTheFourThirds) {
  const int kValues[] = {0, 1, 2, 3, 8, 15, 100, kPow43TableSize - 1, kPow43TableSize,
                         kPow43TableSize + 1, 4000, kMaxQuantized};
  for (int q : kValues) {
    const double expected = std::pow(static_cast<double>(q), 4.0 / 3.0);
    EXPECT_NEAR(RequantizedLine(q), expected, expected * 1e-7) << "q = " << q;
    EXPECT_EQ(RequantizedLine(-q), -RequantizedLine(q)) << "q = " << -q;
  }
}

// Values no Huffman code gives, as a damaged granule might hold: capped at
// the largest magnitude, never overflowed.
TEST(Requantize, ValuesNoCodeGivesAreCapped) {
  const int kValues[] = {kMaxQuantized + 1, 100000, 2147483647, -2147483647 - 1};
  for (int q : kValues) {
    ChannelGranule g = Filled(q);
    std::array<float, kLines> xr{};
    Requantize(g, Version::Mpeg1, Bands44(), xr);
    const float expected = q < 0 ? -RequantizedLine(kMaxQuantized) : RequantizedLine(kMaxQuantized);
    EXPECT_EQ(xr[0], expected) << "q = " << q;
    EXPECT_EQ(xr[kLines - 1], expected) << "q = " << q;
  }
}

struct LongCase {
  const char* name;
  int globalGain;
  bool scalefacScale;
  bool preflag;
  int band;
  int scalefactor;
  int q;
  double expected;
};

TEST(Requantize, LongBlockGainsAndScaleFactors) {
  const LongCase kCases[] = {
      {"unity", 210, false, false, 0, 0, 1, 1.0},
      {"eight to the four thirds", 210, false, false, 0, 0, 8, 16.0},
      {"negative value", 210, false, false, 0, 0, -8, -16.0},
      {"global gain +4 doubles", 214, false, false, 0, 0, 1, 2.0},
      {"global gain -1 is 2^-1/4", 209, false, false, 0, 0, 1, std::pow(2.0, -0.25)},
      {"low global gain", 2, false, false, 0, 0, 1, std::pow(2.0, -52.0)},
      {"highest global gain", 255, false, false, 0, 0, 1, std::pow(2.0, 11.25)},
      {"quietest: gain 0, scale factor 15 in steps of 2", 0, true, false, 0, 15, 1, std::pow(2.0, -67.5)},
      {"scale factor step sqrt 2", 210, false, false, 5, 3, 1, std::pow(2.0, -1.5)},
      {"scale factor step 2 with scalefac_scale", 210, true, false, 5, 3, 1, 0.125},
      {"preflag adds pretab 3 in band 17", 210, false, true, 17, 1, 1, std::pow(2.0, -2.0)},
      {"preflag leaves band 10 alone", 210, false, true, 10, 0, 1, 1.0},
      {"band 21 has no scale factor", 210, false, false, 21, 0, 1, 1.0},
  };
  for (const LongCase& c : kCases) {
    ChannelGranule g = Filled(c.q);
    g.info.globalGain = c.globalGain;
    g.info.scalefacScale = c.scalefacScale;
    g.info.preflag = c.preflag;
    if (c.band < 21) g.scalefactors.longBands[c.band] = static_cast<std::uint8_t>(c.scalefactor);
    std::array<float, kLines> xr{};
    Requantize(g, Version::Mpeg1, Bands44(), xr);
    const int line = Bands44().longStart[c.band];
    EXPECT_NEAR(xr[line], c.expected, std::abs(c.expected) * 1e-6) << c.name;
  }
}

TEST(Requantize, LinesPastTheCodedEndAreZero) {
  ChannelGranule g = Filled(5);
  g.nonzeroEnd = 100;
  std::array<float, kLines> xr;
  xr.fill(7.0f);
  Requantize(g, Version::Mpeg1, Bands44(), xr);
  EXPECT_NE(xr[99], 0.0f);
  for (int i = 100; i < kLines; ++i) ASSERT_EQ(xr[i], 0.0f) << "line " << i;
}

// Short block: each window's lines of a band lie together in bitstream
// order and take that window's subblock gain and scale factor.
TEST(Requantize, ShortBlockWindowsTakeTheirOwnGains) {
  ChannelGranule g = Filled(1);
  g.info.blockType = BlockType::Short;
  g.info.windowSwitching = true;
  g.info.subblockGain = {0, 1, 2};
  g.scalefactors.shortBands[4] = {1, 0, 2};
  std::array<float, kLines> xr{};
  Requantize(g, Version::Mpeg1, Bands44(), xr);
  const int start = Bands44().shortStart[4];
  const int width = Bands44().shortStart[5] - start;
  const double kExpected[3] = {std::pow(2.0, -0.5), std::pow(2.0, -2.0), std::pow(2.0, -5.0)};
  for (int w = 0; w < 3; ++w) {
    for (int j = 0; j < width; ++j) {
      const int line = start * 3 + w * width + j;
      ASSERT_NEAR(xr[line], kExpected[w], 1e-7) << "window " << w << ", line " << line;
    }
  }
}

// Mixed block: long bands below line 36 (MPEG-1, bands 0..7) use the long
// scale factors; the short bands from 3 on use the short ones.
TEST(Requantize, MixedBlockSplitsAtTheLongBandsInUse) {
  ChannelGranule g = Filled(1);
  g.info.blockType = BlockType::Short;
  g.info.mixedBlock = true;
  g.info.windowSwitching = true;
  g.scalefactors.longBands[7] = 2;
  g.scalefactors.longBands[8] = 9;  // not in use in a mixed block
  g.scalefactors.shortBands[3] = {4, 4, 4};
  std::array<float, kLines> xr{};
  Requantize(g, Version::Mpeg1, Bands44(), xr);
  EXPECT_NEAR(xr[35], 0.5, 1e-7) << "last line of long band 7";
  EXPECT_NEAR(xr[36], 0.25, 1e-7) << "first line of short band 3";
}

}  // namespace
}  // namespace mp3::layer3
