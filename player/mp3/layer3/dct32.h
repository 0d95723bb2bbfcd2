// The 32-point DCT-II at the heart of the polyphase synthesis filter bank,
// by the recursive halving of B. G. Lee's fast algorithm.
#pragma once

#include <array>

namespace mp3::layer3 {

// out[u] = sum_k in[k] cos(pi * u * (2k + 1) / 64), u, k = 0..31.
void Dct32(const std::array<float, 32>& in, std::array<float, 32>& out);

}  // namespace mp3::layer3
