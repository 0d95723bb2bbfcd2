// Reads the scale factors at the start of a granule's main data.
#pragma once

#include <array>

#include "player/mp3/layer3/bit_reader.h"
#include "player/mp3/layer3/granule.h"

namespace mp3::layer3 {

// MPEG-1. `granule` is 0 or 1; in granule 1 the band groups whose `scfsi`
// flag is set (long blocks only) take their values from `firstGranule`, the
// same channel's scale factors of granule 0.
void ReadMpeg1Scalefactors(BitReader& reader, const GranuleInfo& info, int granule,
                           const std::array<bool, 4>& scfsi, const ScaleFactors& firstGranule, ScaleFactors& out);

// MPEG-2 and 2.5, also filling the illegal intensity positions of each band.
// `intensityRightChannel` as for LsfLayoutFor.
void ReadLsfScalefactors(BitReader& reader, const GranuleInfo& info, bool intensityRightChannel, ScaleFactors& out);

}  // namespace mp3::layer3
