// Reordering, alias reduction and the per-subband IMDCT with overlap-add on
// hand-made spectra.
#include "player/mp3/layer3/hybrid_filter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "player/mp3/layer3/antialias.h"
#include "player/mp3/layer3/imdct.h"
#include "player/mp3/layer3/reorder.h"
#include "player/mp3/layer3/scalefactor_bands.h"
#include "tests/unit/mp3/signal_reference.h"

#if MP3_SSE2_KERNELS
#include "player/mp3/layer3/hybrid_filter_sse2.h"
#endif

namespace mp3::layer3 {
namespace {

// Each line labelled with its own index, so a moved line says where from.
std::array<float, kLines> Labelled() {
  std::array<float, kLines> xr{};
  for (int i = 0; i < kLines; ++i) xr[i] = static_cast<float>(i);
  return xr;
}

TEST(Reorder, ShortBlockLinesGoToTheirSubbandAndWindow) {
  const ScalefactorBands& bands = ScalefactorBandsFor(44100);
  std::array<float, kLines> xr = Labelled();
  ReorderShortBlock(xr, bands, 0);
  // Band 5 of 44.1 kHz covers lines 16..21 of each window; its window-1
  // line 2 (frequency 18) sits at 16 * 3 + 1 * 6 + 2 = 56 in bitstream order
  // and belongs to subband 3, slot 6 + 0.
  EXPECT_EQ(xr[3 * 18 + 6 + 0], 56.0f);
  // Frequency 0 of window 2 (bitstream line 8) goes to subband 0, slot 12.
  EXPECT_EQ(xr[12], 8.0f);
  // Every line lands exactly once.
  std::vector<int> seen(kLines, 0);
  for (float v : xr) ++seen[static_cast<int>(v)];
  for (int i = 0; i < kLines; ++i) ASSERT_EQ(seen[i], 1) << "bitstream line " << i;
}

TEST(Reorder, MixedBlockKeepsTheLongLines) {
  const ScalefactorBands& bands = ScalefactorBandsFor(44100);
  std::array<float, kLines> xr = Labelled();
  ReorderShortBlock(xr, bands, 3);
  for (int i = 0; i < 36; ++i) ASSERT_EQ(xr[i], static_cast<float>(i)) << "line " << i;
  // Short band 3 starts at bitstream line 36: frequency 12 of window 0,
  // subband 2, slot 0.
  EXPECT_EQ(xr[36], 36.0f);
  // Its window 1 (line 40) goes to subband 2, slot 6.
  EXPECT_EQ(xr[36 + 6], 40.0f);
}

// Which subband boundaries the butterflies touch, by block kind.
TEST(ReduceAliases, ButterfliesOnlyWhereTheBlockKindAllows) {
  const struct {
    const char* name;
    BlockType type;
    bool mixed;
    int changedBoundaries;
  } kCases[] = {{"long", BlockType::Normal, false, 31},
                {"start", BlockType::Start, false, 31},
                {"short", BlockType::Short, false, 0},
                {"mixed", BlockType::Short, true, 1}};
  for (const auto& c : kCases) {
    std::array<float, kLines> xr;
    xr.fill(0.0f);
    for (int sb = 0; sb < 32; ++sb) xr[sb * 18] = 1.0f;  // one line per subband
    GranuleInfo info;
    info.blockType = c.type;
    info.mixedBlock = c.mixed;
    ReduceAliases(xr, info);
    int changed = 0;
    for (int sb = 1; sb < 32; ++sb) {
      if (xr[sb * 18 - 1] != 0.0f) ++changed;
    }
    EXPECT_EQ(changed, c.changedBoundaries) << c.name;
  }
}

// The first butterfly of a boundary, worked by hand: c = -0.6.
TEST(ReduceAliases, FirstButterflyMatchesItsCoefficients) {
  std::array<float, kLines> xr{};
  xr[17] = 1.0f;
  xr[18] = 2.0f;
  GranuleInfo info;
  ReduceAliases(xr, info);
  const double norm = std::sqrt(1.0 + 0.36);
  EXPECT_NEAR(xr[17], 1.0 / norm - 2.0 * (-0.6 / norm), 1e-6);
  EXPECT_NEAR(xr[18], 2.0 / norm + 1.0 * (-0.6 / norm), 1e-6);
}

// Two granules through one subband: the output is the first half of this
// granule's IMDCT plus the second half of the previous one; odd subbands
// have their odd samples negated.
TEST(InverseMdctGranule, OverlapsGranulesAndInvertsOddSubbands) {
  for (int sb : {4, 7}) {
    OverlapMemory overlap{};
    SubbandSamples out{};
    GranuleInfo info;
    std::array<float, kLines> first{};
    first[sb * 18 + 2] = 1.0f;
    std::array<float, kLines> second{};
    second[sb * 18 + 5] = 0.5f;
    InverseMdctGranule(first, info, overlap, out);
    InverseMdctGranule(second, info, overlap, out);

    std::array<float, 36> a{};
    InverseMdctLong(std::span<const float, 18>(first.data() + sb * 18, 18), BlockType::Normal, a);
    std::array<float, 36> b{};
    InverseMdctLong(std::span<const float, 18>(second.data() + sb * 18, 18), BlockType::Normal, b);
    for (int i = 0; i < 18; ++i) {
      const float sign = (sb % 2 == 1 && i % 2 == 1) ? -1.0f : 1.0f;
      ASSERT_NEAR(out[sb][i], sign * (b[i] + a[18 + i]), 1e-6) << "subband " << sb << ", sample " << i;
      ASSERT_EQ(overlap[sb][i], b[18 + i]) << "subband " << sb << ", memory " << i;
    }
    for (int other = 0; other < 32; ++other) {
      if (other != sb) {
        ASSERT_EQ(out[other][0], 0.0f) << "subband " << other;
      }
    }
  }
}

// Mixed blocks of every switched type: the two lowest subbands use the
// normal window, the rest the block's own.
TEST(InverseMdctGranule, MixedBlockUsesTheNormalWindowBelowSubbandTwo) {
  for (const BlockType type : {BlockType::Short, BlockType::Start, BlockType::Stop}) {
    GranuleInfo info;
    info.blockType = type;
    info.mixedBlock = true;
    for (int sb : {1, 2}) {
      OverlapMemory overlap{};
      SubbandSamples out{};
      std::array<float, kLines> xr{};
      xr[sb * 18 + 1] = 1.0f;
      InverseMdctGranule(xr, info, overlap, out);
      std::array<float, 36> expected{};
      const std::span<const float, 18> lines(xr.data() + sb * 18, 18);
      if (sb < 2) {
        InverseMdctLong(lines, BlockType::Normal, expected);
      } else if (type == BlockType::Short) {
        InverseMdctShort(lines, expected);
      } else {
        InverseMdctLong(lines, type, expected);
      }
      for (int i = 0; i < 18; ++i) {
        const float sign = (sb % 2 == 1 && i % 2 == 1) ? -1.0f : 1.0f;
        ASSERT_NEAR(out[sb][i], sign * expected[i], 1e-6)
            << "block type " << static_cast<int>(type) << ", subband " << sb << ", sample " << i;
      }
    }
  }
}

#if MP3_SSE2_KERNELS
// The SSE2 kernel against the plain form on every kind of input, granule
// after granule through every block kind so that the overlap carries: the
// same samples and the same memory, bit for bit.
TEST(InverseMdctGranule, Sse2KernelGivesThePlainFormsOutputBitForBit) {
  const struct {
    const char* name;
    BlockType type;
    bool mixed;
  } kBlocks[] = {{"normal", BlockType::Normal, false}, {"start", BlockType::Start, false},
                 {"short", BlockType::Short, false},   {"stop", BlockType::Stop, false},
                 {"mixed short", BlockType::Short, true}, {"mixed start", BlockType::Start, true},
                 {"mixed stop", BlockType::Stop, true},   {"normal again", BlockType::Normal, false}};
  const auto flat = [](auto& rows) { return std::span<const float>(rows[0].data(), rows.size() * rows[0].size()); };
  for (const test::KernelInput& input : test::kKernelInputs) {
    OverlapMemory plainOverlap{};
    OverlapMemory vectorOverlap{};
    int round = 0;
    for (const auto& block : kBlocks) {
      std::array<float, kLines> xr;
      test::FillKernelInput(input, round++, xr);
      GranuleInfo info;
      info.windowSwitching = block.type != BlockType::Normal;
      info.blockType = block.type;
      info.mixedBlock = block.mixed;
      SubbandSamples plainOut{};
      SubbandSamples vectorOut{};
      InverseMdctGranule(xr, info, plainOverlap, plainOut);
      InverseMdctGranuleSse2(xr, info, vectorOverlap, vectorOut);
      EXPECT_EQ(test::FirstDifference(flat(plainOut), flat(vectorOut)), "")
          << input.name << ", " << block.name << " block: samples [subband * 18 + slot]";
      EXPECT_EQ(test::FirstDifference(flat(plainOverlap), flat(vectorOverlap)), "")
          << input.name << ", " << block.name << " block: overlap [subband * 18 + slot]";
    }
  }
}
#endif

}  // namespace
}  // namespace mp3::layer3
