// The whole bitstream stage on sequences of hand-made frames: main data
// found through the bit reservoir, frames that cannot be decoded, and
// damaged frames that must never make it read outside what it was given.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bit_writer.h"
#include "layer3_frame_builder.h"
#include "player/mp3/layer3/bitstream.h"

namespace mp3::layer3 {
namespace {

using test::BitWriter;
using test::BuildFrame;
using test::HeaderOf;
using test::SlotLength;
using Bytes = std::vector<std::uint8_t>;

// MPEG-1, 128 kbit/s, 44100 Hz, mono: 417-byte frames, 396-byte slots.
constexpr std::array<std::uint8_t, 4> kMono = {0xFF, 0xFB, 0x90, 0xC0};
// The same with a CRC after the header.
constexpr std::array<std::uint8_t, 4> kMonoCrc = {0xFF, 0xFA, 0x90, 0xC0};
// MPEG-2, 64 kbit/s, 22050 Hz, mono: 208-byte frames, one granule.
constexpr std::array<std::uint8_t, 4> kMpeg2Mono = {0xFF, 0xF3, 0x80, 0xC0};

// Each granule codes one pair, (value, 0), with table 1 and no scale
// factor bits: 3 bits of main data.
constexpr int kGranuleBits = 3;

void PutGranule(BitWriter& out, int value) {
  out.Put(value == 0 ? 1 : 0b01, value == 0 ? 1 : 2);  // code of (1, 0) is 01, of (0, 0) is 1
  if (value != 0) out.Put(value < 0 ? 1 : 0, 1);
}

SideInfo OnePairSideInfo(int mainDataBegin, std::array<int, 2> values) {
  SideInfo side;
  side.mainDataBegin = mainDataBegin;
  for (int gr = 0; gr < 2; ++gr) {
    GranuleInfo& info = side.granule[gr][0];
    info.part23Length = values[gr] == 0 ? 1 : kGranuleBits;
    info.bigValues = 1;
    info.tableSelect = {1, 1, 1};
    info.region0Count = 15;
    info.region1Count = 7;
  }
  return side;
}

// The main data of a frame whose granules code `values`, as bytes.
Bytes MainData(std::array<int, 2> values, int granules) {
  BitWriter bits;
  for (int gr = 0; gr < granules; ++gr) PutGranule(bits, values[gr]);
  return bits.bytes();
}

// A frame with `header` whose main data begins `back` bytes before its slot;
// `slot` fills the slot (zeros after it).
Bytes Frame(const std::array<std::uint8_t, 4>& header, int back, std::array<int, 2> values, const Bytes& slot) {
  return BuildFrame(header, OnePairSideInfo(back, values), slot);
}

// A slot whose last `back` bytes start the main data of values `next`.
Bytes SlotEndingWith(int slotLength, int back, std::array<int, 2> next) {
  Bytes slot(static_cast<std::size_t>(slotLength), 0xAA);
  const Bytes main = MainData(next, 2);
  std::copy(main.begin(), main.end(), slot.end() - back);
  return slot;
}

void ExpectValues(const FrameData& data, std::array<int, 2> values, const std::string& where) {
  ASSERT_TRUE(data.decoded) << where;
  for (int gr = 0; gr < data.granules; ++gr) {
    EXPECT_EQ(data.granule[gr][0].quantized[0], values[gr]) << where << " granule " << gr;
    EXPECT_EQ(data.granule[gr][0].quantized[1], 0) << where << " granule " << gr;
    EXPECT_EQ(data.granule[gr][0].nonzeroEnd, 2) << where << " granule " << gr;
  }
}

TEST(BitstreamReader, MainDataInTheFramesOwnSlot) {
  BitstreamReader reader;
  FrameData data;
  const Bytes frame = Frame(kMono, 0, {1, -1}, MainData({1, -1}, 2));
  reader.Read(frame, HeaderOf(kMono), data);
  EXPECT_EQ(data.granules, 2);
  ExpectValues(data, {1, -1}, "mono");
}

TEST(BitstreamReader, CrcProtectedFrameDecodes) {
  BitstreamReader reader;
  FrameData data;
  reader.Read(Frame(kMonoCrc, 0, {-1, 1}, MainData({-1, 1}, 2)), HeaderOf(kMonoCrc), data);
  ExpectValues(data, {-1, 1}, "crc");
}

TEST(BitstreamReader, Mpeg2FrameHasOneGranule) {
  BitstreamReader reader;
  FrameData data;
  reader.Read(Frame(kMpeg2Mono, 0, {-1, 0}, MainData({-1, 0}, 1)), HeaderOf(kMpeg2Mono), data);
  EXPECT_EQ(data.granules, 1);
  ExpectValues(data, {-1, 0}, "mpeg2");
}

TEST(BitstreamReader, MainDataBeforeTheStreamIsNotDecoded) {
  BitstreamReader reader;
  FrameData data;
  const FrameHeader header = HeaderOf(kMono);
  const int slot = SlotLength(header);
  // The first frame points back 10 bytes: nothing is there yet.
  reader.Read(Frame(kMono, 10, {1, 1}, SlotEndingWith(slot, 20, {-1, 1})), header, data);
  EXPECT_FALSE(data.decoded);
  // The second frame's main data begins 20 bytes back, in the first slot.
  reader.Read(Frame(kMono, 20, {-1, 1}, Bytes{}), header, data);
  ExpectValues(data, {-1, 1}, "second frame");
  // After a reset the reservoir is empty again.
  reader.Reset();
  reader.Read(Frame(kMono, 20, {-1, 1}, Bytes{}), header, data);
  EXPECT_FALSE(data.decoded);
}

TEST(BitstreamReader, MainDataBegins511BytesBackAcrossTwoFrames) {
  BitstreamReader reader;
  FrameData data;
  const FrameHeader header = HeaderOf(kMono);
  const int slot = SlotLength(header);
  ASSERT_LT(slot, 511);
  // 511 bytes before the third slot lie in the first slot, this far in:
  const int offset = 2 * slot - 511;
  Bytes first(static_cast<std::size_t>(slot), 0x55);
  const Bytes main = MainData({1, 1}, 2);
  std::copy(main.begin(), main.end(), first.begin() + offset);
  reader.Read(Frame(kMono, 0, {0, 0}, first), header, data);
  reader.Read(Frame(kMono, 0, {0, 0}, Bytes{}), header, data);
  reader.Read(Frame(kMono, 511, {1, 1}, Bytes{}), header, data);
  ExpectValues(data, {1, 1}, "third frame");
}

TEST(BitstreamReader, UndecodableSideInfoStillFillsTheReservoir) {
  BitstreamReader reader;
  FrameData data;
  const FrameHeader header = HeaderOf(kMono);
  SideInfo bad = OnePairSideInfo(0, {1, 1});
  bad.granule[1][0].bigValues = 300;
  reader.Read(BuildFrame(kMono, bad, SlotEndingWith(SlotLength(header), 8, {1, -1})), header, data);
  EXPECT_FALSE(data.decoded);
  reader.Read(Frame(kMono, 8, {1, -1}, Bytes{}), header, data);
  ExpectValues(data, {1, -1}, "frame after the bad one");
}

TEST(BitstreamReader, CutFrameEmptiesTheReservoir) {
  BitstreamReader reader;
  FrameData data;
  const FrameHeader header = HeaderOf(kMono);
  const Bytes whole = Frame(kMono, 0, {1, 1}, SlotEndingWith(SlotLength(header), 8, {1, -1}));
  reader.Read(std::span(whole).first(whole.size() - 1), header, data);
  EXPECT_FALSE(data.decoded);
  reader.Read(Frame(kMono, 8, {1, -1}, Bytes{}), header, data);
  EXPECT_FALSE(data.decoded) << "points back into a frame that was cut";
  reader.Read(Frame(kMono, 0, {1, -1}, MainData({1, -1}, 2)), header, data);
  ExpectValues(data, {1, -1}, "frame with its own main data");
}

TEST(BitstreamReader, LengthsBeyondTheMainDataAreNotDecoded) {
  BitstreamReader reader;
  FrameData data;
  const FrameHeader header = HeaderOf(kMono);
  SideInfo side = OnePairSideInfo(0, {1, 1});
  side.granule[1][0].part23Length = 4095;  // with granule 0, more bits than the slot holds
  reader.Read(BuildFrame(kMono, side, MainData({1, 1}, 2)), header, data);
  EXPECT_FALSE(data.decoded);
  EXPECT_EQ(data.granule[0][0].nonzeroEnd, 0);
}

TEST(BitstreamReader, ScaleFactorsPastTheGranuleLengthAreNotDecoded) {
  BitstreamReader reader;
  FrameData data;
  const FrameHeader header = HeaderOf(kMono);
  SideInfo side = OnePairSideInfo(0, {1, 1});
  side.granule[0][0].scalefacCompress = 15;  // 74 bits of scale factors in a 3-bit granule
  reader.Read(BuildFrame(kMono, side, Bytes(40, 0)), header, data);
  EXPECT_FALSE(data.decoded);
}

}  // namespace
}  // namespace mp3::layer3
