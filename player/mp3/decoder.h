// An MPEG-1, MPEG-2 and MPEG-2.5 audio Layer III decoder: frames in, PCM out.
#pragma once

#include <cstdint>
#include <span>

#include "player/mp3/stream_parser.h"

namespace mp3 {

class Decoder {
 public:
  // Decodes one frame as StreamParser yields it into exactly
  // header.samplesPerFrame * header.channels interleaved samples at full
  // scale 1.0, not clipped. `out` must hold that many. A frame that cannot
  // be decoded (its main data lies before the start of the stream, or is
  // inconsistent) gives silence of the same length. A frame whose sample
  // rate or channel count differs from the previous one starts afresh.
  void Decode(const Frame& frame, std::span<float> out);

  // Forgets everything that carries from frame to frame (bit reservoir,
  // filter memories): the next frame starts a stream.
  void Reset();
};

// Converts to 16-bit PCM, rounding to nearest and saturating at the limits.
// `out` must be as long as `in`.
void ToPcm16(std::span<const float> in, std::span<std::int16_t> out);

}  // namespace mp3
