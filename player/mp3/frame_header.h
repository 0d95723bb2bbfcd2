// The four-byte header that starts every MPEG audio Layer III frame.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace mp3 {

enum class Version { Mpeg1, Mpeg2, Mpeg25 };

enum class ChannelMode { Stereo, JointStereo, DualChannel, Mono };

struct FrameHeader {
  Version version = Version::Mpeg1;
  ChannelMode channelMode = ChannelMode::Stereo;
  int sampleRate = 0;        // Hz
  int channels = 0;          // 1 or 2
  int bitrateKbps = 0;
  int frameLength = 0;       // bytes, header included
  int samplesPerFrame = 0;   // per channel
  bool hasCrc = false;       // a 16-bit CRC follows the header
  int modeExtension = 0;     // joint stereo: bit 1 mid/side, bit 0 intensity

  // Bytes of side information after the header (and CRC): where a Xing or
  // Info header starts inside the first frame of a stream.
  int SideInfoLength() const;
};

inline constexpr std::size_t kHeaderLength = 4;

// The longest Layer III frame: 320 kbit/s at 32 kHz (MPEG-1), or 160 kbit/s
// at 8 kHz (MPEG-2.5), with padding.
inline constexpr int kMaxFrameLength = 1441;

// Decodes a header from the first four bytes of `bytes`. Empty when they are
// not a Layer III header this parser plays: no sync word, reserved version,
// another layer, free-format or invalid bitrate index, reserved sample rate
// or reserved emphasis.
std::optional<FrameHeader> ParseHeader(std::span<const std::uint8_t> bytes);

// True when two headers can belong to the same stream: same version, sample
// rate and channel count. Bitrate, padding and the channel mode among stereo,
// joint stereo and dual channel may change from frame to frame.
bool SameStream(const FrameHeader& a, const FrameHeader& b);

}  // namespace mp3
