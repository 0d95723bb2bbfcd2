#include "player/mp3/layer3/hybrid_filter.h"

#include <algorithm>
#include <span>

#include "player/mp3/layer3/imdct.h"

namespace mp3::layer3 {

void InverseMdctGranule(const std::array<float, kLines>& xr, const GranuleInfo& info,
                        OverlapMemory& overlap, SubbandSamples& out) {
  const bool shortBlock = info.blockType == BlockType::Short;
  const int firstShortSubband = shortBlock ? (info.mixedBlock ? 2 : 0) : 32;
  for (int sb = 0; sb < 32; ++sb) {
    const std::span<const float, 18> lines(xr.data() + sb * 18, 18);
    std::array<float, 36> z;
    if (std::all_of(lines.begin(), lines.end(), [](float v) { return v == 0.0f; })) {
      z.fill(0.0f);
    } else if (sb >= firstShortSubband) {
      InverseMdctShort(lines, z);
    } else {
      InverseMdctLong(lines, shortBlock ? BlockType::Normal : info.blockType, z);
    }
    const float invert = (sb & 1) ? -1.0f : 1.0f;
    for (int i = 0; i < 18; ++i) {
      const float sample = z[i] + overlap[sb][i];
      out[sb][i] = (i & 1) ? sample * invert : sample;
      overlap[sb][i] = z[18 + i];
    }
  }
}

}  // namespace mp3::layer3
