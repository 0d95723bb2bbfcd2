// Plays a file through the stream parser and the decoder the way the player
// does: reads it in chunks, seeks past the tags the parser announces, and
// decodes every frame the parser yields, in order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>

#include "player/mp3/frame_header.h"

namespace mp3check {

struct DecodedFrame {
  const mp3::FrameHeader& header;
  std::uint64_t offset = 0;  // of the frame's first byte in the file
  std::size_t length = 0;    // bytes, header included
  bool decoded = false;      // false: the decoder played it as silence
  // samplesPerFrame * channels interleaved samples at full scale 1.0.
  // Borrowed: valid during the call only.
  std::span<const float> samples;
};

struct FileFacts {
  std::uint64_t size = 0;
  std::optional<std::uint32_t> declaredFrames;  // from a Xing, Info or VBRI frame
  // Bytes the parser took as tags or as a Xing, Info or VBRI header frame.
  std::uint64_t metadataBytes = 0;
  // The audio starts with a free-format header whose frame length could not
  // be found (see StreamParser::freeFormatWithoutLength).
  bool freeFormatWithoutLength = false;
};

using FrameHandler = std::function<void(const DecodedFrame&)>;

// Decodes the file at `path`, calling `onFrame` for each frame. Throws
// std::runtime_error naming the cause when the file cannot be read.
FileFacts DecodeFile(const std::filesystem::path& path, const FrameHandler& onFrame);

}  // namespace mp3check
