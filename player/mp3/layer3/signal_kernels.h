// The filter-bank kernels a decoder runs: the plain forms, or (where the
// build has them, MP3_SSE2_KERNELS) their SSE2 forms, which give the same
// output bit for bit. The default is the fastest the build has; the plain
// forms stay in every build as the reference the vector ones are tested
// against.
#pragma once

#include <array>
#include <span>

#include "player/mp3/layer3/granule.h"
#include "player/mp3/layer3/hybrid_filter.h"
#include "player/mp3/layer3/synthesis.h"

#if MP3_SSE2_KERNELS
#include "player/mp3/layer3/hybrid_filter_sse2.h"
#include "player/mp3/layer3/synthesis_sse2.h"
#endif

namespace mp3::layer3 {

struct SignalKernels {
  void (*inverseMdctGranule)(const std::array<float, kLines>& xr, const GranuleInfo& info, OverlapMemory& overlap,
                             SubbandSamples& out);
  void (*synthesize)(const SlotVectors& subbands, SynthesisMemory& memory, std::span<float> out, int stride);
};

inline constexpr SignalKernels kPlainKernels = {&InverseMdctGranule, &Synthesize};

#if MP3_SSE2_KERNELS
inline constexpr SignalKernels kSse2Kernels = {&InverseMdctGranuleSse2, &SynthesizeSse2};
inline constexpr const SignalKernels& kDefaultKernels = kSse2Kernels;
#else
inline constexpr const SignalKernels& kDefaultKernels = kPlainKernels;
#endif

}  // namespace mp3::layer3
