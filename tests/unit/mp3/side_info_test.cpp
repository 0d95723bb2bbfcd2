// Side information of hand-made frames: every field of each layout comes
// back as written, the implied fields are filled, and inconsistent side
// information is refused.
#include <gtest/gtest.h>

#include <string>

#include "layer3_frame_builder.h"
#include "player/mp3/layer3/lsf_scalefactor_layout.h"
#include "player/mp3/layer3/side_info.h"

namespace mp3::layer3 {
namespace {

using test::BuildFrame;
using test::HeaderOf;

using HeaderBytes = std::array<std::uint8_t, 4>;

constexpr HeaderBytes kMpeg1Stereo = {0xFF, 0xFB, 0x90, 0x00};
constexpr HeaderBytes kMpeg1MonoCrc = {0xFF, 0xFA, 0x90, 0xC0};
constexpr HeaderBytes kMpeg2JointIntensity = {0xFF, 0xF3, 0x80, 0x50};  // 22050 Hz, 64 kbit/s
constexpr HeaderBytes kMpeg2Mono = {0xFF, 0xF3, 0x80, 0xC0};            // 22050 Hz, 64 kbit/s
constexpr HeaderBytes kMpeg25Mono = {0xFF, 0xE3, 0x88, 0xC0};           // 8000 Hz, 64 kbit/s

GranuleInfo LongGranule(int part23, int bigValues, int compress) {
  GranuleInfo info;
  info.part23Length = part23;
  info.bigValues = bigValues;
  info.globalGain = 170;
  info.scalefacCompress = compress;
  info.tableSelect = {1, 15, 31};
  info.region0Count = 15;
  info.region1Count = 7;
  info.scalefacScale = true;
  info.count1TableB = true;
  return info;
}

GranuleInfo SwitchedGranule(BlockType type, bool mixed) {
  GranuleInfo info;
  info.part23Length = 4095;
  info.bigValues = 288;
  info.globalGain = 255;
  info.scalefacCompress = 3;
  info.windowSwitching = true;
  info.blockType = type;
  info.mixedBlock = mixed;
  info.tableSelect = {24, 13, 0};
  info.subblockGain = {7, 0, 5};
  info.region0Count = type == BlockType::Short && !mixed ? 8 : 7;
  info.region1Count = 36;
  return info;
}

void ExpectSame(const GranuleInfo& read, const GranuleInfo& written, const std::string& where) {
  EXPECT_EQ(read.part23Length, written.part23Length) << where;
  EXPECT_EQ(read.bigValues, written.bigValues) << where;
  EXPECT_EQ(read.globalGain, written.globalGain) << where;
  EXPECT_EQ(read.scalefacCompress, written.scalefacCompress) << where;
  EXPECT_EQ(read.windowSwitching, written.windowSwitching) << where;
  EXPECT_EQ(read.blockType, written.blockType) << where;
  EXPECT_EQ(read.mixedBlock, written.mixedBlock) << where;
  EXPECT_EQ(read.tableSelect, written.tableSelect) << where;
  EXPECT_EQ(read.subblockGain, written.subblockGain) << where;
  EXPECT_EQ(read.region0Count, written.region0Count) << where;
  EXPECT_EQ(read.region1Count, written.region1Count) << where;
  EXPECT_EQ(read.preflag, written.preflag) << where;
  EXPECT_EQ(read.scalefacScale, written.scalefacScale) << where;
  EXPECT_EQ(read.count1TableB, written.count1TableB) << where;
}

struct SideInfoCase {
  const char* name;
  HeaderBytes header;
  SideInfo side;
};

void PrintTo(const SideInfoCase& c, std::ostream* out) { *out << c.name; }

SideInfo Mpeg1Stereo() {
  SideInfo side;
  side.mainDataBegin = 511;
  side.scfsi = {{{true, false, true, false}, {false, true, false, true}}};
  side.granule[0][0] = LongGranule(100, 10, 15);
  side.granule[0][1] = SwitchedGranule(BlockType::Short, false);
  side.granule[1][0] = SwitchedGranule(BlockType::Short, true);
  side.granule[1][1] = SwitchedGranule(BlockType::Stop, false);
  side.granule[1][1].preflag = true;
  return side;
}

SideInfo Mpeg1MonoWithCrc() {
  SideInfo side;
  side.mainDataBegin = 1;
  side.scfsi[0] = {false, false, false, true};
  side.granule[0][0] = SwitchedGranule(BlockType::Start, false);
  side.granule[1][0] = LongGranule(0, 0, 0);
  return side;
}

// Right channel with intensity stereo: scalefac_compress 501 is layout row 3
// (no preflag), while 501 on the left channel would imply the preflag.
SideInfo Mpeg2Intensity() {
  SideInfo side;
  side.mainDataBegin = 255;
  side.granule[0][0] = LongGranule(2000, 100, 501);
  side.granule[0][0].preflag = true;
  side.granule[0][1] = LongGranule(12, 1, 501);
  return side;
}

SideInfo Mpeg25Mono() {
  SideInfo side;
  side.granule[0][0] = SwitchedGranule(BlockType::Short, true);
  side.granule[0][0].scalefacCompress = 511;
  side.granule[0][0].preflag = true;
  return side;
}

// At 16, 22.05 and 24 kHz region 1 of a mixed block starts at line 36,
// after 6 long bands.
SideInfo Mpeg2MixedMono() {
  SideInfo side;
  side.granule[0][0] = SwitchedGranule(BlockType::Short, true);
  side.granule[0][0].region0Count = 5;
  return side;
}

const SideInfoCase kCases[] = {
    {"mpeg1_stereo", kMpeg1Stereo, Mpeg1Stereo()},
    {"mpeg1_mono_after_crc", kMpeg1MonoCrc, Mpeg1MonoWithCrc()},
    {"mpeg2_intensity_stereo", kMpeg2JointIntensity, Mpeg2Intensity()},
    {"mpeg2_mixed_mono", kMpeg2Mono, Mpeg2MixedMono()},
    {"mpeg25_mono", kMpeg25Mono, Mpeg25Mono()},
};

class SideInfoTest : public testing::TestWithParam<SideInfoCase> {};

TEST_P(SideInfoTest, EveryFieldComesBack) {
  const SideInfoCase& c = GetParam();
  const FrameHeader header = HeaderOf(c.header);
  const std::vector<std::uint8_t> frame = BuildFrame(c.header, c.side, {});
  SideInfo read;
  ASSERT_TRUE(ReadSideInfo(frame, header, read)) << c.name;
  EXPECT_EQ(read.mainDataBegin, c.side.mainDataBegin) << c.name;
  const bool mpeg1 = header.version == Version::Mpeg1;
  for (int ch = 0; ch < header.channels; ++ch) {
    if (mpeg1) {
      EXPECT_EQ(read.scfsi[ch], c.side.scfsi[ch]) << c.name << " channel " << ch;
    }
    for (int gr = 0; gr < (mpeg1 ? 2 : 1); ++gr) {
      ExpectSame(read.granule[gr][ch], c.side.granule[gr][ch],
                 std::string(c.name) + " granule " + std::to_string(gr) + " channel " + std::to_string(ch));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(HandMade, SideInfoTest, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct BadSideInfoCase {
  const char* name;
  HeaderBytes header;
  SideInfo side;
};

void PrintTo(const BadSideInfoCase& c, std::ostream* out) { *out << c.name; }

SideInfo WithGranule(GranuleInfo info) {
  SideInfo side;
  side.granule[1][1] = info;
  return side;
}

const BadSideInfoCase kBadCases[] = {
    {"big_values_289", kMpeg1Stereo, WithGranule(LongGranule(0, 289, 0))},
    {"big_values_511", kMpeg1Stereo, WithGranule(LongGranule(0, 511, 0))},
    {"switched_with_block_type_0", kMpeg1Stereo, WithGranule(SwitchedGranule(BlockType::Normal, false))},
};

class BadSideInfoTest : public testing::TestWithParam<BadSideInfoCase> {};

TEST_P(BadSideInfoTest, IsRefused) {
  const BadSideInfoCase& c = GetParam();
  const std::vector<std::uint8_t> frame = BuildFrame(c.header, c.side, {});
  SideInfo read;
  EXPECT_FALSE(ReadSideInfo(frame, HeaderOf(c.header), read)) << c.name;
}

INSTANTIATE_TEST_SUITE_P(HandMade, BadSideInfoTest, testing::ValuesIn(kBadCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct LayoutCase {
  int scalefacCompress;
  bool intensityRightChannel;
  int row;
  std::array<int, 4> bits;
  bool preflag;
};

// The edges of each range of the 9-bit scalefac_compress.
const LayoutCase kLayouts[] = {
    {0, false, 0, {0, 0, 0, 0}, false},   {399, false, 0, {4, 4, 3, 3}, false},
    {400, false, 1, {0, 0, 0, 0}, false}, {499, false, 1, {4, 4, 3, 0}, false},
    {500, false, 2, {0, 0, 0, 0}, true},  {511, false, 2, {3, 2, 0, 0}, true},
    {0, true, 3, {0, 0, 0, 0}, false},    {359, true, 3, {4, 5, 5, 0}, false},
    {360, true, 4, {0, 0, 0, 0}, false},  {487, true, 4, {3, 3, 3, 0}, false},
    {488, true, 5, {0, 0, 0, 0}, false},  {511, true, 5, {3, 2, 0, 0}, false},
};

TEST(LsfScalefactorLayout, RangesOfScalefacCompress) {
  for (const LayoutCase& c : kLayouts) {
    const LsfScalefactorLayout layout = LsfLayoutFor(c.scalefacCompress, c.intensityRightChannel);
    const std::string where = std::to_string(c.scalefacCompress) + (c.intensityRightChannel ? " intensity" : "");
    EXPECT_EQ(layout.row, c.row) << where;
    EXPECT_EQ(layout.bits, c.bits) << where;
    EXPECT_EQ(layout.preflag, c.preflag) << where;
  }
}

}  // namespace
}  // namespace mp3::layer3
