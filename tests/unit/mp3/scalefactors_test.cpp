// Scale factors read from hand-written bits: which band each value lands in
// for long, short and mixed blocks, MPEG-1 scale factor reuse between
// granules, and the MPEG-2 intensity positions that are "illegal".
#include <gtest/gtest.h>

#include <string>

#include "bit_writer.h"
#include "player/mp3/layer3/scalefactors.h"

namespace mp3::layer3 {
namespace {

using test::BitWriter;

GranuleInfo Granule(int compress, BlockType type = BlockType::Normal, bool mixed = false) {
  GranuleInfo info;
  info.scalefacCompress = compress;
  info.windowSwitching = type != BlockType::Normal;
  info.blockType = type;
  info.mixedBlock = mixed;
  return info;
}

// Value `base + i` for the i-th scale factor written, masked to its bits.
std::uint8_t Value(int base, int i, int bits) { return static_cast<std::uint8_t>((base + i) & ((1 << bits) - 1)); }

TEST(Mpeg1Scalefactors, LongBlockTakesBandsZeroToTwenty) {
  // scalefac_compress 15: 4 bits for bands 0-10, 3 bits for bands 11-20.
  BitWriter bits;
  for (int band = 0; band < 21; ++band) bits.Put(Value(5, band, band < 11 ? 4 : 3), band < 11 ? 4 : 3);
  BitReader reader(bits.bytes());
  ScaleFactors out;
  ReadMpeg1Scalefactors(reader, Granule(15), 0, {}, ScaleFactors{}, out);
  EXPECT_EQ(reader.position(), bits.bits());
  for (int band = 0; band < 21; ++band) EXPECT_EQ(out.longBands[band], Value(5, band, band < 11 ? 4 : 3)) << band;
  EXPECT_EQ(out.longBands[21], 0);
}

TEST(Mpeg1Scalefactors, SecondGranuleReusesTheFlaggedGroups) {
  ScaleFactors first;
  for (int band = 0; band < 21; ++band) first.longBands[band] = static_cast<std::uint8_t>(100 + band);
  const std::array<bool, 4> scfsi = {true, false, false, true};  // bands 0-5 and 16-20 reused
  // scalefac_compress 10: 2 bits for bands 0-10, 3 bits for 11-20.
  BitWriter bits;
  for (int band = 6; band < 16; ++band) bits.Put(Value(1, band, band < 11 ? 2 : 3), band < 11 ? 2 : 3);
  BitReader reader(bits.bytes());
  ScaleFactors out;
  ReadMpeg1Scalefactors(reader, Granule(10), 1, scfsi, first, out);
  EXPECT_EQ(reader.position(), bits.bits());
  for (int band = 0; band < 21; ++band) {
    const bool reused = band < 6 || band >= 16;
    EXPECT_EQ(out.longBands[band], reused ? first.longBands[band] : Value(1, band, band < 11 ? 2 : 3)) << band;
  }
}

TEST(Mpeg1Scalefactors, FirstGranuleIgnoresScfsi) {
  BitWriter bits;
  for (int band = 0; band < 21; ++band) bits.Put(1, 1);
  BitReader reader(bits.bytes());
  ScaleFactors first;
  first.longBands.fill(9);
  ScaleFactors out;
  ReadMpeg1Scalefactors(reader, Granule(5), 0, {true, true, true, true}, first, out);  // 1 bit, 1 bit
  EXPECT_EQ(reader.position(), 21u);
  for (int band = 0; band < 21; ++band) EXPECT_EQ(out.longBands[band], 1) << band;
}

TEST(Mpeg1Scalefactors, ShortBlockTakesBandsWindowByWindow) {
  // scalefac_compress 12: 3 bits for bands 0-5, 2 bits for bands 6-11.
  BitWriter bits;
  for (int band = 0; band < 12; ++band) {
    for (int window = 0; window < 3; ++window) bits.Put(Value(band, window, band < 6 ? 3 : 2), band < 6 ? 3 : 2);
  }
  BitReader reader(bits.bytes());
  ScaleFactors out;
  ReadMpeg1Scalefactors(reader, Granule(12, BlockType::Short), 1, {true, true, true, true}, ScaleFactors{}, out);
  EXPECT_EQ(reader.position(), bits.bits());
  for (int band = 0; band < 12; ++band) {
    for (int window = 0; window < 3; ++window) {
      EXPECT_EQ(out.shortBands[band][window], Value(band, window, band < 6 ? 3 : 2)) << band << "/" << window;
    }
  }
}

TEST(Mpeg1Scalefactors, MixedBlockTakesLongBandsZeroToSevenThenShortBandsFromThree) {
  // scalefac_compress 14: 4 bits, then 2 bits.
  BitWriter bits;
  for (int band = 0; band < 8; ++band) bits.Put(Value(3, band, 4), 4);
  for (int band = 3; band < 12; ++band) {
    for (int window = 0; window < 3; ++window) bits.Put(Value(band, window, band < 6 ? 4 : 2), band < 6 ? 4 : 2);
  }
  BitReader reader(bits.bytes());
  ScaleFactors out;
  ReadMpeg1Scalefactors(reader, Granule(14, BlockType::Short, true), 0, {}, ScaleFactors{}, out);
  EXPECT_EQ(reader.position(), bits.bits());
  for (int band = 0; band < 8; ++band) EXPECT_EQ(out.longBands[band], Value(3, band, 4)) << band;
  for (int band = 0; band < 3; ++band) EXPECT_EQ(out.shortBands[band], (std::array<std::uint8_t, 3>{})) << band;
  for (int band = 3; band < 12; ++band) {
    for (int window = 0; window < 3; ++window) {
      EXPECT_EQ(out.shortBands[band][window], Value(band, window, band < 6 ? 4 : 2)) << band << "/" << window;
    }
  }
}

// MPEG-2 layouts: part sizes and bits as in the standard's layout rows.
struct LsfCase {
  const char* name;
  int scalefacCompress;
  bool intensityRightChannel;
  BlockType type;
  bool mixed;
  std::array<int, 4> counts;  // scale factors in each part
  std::array<int, 4> bits;    // bits of each part's scale factors
};

void PrintTo(const LsfCase& c, std::ostream* out) { *out << c.name; }

const LsfCase kLsfCases[] = {
    // 4 * 80 + 3 * 4 + 2 = 334: row 0, bits 4, 0, 3, 2.
    {"row0_long", 334, false, BlockType::Normal, false, {6, 5, 5, 5}, {4, 0, 3, 2}},
    {"row0_short", 334, false, BlockType::Short, false, {9, 9, 9, 9}, {4, 0, 3, 2}},
    {"row0_mixed", 334, false, BlockType::Short, true, {6, 9, 9, 9}, {4, 0, 3, 2}},
    // 400 + 4 * (5 * 1 + 2) + 3 = 431: row 1, bits 1, 2, 3.
    {"row1_long", 431, false, BlockType::Normal, false, {6, 5, 7, 3}, {1, 2, 3, 0}},
    // 500 + 3 * 2 + 1 = 507: row 2, bits 2, 1.
    {"row2_short", 507, false, BlockType::Short, false, {18, 18, 0, 0}, {2, 1, 0, 0}},
    {"row2_mixed", 507, false, BlockType::Short, true, {15, 18, 0, 0}, {2, 1, 0, 0}},
    // Intensity, (36 * 2 + 6 * 3 + 4) * 2 + 1 = 189: row 3, bits 2, 3, 4.
    {"row3_long_intensity", 189, true, BlockType::Normal, false, {7, 7, 7, 0}, {2, 3, 4, 0}},
    // Intensity, (180 + 16 * 1 + 4 * 2 + 3) * 2 = 414: row 4, bits 1, 2, 3.
    {"row4_mixed_intensity", 414, true, BlockType::Short, true, {6, 12, 9, 6}, {1, 2, 3, 0}},
    // Intensity, (244 + 3 * 2 + 2) * 2 + 1 = 505: row 5, bits 2, 2.
    {"row5_short_intensity", 505, true, BlockType::Short, false, {15, 12, 9, 0}, {2, 2, 0, 0}},
};

class LsfScalefactorTest : public testing::TestWithParam<LsfCase> {};

TEST_P(LsfScalefactorTest, ValuesAndIllegalPositionsLandInTheirBands) {
  const LsfCase& c = GetParam();
  BitWriter bits;
  // Expected band and illegal position of each written value, in order.
  ScaleFactors expected;
  const bool shortBlock = c.type == BlockType::Short;
  int index = 0;
  for (std::size_t part = 0; part < 4; ++part) {
    for (int i = 0; i < c.counts[part]; ++i, ++index) {
      const int width = c.bits[part];
      const std::uint8_t value = Value(7, index, width);
      const auto illegal = static_cast<std::uint8_t>((1 << width) - 1);
      bits.Put(value, width);
      if (!shortBlock || (c.mixed && index < 6)) {
        expected.longBands[index] = value;
        expected.longIllegal[index] = illegal;
      } else {
        const int shortIndex = c.mixed ? index - 6 : index;
        const int band = (c.mixed ? 3 : 0) + shortIndex / 3;
        expected.shortBands[band][shortIndex % 3] = value;
        expected.shortIllegal[band] = illegal;
      }
    }
  }
  BitReader reader(bits.bytes());
  ScaleFactors out;
  ReadLsfScalefactors(reader, Granule(c.scalefacCompress, c.type, c.mixed), c.intensityRightChannel, out);
  EXPECT_EQ(reader.position(), bits.bits()) << c.name;
  EXPECT_EQ(out.longBands, expected.longBands) << c.name;
  EXPECT_EQ(out.longIllegal, expected.longIllegal) << c.name;
  EXPECT_EQ(out.shortBands, expected.shortBands) << c.name;
  EXPECT_EQ(out.shortIllegal, expected.shortIllegal) << c.name;
}

INSTANTIATE_TEST_SUITE_P(HandMade, LsfScalefactorTest, testing::ValuesIn(kLsfCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace mp3::layer3
