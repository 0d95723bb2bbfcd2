// The polyphase synthesis filter bank: per time slot, 32 subband samples in
// and 32 PCM samples out.
#pragma once

#include <array>
#include <span>

#include "player/mp3/layer3/dct32.h"

namespace mp3::layer3 {

// One channel's memory: the last 16 vectors V of 64 values each (the
// filter's 1024-value shift register), as a ring. Zero at a start.
struct SynthesisMemory {
  std::array<std::array<float, 64>, 16> v{};
  int newest = 0;  // ring index of the most recent vector
};

// The 18 steps of one granule. `subbands[sb][t]` is subband sb's sample in
// time slot t. Each step matrixes one slot's 32 samples into a new vector V,
// shifts it into `memory` and windows the memory into 32 output samples,
// written to out[(32 t + j) * stride]; `out` must hold 576 * stride - stride
// + 1 values.
void Synthesize(const SlotVectors& subbands, SynthesisMemory& memory, std::span<float> out,
                int stride);

// The first half of one step: shifts the vector V of time slot `t` of `x`,
// the DCT-II (Dct32) of the granule's subband samples, into `memory` as its
// newest.
void ShiftIn(const SlotVectors& x, int t, SynthesisMemory& memory);

}  // namespace mp3::layer3
