// The IMDCT half of the hybrid filter bank: each subband's spectral lines to
// 18 time samples, overlapped with the previous granule's second half.
#pragma once

#include <array>

#include "player/mp3/layer3/dct32.h"
#include "player/mp3/layer3/granule.h"

namespace mp3::layer3 {

// The second halves of the previous granule's 36-sample IMDCT outputs, per
// subband: one channel's memory from granule to granule. Zero at a start.
using OverlapMemory = std::array<std::array<float, 18>, 32>;

// 32 subbands of 18 time samples each: the input of the synthesis filter
// bank, [subband][time slot].
using SubbandSamples = SlotVectors;

// Turns `xr` (subband order, reordered and alias-reduced) into subband
// samples: the inverse MDCT of each subband with its block's window (the
// normal window for the two lowest subbands of a mixed block of any type),
// added to `overlap`, which then holds this granule's second halves. Odd
// time samples of odd subbands are negated (frequency inversion).
void InverseMdctGranule(const std::array<float, kLines>& xr, const GranuleInfo& info,
                        OverlapMemory& overlap, SubbandSamples& out);

// The window subband `sb` takes in a granule of `info`.
BlockType SubbandWindow(const GranuleInfo& info, int sb);

// InverseMdctGranule's work on subband `sb` alone.
void InverseMdctSubband(const std::array<float, kLines>& xr, const GranuleInfo& info, int sb, OverlapMemory& overlap,
                        SubbandSamples& out);

}  // namespace mp3::layer3
