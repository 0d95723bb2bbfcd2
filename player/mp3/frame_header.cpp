#include "player/mp3/frame_header.h"

namespace mp3 {
namespace {

// Layer III bitrates in kbit/s by bitrate index; index 0 is free format and
// 15 (invalid) is rejected before lookup.
constexpr int kBitratesMpeg1[15] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
constexpr int kBitratesMpeg2[15] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};

constexpr int kSampleRatesMpeg1[3] = {44100, 48000, 32000};

}  // namespace

int FrameHeader::SideInfoLength() const {
  if (version == Version::Mpeg1) return channels == 1 ? 17 : 32;
  return channels == 1 ? 9 : 17;
}

std::optional<FrameHeader> ParseHeader(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < kHeaderLength) return std::nullopt;
  const std::uint8_t b1 = bytes[1], b2 = bytes[2], b3 = bytes[3];
  if (bytes[0] != 0xFF || (b1 & 0xE0) != 0xE0) return std::nullopt;

  FrameHeader h;
  int rateDivisor = 1;
  switch ((b1 >> 3) & 0x03) {
    case 0: h.version = Version::Mpeg25; rateDivisor = 4; break;
    case 2: h.version = Version::Mpeg2; rateDivisor = 2; break;
    case 3: h.version = Version::Mpeg1; break;
    default: return std::nullopt;
  }
  if (((b1 >> 1) & 0x03) != 0x01) return std::nullopt;  // not Layer III
  h.hasCrc = (b1 & 0x01) == 0;

  const int bitrateIndex = b2 >> 4;
  const int rateIndex = (b2 >> 2) & 0x03;
  if (bitrateIndex == 15 || rateIndex == 3) return std::nullopt;

  const bool mpeg1 = h.version == Version::Mpeg1;
  h.freeFormat = bitrateIndex == 0;
  h.bitrateKbps = mpeg1 ? kBitratesMpeg1[bitrateIndex] : kBitratesMpeg2[bitrateIndex];
  h.sampleRate = kSampleRatesMpeg1[rateIndex] / rateDivisor;
  h.channelMode = static_cast<ChannelMode>(b3 >> 6);
  h.channels = h.channelMode == ChannelMode::Mono ? 1 : 2;
  h.modeExtension = (b3 >> 4) & 0x03;
  h.emphasis = b3 & 0x03;
  h.samplesPerFrame = h.Granules() * 576;  // 576 samples per channel in a granule
  h.padding = (b2 >> 1) & 0x01;
  // samplesPerFrame / 8 bits per byte: 144 for MPEG-1, 72 for MPEG-2 and 2.5.
  if (!h.freeFormat) h.frameLength = (h.samplesPerFrame / 8) * h.bitrateKbps * 1000 / h.sampleRate + h.padding;
  return h;
}

bool SameStream(const FrameHeader& a, const FrameHeader& b) {
  // Stereo, joint stereo and dual channel may alternate within one stream.
  return a.version == b.version && a.sampleRate == b.sampleRate && a.channels == b.channels &&
         a.freeFormat == b.freeFormat;
}

}  // namespace mp3
