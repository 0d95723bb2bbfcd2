// The side information of a Layer III frame: where its main data begins in
// the bit reservoir, and how each granule and channel is coded.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "player/mp3/frame_header.h"
#include "player/mp3/layer3/granule.h"

namespace mp3::layer3 {

struct SideInfo {
  // Bytes of main data taken from the frames before this one.
  int mainDataBegin = 0;
  // MPEG-1: scale factors of band group g of granule 1 are those of
  // granule 0 (groups: long bands 0-5, 6-10, 11-15, 16-20). [channel][group]
  std::array<std::array<bool, 4>, 2> scfsi{};
  std::array<std::array<GranuleInfo, 2>, 2> granule{};  // [granule][channel]
};

// True when the right channel of a frame with `header` carries intensity
// positions: joint stereo with the intensity bit of the mode extension.
bool HasIntensityStereo(const FrameHeader& header);

// Reads the side information of `frame` (a whole frame, header included)
// whose header is `header`; the caller has checked that the frame holds it.
// For MPEG-2 and 2.5 it also sets the preflag that scalefac_compress
// implies. False when the side information is inconsistent: more than 288
// big-value pairs, or a switched window with the reserved block type 0.
bool ReadSideInfo(std::span<const std::uint8_t> frame, const FrameHeader& header, SideInfo& out);

}  // namespace mp3::layer3
