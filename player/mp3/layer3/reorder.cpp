#include "player/mp3/layer3/reorder.h"

namespace mp3::layer3 {

void ReorderShortBlock(std::array<float, kLines>& xr, const ScalefactorBands& bands,
                       int firstShortBand) {
  const auto& shortStart = bands.shortStart;
  const int begin = shortStart[firstShortBand] * 3;
  std::array<float, kLines> coded;
  for (int i = begin; i < kLines; ++i) coded[i] = xr[i];
  for (int band = firstShortBand; band < 13; ++band) {
    const int start = shortStart[band];
    const int width = shortStart[band + 1] - start;
    for (int w = 0; w < 3; ++w) {
      const int source = start * 3 + w * width;
      for (int j = 0; j < width; ++j) {
        const int f = start + j;
        xr[(f / 6) * 18 + w * 6 + f % 6] = coded[source + j];
      }
    }
  }
}

}  // namespace mp3::layer3
