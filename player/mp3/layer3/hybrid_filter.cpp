#include "player/mp3/layer3/hybrid_filter.h"

#include <algorithm>
#include <span>

#include "player/mp3/layer3/imdct.h"

namespace mp3::layer3 {

BlockType SubbandWindow(const GranuleInfo& info, int sb) {
  // The mixed-block flag holds for every switched window: the two lowest
  // subbands of a mixed short, start or stop block take the normal window.
  return info.mixedBlock && sb < 2 ? BlockType::Normal : info.blockType;
}

void InverseMdctSubband(const std::array<float, kLines>& xr, const GranuleInfo& info, int sb, OverlapMemory& overlap,
                        SubbandSamples& out) {
  const std::span<const float, 18> lines(xr.data() + sb * 18, 18);
  const BlockType window = SubbandWindow(info, sb);
  std::array<float, 36> z;
  if (std::all_of(lines.begin(), lines.end(), [](float v) { return v == 0.0f; })) {
    z.fill(0.0f);
  } else if (window == BlockType::Short) {
    InverseMdctShort(lines, z);
  } else {
    InverseMdctLong(lines, window, z);
  }
  const float invert = (sb & 1) ? -1.0f : 1.0f;
  for (int i = 0; i < 18; ++i) {
    const float sample = z[i] + overlap[sb][i];
    out[sb][i] = (i & 1) ? sample * invert : sample;
    overlap[sb][i] = z[18 + i];
  }
}

void InverseMdctGranule(const std::array<float, kLines>& xr, const GranuleInfo& info, OverlapMemory& overlap,
                        SubbandSamples& out) {
  for (int sb = 0; sb < 32; ++sb) InverseMdctSubband(xr, info, sb, overlap, out);
}

}  // namespace mp3::layer3
