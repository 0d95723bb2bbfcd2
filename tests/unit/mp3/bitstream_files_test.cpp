// The bitstream stage on MP3 files encoded by lame at build time. lame codes
// every granule exactly: its Huffman data ends at part2_3_length, which
// checks the side information, the reservoir, the scale factor lengths, the
// region boundaries and every Huffman table the file uses.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "player/mp3/layer3/bit_reservoir.h"
#include "player/mp3/layer3/bitstream.h"
#include "player/mp3/layer3/huffman_decoder.h"
#include "player/mp3/layer3/scalefactors.h"
#include "player/mp3/layer3/side_info.h"
#include "player/mp3/stream_parser.h"
#include "tests/unit/mp3/fixture_file.h"

namespace mp3::layer3 {
namespace {

// Every frame of the file, copied out of the parser.
struct OwnedFrame {
  FrameHeader header;
  std::vector<std::uint8_t> bytes;
};

std::vector<OwnedFrame> FramesOf(const std::string& name) {
  const std::vector<std::uint8_t> data = ReadFixture(name);
  StreamParser parser;
  parser.Feed(data);
  parser.Finish();
  std::vector<OwnedFrame> frames;
  while (const auto frame = parser.Next()) frames.push_back({frame->header, {frame->bytes.begin(), frame->bytes.end()}});
  return frames;
}

// What the stages found in a whole file, read stage by stage.
struct FileFacts {
  int granules = 0;           // granules of all channels
  int endedAtPart23 = 0;      // whose Huffman data ended exactly at part2_3_length
  int shortBlocks = 0;
  int soundingGranules = 0;   // granules (all channels together) with a nonzero value
  std::vector<std::string> failures;
};

FileFacts ReadStageByStage(const std::vector<OwnedFrame>& frames) {
  FileFacts facts;
  BitReservoir reservoir;
  SideInfo side;
  ChannelGranule granules[2][2];
  for (std::size_t f = 0; f < frames.size(); ++f) {
    const FrameHeader& header = frames[f].header;
    const std::span<const std::uint8_t> bytes(frames[f].bytes);
    const std::string where = "frame " + std::to_string(f);
    if (!ReadSideInfo(bytes, header, side)) {
      facts.failures.push_back(where + ": side information");
      continue;
    }
    const auto slot = bytes.subspan(static_cast<std::size_t>(header.SideInfoOffset() + header.SideInfoLength()));
    const auto mainData = reservoir.Append(slot, static_cast<std::size_t>(side.mainDataBegin));
    if (!mainData) {
      facts.failures.push_back(where + ": main data before the reservoir");
      continue;
    }
    BitReader reader(*mainData);
    const bool mpeg1 = header.version == Version::Mpeg1;
    const bool intensity = HasIntensityStereo(header);
    for (int gr = 0; gr < (mpeg1 ? 2 : 1); ++gr) {
      bool sounding = false;
      for (int ch = 0; ch < header.channels; ++ch) {
        ChannelGranule& granule = granules[gr][ch];
        granule.info = side.granule[gr][ch];
        const std::size_t end = reader.position() + static_cast<std::size_t>(granule.info.part23Length);
        if (mpeg1) {
          ReadMpeg1Scalefactors(reader, granule.info, gr, side.scfsi[ch], granules[0][ch].scalefactors,
                                granule.scalefactors);
        } else {
          ReadLsfScalefactors(reader, granule.info, intensity && ch == 1, granule.scalefactors);
        }
        ++facts.granules;
        if (!ReadSpectrum(reader, end, ScalefactorBandsFor(header.sampleRate), granule)) {
          facts.failures.push_back(where + " granule " + std::to_string(gr) + " channel " + std::to_string(ch));
        }
        if (reader.position() == end) ++facts.endedAtPart23;
        if (granule.info.blockType == BlockType::Short) ++facts.shortBlocks;
        for (int i = 0; i < granule.nonzeroEnd; ++i) sounding = sounding || granule.quantized[static_cast<std::size_t>(i)] != 0;
        reader.SeekTo(end);
      }
      if (sounding) ++facts.soundingGranules;
    }
  }
  return facts;
}

struct EncodedFile {
  const char* name;
  int channels;
  std::size_t minFrames;
  bool crc = false;  // every frame carries a CRC
};

void PrintTo(const EncodedFile& file, std::ostream* out) { *out << file.name; }

const EncodedFile kEncodedFiles[] = {
    {"cbr_stereo_44k", 2, 70},   {"cbr_stereo_44k_crc", 2, 70, true}, {"vbr_stereo_44k", 2, 70},
    {"cbr_mono_44k", 1, 70},     {"mpeg2_stereo_22k", 2, 70},         {"mpeg25_mono_8k", 1, 25},
    {"id3v2_picture", 2, 70},
};

class BitstreamFileTest : public testing::TestWithParam<EncodedFile> {};

TEST_P(BitstreamFileTest, EveryGranuleEndsExactlyAtItsLength) {
  const EncodedFile& file = GetParam();
  const std::vector<OwnedFrame> frames = FramesOf(file.name);
  ASSERT_GE(frames.size(), file.minFrames) << file.name;
  for (const OwnedFrame& frame : frames) ASSERT_EQ(frame.header.hasCrc, file.crc) << file.name;

  const FileFacts facts = ReadStageByStage(frames);
  for (const std::string& failure : facts.failures) ADD_FAILURE() << file.name << ": " << failure;
  EXPECT_EQ(facts.endedAtPart23, facts.granules) << file.name;
  // A steady tone: almost every granule carries sound (in joint stereo the
  // side channel of a tone alike in both channels may be silent).
  const int granuleTimes = facts.granules / file.channels;
  EXPECT_GE(facts.soundingGranules, granuleTimes * 9 / 10) << file.name;
  // lame opens each tone with short blocks, so their regions and scale
  // factors are checked too.
  EXPECT_GT(facts.shortBlocks, 0) << file.name;
}

TEST_P(BitstreamFileTest, ReaderDecodesEveryFrame) {
  const EncodedFile& file = GetParam();
  BitstreamReader reader;
  FrameData data;
  std::size_t decoded = 0;
  const std::vector<OwnedFrame> frames = FramesOf(file.name);
  for (const OwnedFrame& frame : frames) {
    reader.Read(frame.bytes, frame.header, data);
    EXPECT_EQ(data.granules, frame.header.version == Version::Mpeg1 ? 2 : 1) << file.name;
    if (data.decoded) ++decoded;
  }
  EXPECT_EQ(decoded, frames.size()) << file.name;
}

INSTANTIATE_TEST_SUITE_P(Lame, BitstreamFileTest, testing::ValuesIn(kEncodedFiles),
                         [](const auto& info) { return std::string(info.param.name); });

// What a decoded frame must hold whatever its input: values only below
// nonzeroEnd, none beyond what 13 linbits can code.
void ExpectWithinBounds(const FrameData& data, const std::string& where) {
  if (!data.decoded) return;
  for (int gr = 0; gr < data.granules; ++gr) {
    for (int ch = 0; ch < data.header.channels; ++ch) {
      const ChannelGranule& granule = data.granule[gr][ch];
      ASSERT_GE(granule.nonzeroEnd, 0) << where;
      ASSERT_LE(granule.nonzeroEnd, kLines) << where;
      for (int line = 0; line < kLines; ++line) {
        const int value = granule.quantized[static_cast<std::size_t>(line)];
        if (line >= granule.nonzeroEnd) {
          ASSERT_EQ(value, 0) << where << " line " << line;
        }
        ASSERT_LE(std::abs(value), 15 + 8191) << where << " line " << line;
      }
    }
  }
}

constexpr const char* kDamagedFiles[] = {"cbr_stereo_44k", "mpeg2_stereo_22k", "mpeg25_mono_8k"};

TEST(DamagedFrames, FrameCutAtEveryLengthIsNotDecoded) {
  constexpr std::size_t kIntact = 8;
  for (const char* name : kDamagedFiles) {
    const std::vector<OwnedFrame> frames = FramesOf(name);
    ASSERT_GT(frames.size(), kIntact + 1) << name;
    BitstreamReader intact;
    FrameData data;
    for (std::size_t f = 0; f < kIntact; ++f) intact.Read(frames[f].bytes, frames[f].header, data);
    const OwnedFrame& victim = frames[kIntact];
    for (std::size_t length = 0; length < victim.bytes.size(); ++length) {
      BitstreamReader reader = intact;
      reader.Read(std::span(victim.bytes).first(length), victim.header, data);
      EXPECT_FALSE(data.decoded) << name << " cut to " << length;
      reader.Read(frames[kIntact + 1].bytes, frames[kIntact + 1].header, data);
      ExpectWithinBounds(data, std::string(name) + " after a frame cut to " + std::to_string(length));
    }
  }
}

TEST(DamagedFrames, FlippedBitsStayWithinBounds) {
  std::mt19937 random(20261208);
  for (const char* name : kDamagedFiles) {
    std::vector<OwnedFrame> frames = FramesOf(name);
    for (int round = 0; round < 20; ++round) {
      BitstreamReader reader;
      FrameData data;
      for (OwnedFrame& frame : frames) {
        std::vector<std::uint8_t> damaged = frame.bytes;
        // Flip a few bits after the header: side information and main data.
        for (int flip = 0; flip < 1 + round % 4; ++flip) {
          const std::size_t bit = kHeaderLength * 8 + random() % ((damaged.size() - kHeaderLength) * 8);
          damaged[bit / 8] ^= static_cast<std::uint8_t>(0x80 >> (bit % 8));
        }
        reader.Read(damaged, frame.header, data);
        ExpectWithinBounds(data, std::string(name) + " round " + std::to_string(round));
      }
    }
  }
}

TEST(DamagedFrames, RandomBodiesStayWithinBounds) {
  std::mt19937 random(8122026);
  for (const char* name : kDamagedFiles) {
    const std::vector<OwnedFrame> frames = FramesOf(name);
    BitstreamReader reader;
    FrameData data;
    std::size_t decoded = 0;
    for (int i = 0; i < 2000; ++i) {
      std::vector<std::uint8_t> frame = frames[static_cast<std::size_t>(i) % frames.size()].bytes;
      for (std::size_t b = kHeaderLength; b < frame.size(); ++b) frame[b] = static_cast<std::uint8_t>(random());
      reader.Read(frame, frames.front().header, data);
      ExpectWithinBounds(data, std::string(name) + " random frame " + std::to_string(i));
      if (data.decoded) ++decoded;
    }
    // Random side information rarely holds together.
    EXPECT_LT(decoded, 2000u) << name;
  }
}

}  // namespace
}  // namespace mp3::layer3
