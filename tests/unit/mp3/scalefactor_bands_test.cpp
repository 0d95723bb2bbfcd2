// The scale factor band and scale factor length tables as transcribed: band
// starts rise from 0 to the end of the block, and each layout of the MPEG-2
// scale factors covers every coded band exactly once.
#include <gtest/gtest.h>

#include <numeric>

#include "player/mp3/layer3/granule.h"
#include "player/mp3/layer3/scalefactor_bands.h"
#include "player/mp3/layer3/scalefactor_tables.h"

namespace mp3::layer3 {
namespace {

TEST(ScalefactorBands, StartsRiseFromZeroToTheBlockEnd) {
  for (const ScalefactorBands& bands : kScalefactorBands) {
    EXPECT_EQ(bands.longStart.front(), 0) << bands.sampleRate;
    EXPECT_EQ(bands.longStart.back(), 576) << bands.sampleRate;
    EXPECT_EQ(bands.shortStart.front(), 0) << bands.sampleRate;
    EXPECT_EQ(bands.shortStart.back(), 192) << bands.sampleRate;
    for (std::size_t i = 1; i < bands.longStart.size(); ++i) {
      EXPECT_LT(bands.longStart[i - 1], bands.longStart[i]) << bands.sampleRate << " long band " << i;
      EXPECT_EQ(bands.longStart[i] % 2, 0) << bands.sampleRate << " long band " << i;
    }
    for (std::size_t i = 1; i < bands.shortStart.size(); ++i) {
      EXPECT_LT(bands.shortStart[i - 1], bands.shortStart[i]) << bands.sampleRate << " short band " << i;
    }
  }
}

TEST(ScalefactorBands, LookupByRate) {
  for (const int rate : {44100, 48000, 32000, 22050, 24000, 16000, 11025, 12000, 8000}) {
    EXPECT_EQ(ScalefactorBandsFor(rate).sampleRate, rate);
  }
  EXPECT_EQ(ScalefactorBandsFor(0).sampleRate, 44100);
}

// Long blocks code bands 0-20, short blocks bands 0-11 of three windows, and
// mixed blocks six long bands then short bands 3-11.
TEST(LsfScalefactorCounts, EveryLayoutCoversEveryBandOnce) {
  constexpr int kExpected[3] = {21, 36, 6 + 27};
  GranuleInfo mixed;
  mixed.windowSwitching = true;
  mixed.blockType = BlockType::Short;
  mixed.mixedBlock = true;
  const int mixedLongBands = BandSplitOf(mixed, Version::Mpeg2).longBands;
  for (std::size_t row = 0; row < kLsfScalefactorCounts.size(); ++row) {
    for (std::size_t kind = 0; kind < 3; ++kind) {
      const auto& counts = kLsfScalefactorCounts[row][kind];
      EXPECT_EQ(std::accumulate(counts.begin(), counts.end(), 0), kExpected[kind]) << "row " << row << " kind " << kind;
      if (kind == 0) continue;
      // Short parts hold whole bands (three windows each), past the long
      // bands of a mixed block.
      for (std::size_t part = 0; part < counts.size(); ++part) {
        const int shortValues = counts[part] - (kind == 2 && part == 0 ? mixedLongBands : 0);
        EXPECT_EQ(shortValues % 3, 0) << "row " << row << " kind " << kind << " part " << part;
      }
    }
  }
}

}  // namespace
}  // namespace mp3::layer3
