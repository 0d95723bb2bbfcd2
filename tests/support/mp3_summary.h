// Whole-stream facts gathered by running the stream parser over a buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "player/mp3/frame_header.h"

namespace mp3 {

struct Summary {
  std::size_t frames = 0;        // audio frames; header frames not counted
  int sampleRate = 0;            // of the first audio frame; 0 when none
  int channels = 0;
  Version version = Version::Mpeg1;
  bool uniform = true;           // every frame has the first frame's rate and channels
  std::size_t maxBuffered = 0;   // largest window the parser held
  std::optional<std::uint32_t> declaredFrames;
};

// Feeds `data` to a StreamParser `chunkSize` bytes at a time (the whole buffer
// at once when chunkSize is 0) and summarises the frames it yields.
Summary Summarize(std::span<const std::uint8_t> data, std::size_t chunkSize = 0);

}  // namespace mp3
