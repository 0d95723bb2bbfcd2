// The inverse MDCT of the hybrid filter bank, one subband at a time, with
// the block window applied.
#pragma once

#include <array>
#include <span>

#include "player/mp3/layer3/granule.h"

namespace mp3::layer3 {

// One long block (normal, start or stop; not Short): the 18 spectral lines
// of a subband to 36 windowed time samples.
void InverseMdctLong(std::span<const float, 18> in, BlockType type, std::span<float, 36> out);

// One short block: the subband's three windows of 6 lines each (in[6w + k])
// to 36 time samples, each window's 12 windowed outputs overlapped at 6 + 6w.
// Samples 0..5 and 30..35 are zero.
void InverseMdctShort(std::span<const float, 18> in, std::span<float, 36> out);

}  // namespace mp3::layer3
