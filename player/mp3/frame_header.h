// The four-byte header that starts every MPEG audio Layer III frame.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace mp3 {

enum class Version { Mpeg1, Mpeg2, Mpeg25 };

enum class ChannelMode { Stereo, JointStereo, DualChannel, Mono };

inline constexpr std::size_t kHeaderLength = 4;
inline constexpr int kCrcLength = 2;

struct FrameHeader {
  Version version = Version::Mpeg1;
  ChannelMode channelMode = ChannelMode::Stereo;
  int sampleRate = 0;        // Hz
  int channels = 0;          // 1 or 2
  // Free format (bitrate index 0): the bitrate is none of the table's, and
  // the frame length is not in the header. ParseHeader leaves bitrateKbps
  // and frameLength 0; StreamParser sets frameLength from the distance to
  // the next header of the same stream.
  bool freeFormat = false;
  int bitrateKbps = 0;
  int frameLength = 0;       // bytes, header included
  int padding = 0;           // 1: the frame is one byte longer than its bitrate gives
  int samplesPerFrame = 0;   // per channel
  bool hasCrc = false;       // a 16-bit CRC follows the header
  int modeExtension = 0;     // joint stereo: bit 1 mid/side, bit 0 intensity
  // 0 none, 1 50/15 us, 2 reserved, 3 CCITT J.17. Like the private,
  // copyright and original bits, it does not change decoding.
  int emphasis = 0;

  // Bytes in front of the side information: the header and, when present,
  // the CRC.
  int SideInfoOffset() const { return static_cast<int>(kHeaderLength) + (hasCrc ? kCrcLength : 0); }

  // Bytes of side information after the header (and CRC): where a Xing or
  // Info header starts inside the first frame of a stream.
  int SideInfoLength() const;

  // Granules in a frame: two in MPEG-1, one in MPEG-2 and 2.5.
  int Granules() const { return version == Version::Mpeg1 ? 2 : 1; }
};

// The longest Layer III frame the player takes. The bitrate table's longest
// is 1441 bytes: 320 kbit/s at 32 kHz (MPEG-1), or 160 kbit/s at 8 kHz
// (MPEG-2.5), with padding. A free-format frame may be longer: encoders
// write free format up to 640 kbit/s, 2881 bytes at 32 kHz with padding, and
// reference decoders play it. The bit reservoir and the parser's window are
// sized by it.
inline constexpr int kMaxFrameLength = 2881;

inline constexpr int kReservedEmphasis = 2;

// Decodes a header from the first four bytes of `bytes`. Empty when they are
// not a Layer III header: no sync word, reserved version, another layer,
// invalid bitrate index (15) or reserved sample rate.
std::optional<FrameHeader> ParseHeader(std::span<const std::uint8_t> bytes);

// True when two headers can belong to the same stream: same version, sample
// rate and channel count, both free format or neither. Bitrate, padding and
// the channel mode among stereo, joint stereo and dual channel may change
// from frame to frame.
bool SameStream(const FrameHeader& a, const FrameHeader& b);

}  // namespace mp3
