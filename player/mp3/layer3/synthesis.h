// The polyphase synthesis filter bank: 32 subband samples in, 32 PCM
// samples out, per step.
#pragma once

#include <array>

namespace mp3::layer3 {

// One channel's memory: the last 16 vectors V of 64 values each (the
// filter's 1024-value shift register), as a ring. Zero at a start.
struct SynthesisMemory {
  std::array<std::array<float, 64>, 16> v{};
  int newest = 0;  // ring index of the most recent vector
};

// One step of the filter bank: matrixes `subbands` into a new vector V,
// shifts it into `memory` and windows the memory into 32 output samples.
void Synthesize(const std::array<float, 32>& subbands, SynthesisMemory& memory,
                std::array<float, 32>& out);

}  // namespace mp3::layer3
