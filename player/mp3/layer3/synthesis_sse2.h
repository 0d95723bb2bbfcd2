// The polyphase synthesis filter bank with its windowing in SSE2: four
// output samples side by side, each summed in the same order as the plain
// form (synthesis.h), so the output is the same bit for bit.
#pragma once

#include <span>

#include "player/mp3/layer3/synthesis.h"

namespace mp3::layer3 {

// As Synthesize.
void SynthesizeSse2(const SlotVectors& subbands, SynthesisMemory& memory, std::span<float> out, int stride);

}  // namespace mp3::layer3
