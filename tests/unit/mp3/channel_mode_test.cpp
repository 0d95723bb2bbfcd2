// The parser on two-channel streams whose frames change channel mode: an
// encoder may switch between stereo, joint stereo and dual channel from one
// frame to the next, and the frames still form one stream. A change between
// one and two channels does not.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/mp3_summary.h"
#include "synthetic_stream.h"

namespace mp3::test {
namespace {

constexpr std::size_t kPairs = 6;

// The MPEG-1 128 kbit/s 44100 Hz header of the synthetic streams with the
// channel-mode byte `modeByte` (mode in bits 7-6, mode extension in bits 5-4).
HeaderBytes WithMode(std::uint8_t modeByte) { return {0xFF, 0xFB, 0x90, modeByte}; }

struct AlternatingCase {
  const char* name;
  std::uint8_t firstMode;
  std::uint8_t secondMode;
  std::size_t frames;  // audio frames the parser yields
};

void PrintTo(const AlternatingCase& c, std::ostream* out) { *out << c.name; }

const AlternatingCase kCases[] = {
    {"stereo_and_joint_stereo", 0x00, 0x40, 2 * kPairs},
    {"joint_stereo_with_changing_mode_extension", 0x60, 0x50, 2 * kPairs},
    {"stereo_and_dual_channel", 0x00, 0x80, 2 * kPairs},
    {"joint_stereo_and_dual_channel", 0x70, 0x80, 2 * kPairs},
    {"stereo_and_mono", 0x00, 0xC0, 0},
};

class AlternatingModeTest : public testing::TestWithParam<AlternatingCase> {};

TEST_P(AlternatingModeTest, FramesBelongToOneStreamOnlyWithTheSameChannelCount) {
  const AlternatingCase& c = GetParam();
  Bytes stream;
  for (std::size_t i = 0; i < kPairs; ++i) {
    stream = Concat({stream, Frames(WithMode(c.firstMode), kMpeg1Stereo128Length, 1),
                     Frames(WithMode(c.secondMode), kMpeg1Stereo128Length, 1)});
  }
  const Summary summary = Summarize(stream);
  EXPECT_EQ(summary.frames, c.frames) << c.name;
  EXPECT_TRUE(summary.uniform) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Synthetic, AlternatingModeTest, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace mp3::test
