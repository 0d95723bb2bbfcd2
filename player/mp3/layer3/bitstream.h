// The bitstream stage of the Layer III decoder: side information, the bit
// reservoir, scale factors and Huffman-coded spectral values.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "player/mp3/frame_header.h"
#include "player/mp3/layer3/bit_reservoir.h"
#include "player/mp3/layer3/granule.h"
#include "player/mp3/layer3/side_info.h"

namespace mp3::layer3 {

class BitstreamReader {
 public:
  // Reads one whole frame (header included, as StreamParser yields it) whose
  // header is `header`. Fills `out`; out.decoded is false when the frame's
  // main data starts before the bytes the reservoir holds or is
  // inconsistent. Either way the frame's own main data is kept for the
  // frames that point back into it. A frame shorter than header.frameLength
  // is not decoded and empties the reservoir, since the frames after it
  // would point back into bytes that are missing. Never reads outside
  // `frame`; the CRC, if any, is skipped unchecked.
  void Read(std::span<const std::uint8_t> frame, const FrameHeader& header, FrameData& out);

  // Forgets the reservoir: the next frame starts a stream.
  void Reset() { reservoir_.Reset(); }

 private:
  BitReservoir reservoir_;
  SideInfo sideInfo_;  // of the frame being read; a member to keep Read's stack small
};

}  // namespace mp3::layer3
