// Builders of hand-made MP3 byte streams for the parser tests: frames with
// chosen header bytes and silent bodies, and tags around them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace mp3::test {

using Bytes = std::vector<std::uint8_t>;
using HeaderBytes = std::array<std::uint8_t, 4>;

// MPEG-1 Layer III, no CRC, 128 kbit/s, 44100 Hz, stereo: 417-byte frames.
inline constexpr HeaderBytes kMpeg1Stereo128 = {0xFF, 0xFB, 0x90, 0x00};
inline constexpr std::size_t kMpeg1Stereo128Length = 417;
// MPEG-2 Layer III, no CRC, 64 kbit/s, 22050 Hz, mono: 208-byte frames.
inline constexpr HeaderBytes kMpeg2Mono64 = {0xFF, 0xF3, 0x80, 0xC0};
inline constexpr std::size_t kMpeg2Mono64Length = 208;

// `count` frames of `length` bytes each starting with `header`, zero bodies.
Bytes Frames(const HeaderBytes& header, std::size_t length, std::size_t count);

// An ID3v2 tag: 10-byte header of `version` with `flags` and syncsafe
// `declaredSize`, then `body` (and a "3DI" footer when `withFooter`).
Bytes Id3v2(std::uint8_t version, std::uint8_t flags, std::uint32_t declaredSize, const Bytes& body,
            bool withFooter = false);

// An APE tag with a header and footer around `items`.
Bytes ApeTag(const Bytes& items);

// A 128-byte ID3v1 tag.
Bytes Id3v1();

Bytes Concat(std::initializer_list<Bytes> parts);

// `frame` with `text` and a big-endian count written at `offset` onwards.
Bytes WithInfoHeader(Bytes frame, std::size_t offset, std::string_view text, std::size_t countOffset,
                     std::uint32_t count);

}  // namespace mp3::test
