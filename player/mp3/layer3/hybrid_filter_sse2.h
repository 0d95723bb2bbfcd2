// The IMDCT half of the hybrid filter bank in SSE2: four subbands side by
// side, each output computed in the same order as the plain form
// (hybrid_filter.h), so the output is the same bit for bit.
#pragma once

#include <array>

#include "player/mp3/layer3/hybrid_filter.h"

namespace mp3::layer3 {

// As InverseMdctGranule.
void InverseMdctGranuleSse2(const std::array<float, kLines>& xr, const GranuleInfo& info, OverlapMemory& overlap,
                            SubbandSamples& out);

}  // namespace mp3::layer3
