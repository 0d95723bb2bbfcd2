// The two forms of the conversion to 16-bit PCM (ToPcm16 in decoder.h runs
// the fastest the build has): the plain one, and eight samples at a time in
// SSE2 (where the build has it, MP3_SSE2_KERNELS). Both give the same
// output for any input. `out` must be as long as `in`.
#pragma once

#include <cstdint>
#include <span>

namespace mp3 {

void ToPcm16Plain(std::span<const float> in, std::span<std::int16_t> out);

#if MP3_SSE2_KERNELS
void ToPcm16Sse2(std::span<const float> in, std::span<std::int16_t> out);
#endif

}  // namespace mp3
