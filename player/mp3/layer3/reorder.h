// Reordering of short blocks: from the order the bitstream codes them in
// (by scale factor band, then window) to the order the hybrid filter bank
// reads (by subband, then window, six lines each).
#pragma once

#include <array>

#include "player/mp3/layer3/granule.h"
#include "player/mp3/layer3/scalefactor_bands.h"

namespace mp3::layer3 {

// Reorders the short-block part of `xr` in place: for a short block all of
// it, for a mixed block the short bands from `firstShortBand` on (the lines
// before them are long-block lines and stay). Line j of window w in short
// band b (of `bands`), at shortStart[b] * 3 + w * width + j in bitstream
// order, goes to subband f / 6, slot w * 6 + f % 6, where f = shortStart[b] + j.
void ReorderShortBlock(std::array<float, kLines>& xr, const ScalefactorBands& bands,
                       int firstShortBand);

}  // namespace mp3::layer3
