// Joint stereo processing of one granule: mid/side and intensity stereo,
// on both channels' requantized values in bitstream order.
#pragma once

#include <array>

#include "player/mp3/frame_header.h"
#include "player/mp3/layer3/granule.h"
#include "player/mp3/layer3/scalefactor_bands.h"

namespace mp3::layer3 {

// Turns the coded channels of a joint stereo granule into left and right;
// does nothing for other channel modes. With intensity stereo, the bands
// above the right channel's last non-zero line (per window for short
// blocks; for a mixed block with no non-zero short line, all short bands and
// the long bands above the last non-zero line) take the left channel's values
// weighted by the right channel's scale factor (its intensity position),
// unless that position is illegal: 7 for MPEG-1, the band's entry of
// longIllegal / shortIllegal for MPEG-2 and 2.5. The highest long and short
// band, which code no scale factor, take the position of the band below.
// Every other band gets mid/side when the header enables it. `right` is the
// right channel's granule: its block type, scale factors and
// scalefac_compress decide the bands of both channels. Lines are paired in
// bitstream order, which is only meaningful when both channels have the same
// block type, as the format requires of joint stereo.
void ProcessStereo(const FrameHeader& header, const ChannelGranule& right,
                   const ScalefactorBands& bands,
                   std::array<float, kLines>& left, std::array<float, kLines>& rightValues);

}  // namespace mp3::layer3
