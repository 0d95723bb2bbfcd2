// The parser on MP3 files encoded by lame at build time.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <algorithm>
#include <vector>

#include "player/mp3/stream_parser.h"
#include "tests/unit/mp3/fixture_file.h"
#include "tests/support/mp3_summary.h"

namespace mp3 {
namespace {

struct EncodedFile {
  const char* name;
  Version version;
  int sampleRate;
  int channels;
  // The frame count lame wrote into the Info/Xing header; a file encoded
  // without that header names its tagged twin instead, whose count it must
  // match.
  const char* sameFramesAs;
};

constexpr double kToneSeconds = 2.0;  // length of every tone the script encodes

const EncodedFile kEncodedFiles[] = {
    {"cbr_stereo_44k", Version::Mpeg1, 44100, 2, nullptr},
    {"cbr_stereo_44k_notag", Version::Mpeg1, 44100, 2, "cbr_stereo_44k"},
    {"cbr_stereo_44k_crc", Version::Mpeg1, 44100, 2, nullptr},
    {"vbr_stereo_44k", Version::Mpeg1, 44100, 2, nullptr},
    {"cbr_mono_44k", Version::Mpeg1, 44100, 1, nullptr},
    {"mpeg2_stereo_22k", Version::Mpeg2, 22050, 2, nullptr},
    {"mpeg25_mono_8k", Version::Mpeg25, 8000, 1, nullptr},
    {"id3v2_picture", Version::Mpeg1, 44100, 2, nullptr},
    {"id3v1_trailer", Version::Mpeg1, 44100, 2, nullptr},
};

void PrintTo(const EncodedFile& file, std::ostream* out) { *out << file.name; }

class EncodedFileTest : public testing::TestWithParam<EncodedFile> {};

TEST_P(EncodedFileTest, FindsEveryAudioFrameWithTheStreamFormat) {
  const EncodedFile& file = GetParam();
  const Summary summary = Summarize(ReadFixture(file.name));

  EXPECT_EQ(summary.version, file.version) << file.name;
  EXPECT_EQ(summary.sampleRate, file.sampleRate) << file.name;
  EXPECT_EQ(summary.channels, file.channels) << file.name;
  EXPECT_TRUE(summary.uniform) << file.name;
  if (file.sameFramesAs) {
    EXPECT_FALSE(summary.declaredFrames.has_value()) << file.name;
    EXPECT_EQ(summary.frames, Summarize(ReadFixture(file.sameFramesAs)).frames) << file.name;
  } else {
    ASSERT_TRUE(summary.declaredFrames.has_value()) << file.name << ": Info/Xing header not recognised";
    EXPECT_EQ(summary.frames, *summary.declaredFrames) << file.name;
  }
  // The frames carry the whole tone, plus at most the encoder's delay and
  // padding (under three frames).
  const int samplesPerFrame = file.version == Version::Mpeg1 ? 1152 : 576;
  const double seconds = static_cast<double>(summary.frames) * samplesPerFrame / file.sampleRate;
  EXPECT_GE(seconds, kToneSeconds) << file.name;
  EXPECT_LE(seconds, kToneSeconds + 3.0 * samplesPerFrame / file.sampleRate) << file.name;
}

TEST_P(EncodedFileTest, SmallChunksGiveTheSameFramesAsTheWholeFile) {
  const EncodedFile& file = GetParam();
  const auto data = ReadFixture(file.name);
  const Summary whole = Summarize(data);
  for (const std::size_t chunk : {1u, 7u, 100u, 1441u, 4096u}) {
    const Summary chunked = Summarize(data, chunk);
    EXPECT_EQ(chunked.frames, whole.frames) << file.name << " in chunks of " << chunk;
    EXPECT_EQ(chunked.sampleRate, whole.sampleRate) << file.name << " in chunks of " << chunk;
    EXPECT_EQ(chunked.channels, whole.channels) << file.name << " in chunks of " << chunk;
    EXPECT_EQ(chunked.declaredFrames, whole.declaredFrames) << file.name << " in chunks of " << chunk;
    // The window holds a chunk plus at most one frame and a tag's lookahead,
    // however large the file or its tags.
    EXPECT_LE(chunked.maxBuffered, chunk + StreamParser::kMaxHeld) << file.name << " in chunks of " << chunk;
  }
}

// A reader that seeks past the tags the parser announces instead of reading
// them, as the playback component does with a file.
TEST_P(EncodedFileTest, SeekingPastTagsGivesTheSameFrames) {
  const EncodedFile& file = GetParam();
  const auto data = ReadFixture(file.name);
  constexpr std::size_t kChunk = 4096;
  StreamParser parser;
  std::size_t frames = 0, fed = 0;
  for (std::uint64_t at = 0; at < data.size();) {
    const auto length = static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, data.size() - at));
    parser.Feed(std::span(data).subspan(static_cast<std::size_t>(at), length));
    fed += length;
    at += length;
    while (parser.Next()) ++frames;
    at += parser.TakePendingSkip();
  }
  parser.Finish();
  while (parser.Next()) ++frames;

  EXPECT_EQ(frames, Summarize(data).frames) << file.name;
  if (std::string_view(file.name) == "id3v2_picture") {
    EXPECT_LT(fed, data.size() - 100000) << "the picture was read instead of skipped";
  }
}

INSTANTIATE_TEST_SUITE_P(LameEncoded, EncodedFileTest, testing::ValuesIn(kEncodedFiles),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace mp3
