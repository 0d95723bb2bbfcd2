#include "player/mp3/layer3/antialias.h"

#include "player/mp3/layer3/imdct_tables.h"

namespace mp3::layer3 {

void ReduceAliases(std::array<float, kLines>& xr, const GranuleInfo& info) {
  int boundaries = 31;
  if (info.blockType == BlockType::Short) {
    if (!info.mixedBlock) return;
    boundaries = 1;
  }
  const auto& bf = kAliasButterfly;
  for (int sb = 1; sb <= boundaries; ++sb) {
    const int edge = sb * 18;
    for (int i = 0; i < 8; ++i) {
      const float lower = xr[edge - 1 - i];
      const float upper = xr[edge + i];
      xr[edge - 1 - i] = lower * bf.cs[i] - upper * bf.ca[i];
      xr[edge + i] = upper * bf.cs[i] + lower * bf.ca[i];
    }
  }
}

}  // namespace mp3::layer3
