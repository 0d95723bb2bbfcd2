// The parser on hand-made streams: tags, header frames, junk and truncation
// around silent frames, and inputs that hold no playable frame at all.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <random>
#include <string>
#include <string_view>

#include "player/mp3/stream_parser.h"
#include "tests/support/mp3_summary.h"
#include "synthetic_stream.h"

namespace mp3::test {
namespace {

constexpr std::size_t kFrameCount = 10;
constexpr std::size_t kChunkSizes[] = {0, 1, 13, 500};

Bytes Stream(std::size_t count = kFrameCount) { return Frames(kMpeg1Stereo128, kMpeg1Stereo128Length, count); }

// Frames of another format, hidden where the parser must not look.
Bytes FakeFrames() { return Frames(kMpeg2Mono64, kMpeg2Mono64Length, 5); }

Bytes Prefix(const Bytes& bytes, std::size_t length) { return Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length)); }

Bytes Junk() {
  Bytes junk;
  for (int i = 0; i < 300; ++i) junk.insert(junk.end(), {0xFF, 0xFB, 0x00, 0x12});
  return junk;
}

Bytes Tagged(std::uint8_t version, std::uint8_t flags, const Bytes& body, bool withFooter = false) {
  return Id3v2(version, flags, static_cast<std::uint32_t>(body.size()), body, withFooter);
}

// A stream whose first frame carries `text` at `offset` and the frame count
// at `countOffset`.
Bytes WithHeaderFrame(const HeaderBytes& header, std::size_t length, std::size_t offset, std::string_view text,
                      std::size_t countOffset) {
  const Bytes first = WithInfoHeader(Frames(header, length, 1), offset, text, countOffset, kFrameCount);
  return Concat({first, Frames(header, length, kFrameCount)});
}

Bytes WithHeader(const HeaderBytes& header, std::size_t count = kFrameCount,
                 std::size_t length = kMpeg1Stereo128Length) {
  return Frames(header, length, count);
}

constexpr HeaderBytes kFreeFormat = {0xFF, 0xFB, 0x00, 0x00};
constexpr HeaderBytes kReservedEmphasis = {0xFF, 0xFB, 0x90, 0x02};

struct Case {
  const char* name;
  std::function<Bytes()> make;
  std::size_t frames;
  std::optional<std::uint32_t> declaredFrames;
};

void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

const std::string_view kXing("Xing\0\0\0\x01", 8);

const Case kPlayableCases[] = {
    {"plain_frames", [] { return Stream(); }, kFrameCount, std::nullopt},
    {"id3v23_with_fake_frames_inside", [] { return Concat({Tagged(3, 0, FakeFrames()), Stream()}); }, kFrameCount,
     std::nullopt},
    {"id3v24_extended_header_and_footer",
     [] {
       const Bytes extended = {0, 0, 0, 6, 1, 0};
       return Concat({Tagged(4, 0x50, Concat({extended, FakeFrames()}), true), Stream()});
     },
     kFrameCount, std::nullopt},
    {"id3v24_without_footer_flag", [] { return Concat({Tagged(4, 0, FakeFrames()), Stream()}); }, kFrameCount,
     std::nullopt},
    {"id3v2_after_stream", [] { return Concat({Stream(), Tagged(3, 0, FakeFrames())}); }, kFrameCount,
     std::nullopt},
    {"id3v1_trailer", [] { return Concat({Stream(), Id3v1()}); }, kFrameCount, std::nullopt},
    {"ape_tag_with_fake_frames_then_id3v1", [] { return Concat({Stream(), ApeTag(FakeFrames()), Id3v1()}); },
     kFrameCount, std::nullopt},
    {"xing_header_frame", [] { return WithHeaderFrame(kMpeg1Stereo128, kMpeg1Stereo128Length, 36, kXing, 44); },
     kFrameCount, kFrameCount},
    {"xing_after_crc",
     [] { return WithHeaderFrame({0xFF, 0xFA, 0x90, 0x00}, kMpeg1Stereo128Length, 38, kXing, 46); }, kFrameCount,
     kFrameCount},
    // lame writes the tag of a CRC-protected stream where it would be
    // without the CRC.
    {"xing_of_crc_frame_at_offset_without_crc",
     [] { return WithHeaderFrame({0xFF, 0xFA, 0x90, 0x00}, kMpeg1Stereo128Length, 36, kXing, 44); }, kFrameCount,
     kFrameCount},
    {"info_of_crc_mpeg2_mono_at_offset_without_crc",
     [] {
       return WithHeaderFrame({0xFF, 0xF2, 0x80, 0xC0}, kMpeg2Mono64Length, 13, std::string_view("Info\0\0\0\x01", 8), 21);
     },
     kFrameCount, kFrameCount},
    {"info_in_mpeg2_mono",
     [] { return WithHeaderFrame(kMpeg2Mono64, kMpeg2Mono64Length, 13, std::string_view("Info\0\0\0\x01", 8), 21); },
     kFrameCount, kFrameCount},
    {"vbri_header_frame", [] { return WithHeaderFrame(kMpeg1Stereo128, kMpeg1Stereo128Length, 36, "VBRI", 50); },
     kFrameCount, kFrameCount},
    {"junk_before_stream", [] { return Concat({Junk(), Stream()}); }, kFrameCount, std::nullopt},
    // The frame before the junk has no confirming successor and is dropped.
    {"junk_inside_stream", [] { return Concat({Stream(4), Junk(), Stream(6)}); }, kFrameCount - 1, std::nullopt},
    {"truncated_last_frame", [] { return Concat({Stream(), Prefix(Stream(1), 200)}); },
     kFrameCount, std::nullopt},
    {"truncated_last_frame_then_id3v1",
     [] { return Concat({Stream(), Prefix(Stream(1), 300), Id3v1()}); }, kFrameCount,
     std::nullopt},
    // The length of a free-format frame is the distance to the next header.
    {"free_format", [] { return WithHeader(kFreeFormat); }, kFrameCount, std::nullopt},
    // Padded, the longest free-format frame is as long as the longest frame.
    {"free_format_longest_frames", [] { return WithHeader(kFreeFormat, kFrameCount, kMaxFrameLength - 1); },
     kFrameCount, std::nullopt},
    {"reserved_emphasis_after_first_frame", [] { return Concat({Stream(1), WithHeader(kReservedEmphasis)}); },
     kFrameCount + 1, std::nullopt},
    // Every frame carries the reserved emphasis: the stream starts once
    // enough frames follow one another.
    {"reserved_emphasis", [] { return WithHeader(kReservedEmphasis); }, kFrameCount, std::nullopt},
    // Longer than the longest frame of the bitrate table (lame --freeformat -b 450).
    {"free_format_1469_byte_frames", [] { return WithHeader(kFreeFormat, kFrameCount, 1469); }, kFrameCount,
     std::nullopt},
    // The shortest free-format frames without a CRC (header and side
    // information, 36 bytes), then frames of the same stream with a CRC: two
    // bytes too short for their side information, none of them is a frame.
    {"free_format_crc_frames_too_short_for_side_info",
     [] { return Concat({WithHeader(kFreeFormat, kFrameCount, 36), WithHeader({0xFF, 0xFA, 0x00, 0x00}, 4, 36)}); },
     kFrameCount, std::nullopt},
    // Only a valid tag confirms the frame before it: each run's last frame is
    // followed by a tag's name and junk, and is dropped.
    {"tag_names_without_tags",
     [] {
       const auto text = [](std::string_view name, std::size_t length) {
         Bytes bytes(name.begin(), name.end());
         bytes.resize(length, 'x');
         return bytes;
       };
       return Concat({Stream(3), text("ID3", 40), Stream(3), text("APETAGEX", 40), Stream(4), text("TAG", 300)});
     },
     kFrameCount - 3, std::nullopt},
};

const Case kUnplayableCases[] = {
    {"zero_bytes", [] { return Bytes(); }, 0, std::nullopt},
    {"random_bytes",
     [] {
       std::mt19937 random(20240611);
       Bytes bytes(64 * 1024);
       for (auto& byte : bytes) byte = static_cast<std::uint8_t>(random());
       return bytes;
     },
     0, std::nullopt},
    {"id3_size_beyond_file", [] { return Id3v2(3, 0, 0x0FFFFFFF, Stream(2)); }, 0, std::nullopt},
    {"fake_frames_only_inside_tag", [] { return Tagged(3, 0, Stream()); }, 0, std::nullopt},
    {"free_format_frame_alone", [] { return WithHeader(kFreeFormat, 1); }, 0, std::nullopt},
    {"free_format_frames_too_long_to_pad",
     [] { return WithHeader(kFreeFormat, kFrameCount, kMaxFrameLength); }, 0, std::nullopt},
    {"bitrate_index_15", [] { return WithHeader({0xFF, 0xFB, 0xF0, 0x00}); }, 0, std::nullopt},
    {"sample_rate_index_3", [] { return WithHeader({0xFF, 0xFB, 0x9C, 0x00}); }, 0, std::nullopt},
    {"reserved_version", [] { return WithHeader({0xFF, 0xEB, 0x90, 0x00}); }, 0, std::nullopt},
    {"layer_ii", [] { return WithHeader({0xFF, 0xFD, 0x90, 0x00}); }, 0, std::nullopt},
    // Too few frames with the reserved emphasis to start a stream.
    {"reserved_emphasis_two_frames", [] { return WithHeader(kReservedEmphasis, 2); }, 0, std::nullopt},
    {"single_frame_running_past_end", [] { return Prefix(Stream(1), 300); }, 0,
     std::nullopt},
    {"lone_frame_without_successor", [] { return Stream(1); }, 0, std::nullopt},
    {"alternating_formats",
     [] {
       Bytes out;
       for (int i = 0; i < 5; ++i) out = Concat({out, Stream(1), Frames(kMpeg2Mono64, kMpeg2Mono64Length, 1)});
       return out;
     },
     0, std::nullopt},
};

void CheckCase(const Case& c) {
  const Bytes data = c.make();
  for (const std::size_t chunk : kChunkSizes) {
    const Summary summary = Summarize(data, chunk);
    const std::string where = std::string(c.name) + " in chunks of " + std::to_string(chunk);
    EXPECT_EQ(summary.frames, c.frames) << where;
    EXPECT_EQ(summary.declaredFrames, c.declaredFrames) << where;
    EXPECT_TRUE(summary.uniform) << where;
    if (chunk != 0) {
      EXPECT_LE(summary.maxBuffered, chunk + StreamParser::kMaxHeld) << where;
    }
  }
}

class PlayableStreamTest : public testing::TestWithParam<Case> {};
TEST_P(PlayableStreamTest, YieldsExactlyTheAudioFrames) { CheckCase(GetParam()); }
INSTANTIATE_TEST_SUITE_P(Synthetic, PlayableStreamTest, testing::ValuesIn(kPlayableCases),
                         [](const auto& info) { return std::string(info.param.name); });

class UnplayableStreamTest : public testing::TestWithParam<Case> {};
TEST_P(UnplayableStreamTest, YieldsNoFrame) { CheckCase(GetParam()); }
INSTANTIATE_TEST_SUITE_P(Synthetic, UnplayableStreamTest, testing::ValuesIn(kUnplayableCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace mp3::test
