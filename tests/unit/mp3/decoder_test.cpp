// The whole decoder on MP3 files encoded by lame at build time from a
// 440 Hz sine: what comes out must be that sine, frame by frame in step,
// and the frame-to-frame state must start afresh where it should.
#include "player/mp3/decoder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "tests/unit/mp3/fixture_file.h"

namespace mp3 {
namespace {

struct OwnedFrame {
  FrameHeader header;
  std::vector<std::uint8_t> bytes;
  Frame view() const { return {header, bytes}; }
};

std::vector<OwnedFrame> FramesOf(const std::string& name) {
  const std::vector<std::uint8_t> data = ReadFixture(name);
  StreamParser parser;
  parser.Feed(data);
  parser.Finish();
  std::vector<OwnedFrame> frames;
  while (const auto frame = parser.Next()) {
    frames.push_back({frame->header, {frame->bytes.begin(), frame->bytes.end()}});
  }
  return frames;
}

// Decodes frames [first, end) with `decoder`; counts the frames it decoded.
std::vector<float> DecodeAll(Decoder& decoder, const std::vector<OwnedFrame>& frames,
                             std::size_t first, int* decoded = nullptr) {
  std::vector<float> pcm;
  for (std::size_t i = first; i < frames.size(); ++i) {
    const FrameHeader& h = frames[i].header;
    std::vector<float> out(static_cast<std::size_t>(h.samplesPerFrame) * h.channels, 99.0f);
    const bool ok = decoder.Decode(frames[i].view(), out);
    if (decoded != nullptr && ok) ++*decoded;
    pcm.insert(pcm.end(), out.begin(), out.end());
  }
  return pcm;
}

// How far one channel of `pcm` strays from the best-fitting sine of
// `frequency` over [begin, begin + count): residual RMS over the sine's RMS.
double SineResidual(const std::vector<float>& pcm, int channels, int channel, int rate,
                    double frequency, int begin, int count) {
  const double w = 2.0 * std::acos(-1.0) * frequency / rate;
  double ss = 0, sc = 0, cc = 0, ys = 0, yc = 0;
  for (int n = begin; n < begin + count; ++n) {
    const double s = std::sin(w * n), c = std::cos(w * n);
    const double y = pcm[static_cast<std::size_t>(n) * channels + channel];
    ss += s * s, sc += s * c, cc += c * c, ys += y * s, yc += y * c;
  }
  const double det = ss * cc - sc * sc;
  const double a = (ys * cc - yc * sc) / det;
  const double b = (yc * ss - ys * sc) / det;
  double residual = 0, signal = 0;
  for (int n = begin; n < begin + count; ++n) {
    const double fit = a * std::sin(w * n) + b * std::cos(w * n);
    const double y = pcm[static_cast<std::size_t>(n) * channels + channel];
    residual += (y - fit) * (y - fit);
    signal += fit * fit;
  }
  return std::sqrt(residual / signal);
}

struct ToneFile {
  const char* name;
  int rate;
  int channels;
};

const ToneFile kToneFiles[] = {
    {"cbr_stereo_44k", 44100, 2}, {"vbr_stereo_44k", 44100, 2},  {"cbr_stereo_44k_crc", 44100, 2},
    {"cbr_mono_44k", 44100, 1},   {"mpeg2_stereo_22k", 22050, 2}, {"mpeg25_mono_8k", 8000, 1},
};

TEST(Decoder, LameFilesDecodeToTheirSine) {
  for (const ToneFile& file : kToneFiles) {
    const std::vector<OwnedFrame> frames = FramesOf(file.name);
    ASSERT_GT(frames.size(), 10u) << file.name;
    Decoder decoder;
    int decoded = 0;
    const std::vector<float> pcm = DecodeAll(decoder, frames, 0, &decoded);
    EXPECT_EQ(decoded, static_cast<int>(frames.size())) << file.name << ": every frame decodes";
    std::size_t expected = 0;
    for (const OwnedFrame& f : frames) expected += static_cast<std::size_t>(f.header.samplesPerFrame) * file.channels;
    ASSERT_EQ(pcm.size(), expected) << file.name;
    // Half a second from 0.25 s on, past the encoder's delay and start.
    for (int ch = 0; ch < file.channels; ++ch) {
      const double residual = SineResidual(pcm, file.channels, ch, file.rate, 440.0, file.rate / 4, file.rate / 2);
      EXPECT_LT(residual, 0.03) << file.name << ", channel " << ch;
    }
  }
}

// A stream entered in the middle: frames whose main data lies in frames
// never seen play as silence and report it; once the reservoir holds what
// they point at, frames decode again.
TEST(Decoder, FramesWithoutTheirMainDataAreSilent) {
  const std::vector<OwnedFrame> frames = FramesOf("cbr_stereo_44k");
  bool sawSilentFrame = false;
  for (std::size_t start = 1; start < 30 && !sawSilentFrame; ++start) {
    Decoder decoder;
    const OwnedFrame& f = frames[start];
    std::vector<float> out(static_cast<std::size_t>(f.header.samplesPerFrame) * f.header.channels, 99.0f);
    if (decoder.Decode(f.view(), out)) continue;
    sawSilentFrame = true;
    for (std::size_t i = 0; i < out.size(); ++i) ASSERT_EQ(out[i], 0.0f) << "sample " << i;
    int decoded = 0;
    DecodeAll(decoder, frames, start + 1, &decoded);
    EXPECT_GT(decoded, static_cast<int>(frames.size() - start) - 4) << "frames after entering at " << start;
  }
  EXPECT_TRUE(sawSilentFrame) << "no frame in the first 30 uses the reservoir";
}

// Reset, or a change of sample rate or channel count, makes the next frame
// decode exactly as in a new decoder.
TEST(Decoder, ResetAndFormatChangesStartAfresh) {
  const std::vector<OwnedFrame> stereo44 = FramesOf("cbr_stereo_44k");
  const std::vector<OwnedFrame> mono44 = FramesOf("cbr_mono_44k");
  const std::vector<OwnedFrame> stereo22 = FramesOf("mpeg2_stereo_22k");
  const struct {
    const char* name;
    const std::vector<OwnedFrame>* before;
    const std::vector<OwnedFrame>* after;
    bool reset;
  } kCases[] = {
      {"Reset within one stream", &stereo44, &stereo44, true},
      {"sample rate changes", &stereo44, &stereo22, false},
      {"channel count changes", &stereo44, &mono44, false},
  };
  for (const auto& c : kCases) {
    Decoder fresh;
    const std::vector<float> expected = DecodeAll(fresh, *c.after, 0);
    Decoder used;
    DecodeAll(used, *c.before, 0);
    if (c.reset) used.Reset();
    const std::vector<float> actual = DecodeAll(used, *c.after, 0);
    ASSERT_EQ(actual.size(), expected.size()) << c.name;
    for (std::size_t i = 0; i < actual.size(); ++i) ASSERT_EQ(actual[i], expected[i]) << c.name << ", sample " << i;
  }
}

TEST(Decoder, TooShortAnOutputGetsSilenceNotAnOverrun) {
  const std::vector<OwnedFrame> frames = FramesOf("cbr_stereo_44k");
  Decoder decoder;
  std::vector<float> out(1000, 99.0f);
  EXPECT_FALSE(decoder.Decode(frames[0].view(), out));
  for (float v : out) ASSERT_EQ(v, 0.0f);
}

}  // namespace
}  // namespace mp3
