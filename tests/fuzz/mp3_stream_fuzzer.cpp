// libFuzzer target for the MP3 stream parser and decoder.
//
// Input layout: the first byte sets one chunk size (1 to 256 bytes), the
// second another (16 to 4096 bytes, in steps of 16); the rest is the stream.
// The stream is parsed whole, in chunks alternating between the two sizes
// while seeking past the tags the parser announces, and through Summarize
// both ways. Every run checks what must hold for any input: frames are
// verbatim, ordered, non-overlapping slices of the stream with legal headers
// and a confirming successor; the window stays within its bound; and every
// way of feeding the stream yields the same frames. Then the frames are
// decoded in order, each from a copy of exactly its bytes into a buffer of
// exactly its sample count filled with NaN beforehand: the decoder must
// write every sample, each finite, and neither read nor write outside the
// two buffers (AddressSanitizer catches that).
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "player/mp3/decoder.h"
#include "player/mp3/frame_header.h"
#include "player/mp3/stream_parser.h"
#include "tests/support/mp3_summary.h"

namespace {

using Bytes = std::span<const std::uint8_t>;

// What the parser's window may hold once Next returns empty.
constexpr std::size_t kLeftoverBound = mp3::StreamParser::kMaxHeld;

// The shortest Layer III frame: 8 kbit/s at 24 kHz (MPEG-2).
constexpr int kMinFrameLength = 24;

void Check(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "mp3_stream_fuzzer: invariant broken: %s\n", what);
  std::abort();
}

bool SameHeader(const mp3::FrameHeader& a, const mp3::FrameHeader& b) {
  return a.version == b.version && a.channelMode == b.channelMode && a.sampleRate == b.sampleRate &&
         a.channels == b.channels && a.bitrateKbps == b.bitrateKbps && a.frameLength == b.frameLength &&
         a.samplesPerFrame == b.samplesPerFrame && a.hasCrc == b.hasCrc;
}

bool Contains(std::span<const int> values, int value) {
  return std::find(values.begin(), values.end(), value) != values.end();
}

void CheckHeader(const mp3::FrameHeader& h, Bytes frame) {
  static constexpr std::array kRatesMpeg1 = {44100, 48000, 32000};
  static constexpr std::array kRatesMpeg2 = {22050, 24000, 16000};
  static constexpr std::array kRatesMpeg25 = {11025, 12000, 8000};
  static constexpr std::array kBitratesMpeg1 = {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
  static constexpr std::array kBitratesMpeg2 = {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};

  auto reparsed = mp3::ParseHeader(frame);
  Check(reparsed.has_value(), "a frame's bytes start with a valid header");
  // A free-format header does not hold its frame length; the parser finds it.
  if (reparsed->freeFormat) reparsed->frameLength = h.frameLength;
  Check(SameHeader(*reparsed, h), "a frame's header is the one its bytes hold");

  const bool mpeg1 = h.version == mp3::Version::Mpeg1;
  switch (h.version) {
    case mp3::Version::Mpeg1: Check(Contains(kRatesMpeg1, h.sampleRate), "MPEG-1 sample rate"); break;
    case mp3::Version::Mpeg2: Check(Contains(kRatesMpeg2, h.sampleRate), "MPEG-2 sample rate"); break;
    case mp3::Version::Mpeg25: Check(Contains(kRatesMpeg25, h.sampleRate), "MPEG-2.5 sample rate"); break;
    default: Check(false, "version is one of the three");
  }
  Check(h.freeFormat ? h.bitrateKbps == 0
                     : Contains(mpeg1 ? std::span<const int>(kBitratesMpeg1) : std::span<const int>(kBitratesMpeg2),
                                h.bitrateKbps),
        "bitrate is in the version's table, or 0 for free format");
  switch (h.channelMode) {
    case mp3::ChannelMode::Mono: Check(h.channels == 1, "mono has one channel"); break;
    case mp3::ChannelMode::Stereo:
    case mp3::ChannelMode::JointStereo:
    case mp3::ChannelMode::DualChannel: Check(h.channels == 2, "other modes have two channels"); break;
    default: Check(false, "channel mode is one of the four");
  }
  Check(h.samplesPerFrame == (mpeg1 ? 1152 : 576), "samples per frame match the version");
  Check((h.freeFormat || h.frameLength >= kMinFrameLength) && h.frameLength <= mp3::kMaxFrameLength,
        "frame length in range");
  Check(h.frameLength >= h.SideInfoOffset() + h.SideInfoLength(),
        "a frame holds its header, CRC and side information");
  Check(frame.size() == static_cast<std::size_t>(h.frameLength), "a frame is as long as its header says");
}

// A frame is yielded only when what follows it in the stream confirms it: a
// header of the same stream, a tag, or the end of the stream.
void CheckSuccessor(const mp3::FrameHeader& h, Bytes after) {
  if (after.size() < mp3::kHeaderLength) return;
  if (const auto next = mp3::ParseHeader(after); next && mp3::SameStream(h, *next)) return;
  for (const std::string_view tag : {"TAG", "ID3", "APETAGEX"}) {
    if (after.size() >= tag.size() && std::memcmp(after.data(), tag.data(), tag.size()) == 0) return;
  }
  Check(false, "a frame is followed by a matching header, a tag or the end of the stream");
}

struct FoundFrame {
  mp3::FrameHeader header;
  std::size_t offset = 0;
};

struct Parsed {
  std::vector<FoundFrame> frames;
  std::optional<std::uint32_t> declaredFrames;
};

// Parses `stream` in chunks cycling through `chunkSizes` (all at once when
// empty), draining Next after each Feed. When `seek`, bytes the parser
// announces as a tag to skip are passed over instead of fed.
Parsed Parse(Bytes stream, std::span<const std::size_t> chunkSizes, bool seek) {
  mp3::StreamParser parser;
  Parsed parsed;
  std::size_t at = 0;        // stream offset just past the last byte fed or passed over
  std::size_t frameEnd = 0;  // stream offset just past the last frame yielded

  const auto drain = [&] {
    while (const auto frame = parser.Next()) {
      Check(parser.buffered() <= at, "the window holds only bytes fed");
      const std::size_t end = at - parser.buffered();
      const std::size_t length = frame->bytes.size();
      Check(end >= frameEnd && end - frameEnd >= length, "a frame lies after the previous one, within the bytes fed");
      const std::size_t start = end - length;
      Check(std::memcmp(frame->bytes.data(), stream.data() + start, length) == 0,
            "a frame is a verbatim slice of the stream");
      CheckHeader(frame->header, frame->bytes);
      CheckSuccessor(frame->header, stream.subspan(end));
      parsed.frames.push_back({frame->header, start});
      frameEnd = end;
    }
    Check(!parser.Next(), "Next stays empty until more input comes");
    Check(parser.buffered() <= kLeftoverBound, "after draining, the window holds at most the parser's bound");
  };

  for (std::size_t i = 0; at < stream.size(); ++i) {
    const std::size_t chunk =
        chunkSizes.empty() ? stream.size() : std::min(chunkSizes[i % chunkSizes.size()], stream.size() - at);
    parser.Feed(stream.subspan(at, chunk));
    at += chunk;
    Check(parser.buffered() <= chunk + kLeftoverBound, "the window holds at most a chunk and the parser's bound");
    drain();
    if (seek) at += static_cast<std::size_t>(std::min<std::uint64_t>(parser.TakePendingSkip(), stream.size() - at));
  }
  parser.Finish();
  drain();
  parsed.declaredFrames = parser.declaredFrames();
  return parsed;
}

void CheckSame(const Parsed& a, const Parsed& b) {
  Check(a.frames.size() == b.frames.size(), "chunked and whole parsing yield as many frames");
  for (std::size_t i = 0; i < a.frames.size(); ++i) {
    Check(a.frames[i].offset == b.frames[i].offset, "chunked and whole parsing yield the same frames");
    Check(SameHeader(a.frames[i].header, b.frames[i].header), "chunked and whole parsing yield the same headers");
  }
  Check(a.declaredFrames == b.declaredFrames, "chunked and whole parsing find the same declared count");
}

void CheckSummary(const mp3::Summary& summary, const Parsed& parsed) {
  Check(summary.frames == parsed.frames.size(), "Summarize counts the frames");
  Check(summary.declaredFrames == parsed.declaredFrames, "Summarize reports the declared count");
  if (parsed.frames.empty()) return;
  const mp3::FrameHeader& first = parsed.frames.front().header;
  Check(summary.sampleRate == first.sampleRate && summary.channels == first.channels &&
            summary.version == first.version,
        "Summarize reports the first frame's format");
  const bool uniform = std::all_of(parsed.frames.begin(), parsed.frames.end(), [&](const FoundFrame& f) {
    return f.header.sampleRate == first.sampleRate && f.header.channels == first.channels;
  });
  Check(summary.uniform == uniform, "Summarize reports whether the format changes");
}

// Decodes the frames in order, as the player does. The decoder must give
// exactly samplesPerFrame * channels samples per frame: none left unwritten
// (still NaN) and none past the buffer (AddressSanitizer).
void Decode(Bytes stream, const Parsed& parsed) {
  auto decoder = std::make_unique<mp3::Decoder>();
  for (const FoundFrame& found : parsed.frames) {
    const Bytes source = stream.subspan(found.offset, static_cast<std::size_t>(found.header.frameLength));
    const std::vector<std::uint8_t> bytes(source.begin(), source.end());
    std::vector<float> samples(static_cast<std::size_t>(found.header.samplesPerFrame) * found.header.channels,
                               std::numeric_limits<float>::quiet_NaN());
    decoder->Decode(mp3::Frame{found.header, bytes}, samples);
    for (const float sample : samples) Check(std::isfinite(sample), "every sample is written, and finite");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Bytes input(data, size);
  const std::size_t control = std::min<std::size_t>(size, 2);
  const std::size_t small = 1 + (size > 0 ? data[0] : 0);
  const std::size_t large = 16 * (1 + (size > 1 ? data[1] : 0));
  const Bytes stream = input.subspan(control);
  const std::array<std::size_t, 2> chunkSizes = {small, large};

  const Parsed whole = Parse(stream, {}, false);
  CheckSame(Parse(stream, chunkSizes, true), whole);

  CheckSummary(mp3::Summarize(stream), whole);
  const mp3::Summary chunked = mp3::Summarize(stream, small);
  CheckSummary(chunked, whole);
  Check(chunked.maxBuffered <= small + kLeftoverBound, "Summarize's window stays within its bound");

  Decode(stream, whole);
  return 0;
}
