// Alias reduction between neighbouring subbands of the hybrid filter bank.
#pragma once

#include <array>

#include "player/mp3/layer3/granule.h"

namespace mp3::layer3 {

// Applies the eight butterflies across each subband boundary of `xr`
// (subband order, 18 lines per subband): every boundary for long blocks,
// none for short blocks, and only the one between subbands 0 and 1 for mixed
// blocks.
void ReduceAliases(std::array<float, kLines>& xr, const GranuleInfo& info);

}  // namespace mp3::layer3
