// Joint stereo processing on hand-made spectra: mid/side, and intensity
// stereo of MPEG-1 and of MPEG-2 in long and short blocks.
#include "player/mp3/layer3/stereo.h"

#include <gtest/gtest.h>

#include <cmath>

namespace mp3::layer3 {
namespace {

const ScalefactorBands& Bands44() { return ScalefactorBandsFor(44100); }
const ScalefactorBands& Bands22() { return ScalefactorBandsFor(22050); }

FrameHeader JointStereo(Version version, bool midSide, bool intensity) {
  FrameHeader h;
  h.version = version;
  h.channelMode = ChannelMode::JointStereo;
  h.channels = 2;
  h.modeExtension = (midSide ? 2 : 0) | (intensity ? 1 : 0);
  return h;
}

struct Spectra {
  std::array<float, kLines> left{};
  std::array<float, kLines> right{};
};

// Left is 1.0 everywhere; right is 0.5 below `rightEnd`, zero above.
Spectra Ramp(int rightEnd) {
  Spectra s;
  s.left.fill(1.0f);
  for (int i = 0; i < rightEnd; ++i) s.right[i] = 0.5f;
  return s;
}

TEST(Stereo, MidSideGivesSumAndDifferenceOverRootTwo) {
  Spectra s;
  s.left[10] = 3.0f;
  s.right[10] = 1.0f;
  ChannelGranule right;
  ProcessStereo(JointStereo(Version::Mpeg1, true, false), right, Bands44(), s.left, s.right);
  EXPECT_NEAR(s.left[10], 4.0 / std::sqrt(2.0), 1e-6);
  EXPECT_NEAR(s.right[10], 2.0 / std::sqrt(2.0), 1e-6);
}

TEST(Stereo, OtherModesAndPlainJointStereoLeaveBothChannels) {
  FrameHeader kHeaders[3] = {JointStereo(Version::Mpeg1, false, false),
                             JointStereo(Version::Mpeg1, true, true),
                             JointStereo(Version::Mpeg1, true, true)};
  kHeaders[1].channelMode = ChannelMode::Stereo;
  kHeaders[2].channelMode = ChannelMode::DualChannel;
  const char* kNames[3] = {"joint stereo without mid/side or intensity", "stereo", "dual channel"};
  for (int c = 0; c < 3; ++c) {
    Spectra s = Ramp(300);
    ChannelGranule right;
    ProcessStereo(kHeaders[c], right, Bands44(), s.left, s.right);
    EXPECT_EQ(s.left[5], 1.0f) << kNames[c];
    EXPECT_EQ(s.right[5], 0.5f) << kNames[c];
    EXPECT_EQ(s.right[400], 0.0f) << kNames[c];
  }
}

struct IntensityCase {
  const char* name;
  int position;
  double left;
  double right;
};

// MPEG-1 long block, right channel non-zero up to line 30 (band 6 ends
// there): bands 7 and up are intensity coded with the band's position.
TEST(Stereo, Mpeg1IntensityLongBlockWeights) {
  const double t = std::tan(std::acos(-1.0) / 12.0);  // position 1
  const IntensityCase kCases[] = {
      {"position 0: all right", 0, 0.0, 1.0},
      {"position 1", 1, t / (1 + t), 1 / (1 + t)},
      {"position 3: centre", 3, 0.5, 0.5},
      {"position 6: all left", 6, 1.0, 0.0},
  };
  for (const IntensityCase& c : kCases) {
    Spectra s = Ramp(30);
    ChannelGranule right;
    right.scalefactors.longBands[9] = static_cast<std::uint8_t>(c.position);
    ProcessStereo(JointStereo(Version::Mpeg1, false, true), right, Bands44(), s.left, s.right);
    const int line = Bands44().longStart[9];
    EXPECT_NEAR(s.left[line], c.left, 1e-6) << c.name;
    EXPECT_NEAR(s.right[line], c.right, 1e-6) << c.name;
    EXPECT_EQ(s.right[29], 0.5f) << c.name << ": band below the intensity region";
  }
}

TEST(Stereo, Mpeg1IllegalPositionFallsBackToMidSide) {
  Spectra s = Ramp(30);
  ChannelGranule right;
  right.scalefactors.longBands.fill(7);
  ProcessStereo(JointStereo(Version::Mpeg1, true, true), right, Bands44(), s.left, s.right);
  const int line = Bands44().longStart[12];
  EXPECT_NEAR(s.left[line], 1.0 / std::sqrt(2.0), 1e-6);
  EXPECT_NEAR(s.right[line], 1.0 / std::sqrt(2.0), 1e-6);
  EXPECT_NEAR(s.left[0], 1.5 / std::sqrt(2.0), 1e-6) << "mid/side below";
}

TEST(Stereo, HighestLongBandTakesThePositionOfTheBandBelow) {
  Spectra s = Ramp(30);
  ChannelGranule right;
  right.scalefactors.longBands[20] = 6;
  ProcessStereo(JointStereo(Version::Mpeg1, false, true), right, Bands44(), s.left, s.right);
  EXPECT_NEAR(s.left[500], 1.0, 1e-6);
  EXPECT_NEAR(s.right[500], 0.0, 1e-6);
}

// MPEG-2: odd positions lower the left, even ones the right, by steps of
// 2^(-1/4) (intensity scale 0) or 2^(-1/2) (scale 1); the band's illegal
// position leaves it to mid/side.
TEST(Stereo, Mpeg2IntensityWeightsAndIllegalPosition) {
  const struct {
    const char* name;
    int compress;
    int position;
    int illegal;
    double left;
    double right;
  } kCases[] = {
      {"position 0", 0, 0, 7, 1.0, 1.0},
      {"odd position, scale 0", 0, 3, 7, std::pow(2.0, -0.5), 1.0},
      {"even position, scale 0", 0, 4, 7, 1.0, std::pow(2.0, -0.5)},
      {"odd position, scale 1", 1, 3, 7, 0.5, 1.0},
      {"even position, scale 1", 1, 6, 15, 1.0, std::pow(2.0, -1.5)},
      {"illegal position: mid/side", 0, 7, 7, 1.0 / std::sqrt(2.0), 1.0 / std::sqrt(2.0)},
  };
  for (const auto& c : kCases) {
    Spectra s = Ramp(36);
    ChannelGranule right;
    right.info.scalefacCompress = 256 + c.compress;
    right.scalefactors.longBands[10] = static_cast<std::uint8_t>(c.position);
    right.scalefactors.longIllegal[10] = static_cast<std::uint8_t>(c.illegal);
    ProcessStereo(JointStereo(Version::Mpeg2, true, true), right, Bands22(), s.left, s.right);
    const int line = Bands22().longStart[10];
    EXPECT_NEAR(s.left[line], c.left, 1e-6) << c.name;
    EXPECT_NEAR(s.right[line], c.right, 1e-6) << c.name;
  }
}

// Short blocks: each window starts intensity above its own last non-zero
// band of the right channel.
TEST(Stereo, ShortBlockIntensityStartsPerWindow) {
  const ScalefactorBands& bands = Bands44();
  Spectra s;
  s.left.fill(1.0f);
  // Right channel: window 0 non-zero in band 5, window 1 in band 2, window
  // 2 nothing at all.
  const int width5 = bands.shortStart[6] - bands.shortStart[5];
  s.right[bands.shortStart[5] * 3 + 0 * width5] = 0.25f;
  const int width2 = bands.shortStart[3] - bands.shortStart[2];
  s.right[bands.shortStart[2] * 3 + 1 * width2] = 0.25f;
  ChannelGranule right;
  right.info.blockType = BlockType::Short;
  for (auto& band : right.scalefactors.shortBands) band = {3, 3, 3};
  ProcessStereo(JointStereo(Version::Mpeg1, false, true), right, bands, s.left, s.right);
  // Position 3 halves the left of an intensity coded line; a plain line
  // keeps it.
  const struct {
    int band;
    int window;
    bool intensity;
  } kExpect[] = {{5, 0, false}, {6, 0, true}, {2, 1, false}, {3, 1, true}, {0, 2, true}};
  for (const auto& e : kExpect) {
    const int width = bands.shortStart[e.band + 1] - bands.shortStart[e.band];
    const int line = bands.shortStart[e.band] * 3 + e.window * width + width - 1;
    EXPECT_NEAR(s.left[line], e.intensity ? 0.5 : 1.0, 1e-6)
        << "band " << e.band << ", window " << e.window;
  }
}

// Mixed blocks: with the right channel's last non-zero line in the long
// part, the long bands above it and every short band are intensity coded;
// with one in the short part, no long band is, and the short bands follow
// the per-window rule.
TEST(Stereo, MixedBlockIntensityRegion) {
  const ScalefactorBands& bands = Bands44();
  const int shortBand5Window1 = bands.shortStart[5] * 3 + (bands.shortStart[6] - bands.shortStart[5]);
  const struct {
    const char* name;
    int nonzeroLine;
    int longLine;        // a line in long band 6 (lines 24..29)
    bool longIntensity;   // whether that long band is intensity coded
    bool shortIntensity;  // whether short band 4, window 1 is
  } kCases[] = {
      {"last non-zero in long band 2", 9, 25, true, true},
      {"last non-zero in short band 5, window 1", shortBand5Window1, 25, false, false},
  };
  for (const auto& c : kCases) {
    Spectra s;
    s.left.fill(1.0f);
    s.right[c.nonzeroLine] = 0.25f;
    ChannelGranule right;
    right.info.blockType = BlockType::Short;
    right.info.mixedBlock = true;
    right.scalefactors.longBands.fill(3);
    for (auto& band : right.scalefactors.shortBands) band = {3, 3, 3};
    ProcessStereo(JointStereo(Version::Mpeg1, false, true), right, bands, s.left, s.right);
    EXPECT_NEAR(s.left[c.longLine], c.longIntensity ? 0.5 : 1.0, 1e-6) << c.name << ": long band 6";
    const int width4 = bands.shortStart[5] - bands.shortStart[4];
    const int shortLine = bands.shortStart[4] * 3 + width4;
    EXPECT_NEAR(s.left[shortLine], c.shortIntensity ? 0.5 : 1.0, 1e-6) << c.name << ": short band 4, window 1";
    EXPECT_NEAR(s.left[bands.shortStart[12] * 3], 0.5, 1e-6) << c.name << ": short band 12, window 0";
  }
}

}  // namespace
}  // namespace mp3::layer3
