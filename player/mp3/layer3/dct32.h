// The 32-point DCT-II at the heart of the polyphase synthesis filter bank,
// by the recursive halving of B. G. Lee's fast algorithm, computed for the
// 18 time slots of a granule at once so that every step of it is a loop
// over those 18 independent transforms.
#pragma once

#include <array>

namespace mp3::layer3 {

// Values by index k = 0..31 (outer), each for the 18 time slots (inner).
using SlotVectors = std::array<std::array<float, 18>, 32>;

// For each slot t: out[u][t] = sum_k in[k][t] cos(pi * u * (2k + 1) / 64).
void Dct32(const SlotVectors& in, SlotVectors& out);

}  // namespace mp3::layer3
