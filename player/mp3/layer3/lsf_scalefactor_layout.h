// How MPEG-2 and 2.5 code their scale factors: the 9-bit scalefac_compress
// selects a row of part sizes, the bits of each part and the preflag.
#pragma once

#include <array>

namespace mp3::layer3 {

struct LsfScalefactorLayout {
  int row = 0;                 // row of kLsfScalefactorCounts
  std::array<int, 4> bits{};   // bits of each scale factor of each part
  bool preflag = false;
};

// `intensityRightChannel`: the granule is of the right channel of a joint
// stereo frame whose mode extension has intensity stereo.
LsfScalefactorLayout LsfLayoutFor(int scalefacCompress, bool intensityRightChannel);

}  // namespace mp3::layer3
