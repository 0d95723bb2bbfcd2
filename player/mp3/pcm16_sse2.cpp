#include <emmintrin.h>

#include <algorithm>

#include "player/mp3/pcm16_kernels.h"

namespace mp3 {
namespace {

// Four samples scaled to 16-bit steps and clamped to [-32768, 32767] as
// ToPcm16Plain clamps them (NaN becomes 0).
__m128 ScaledAndClamped(__m128 in) {
  __m128 scaled = _mm_mul_ps(in, _mm_set1_ps(32768.0f));
  scaled = _mm_and_ps(scaled, _mm_cmpord_ps(scaled, scaled));
  return _mm_max_ps(_mm_min_ps(scaled, _mm_set1_ps(32767.0f)), _mm_set1_ps(-32768.0f));
}

// Four samples as ToPcm16Plain converts them, to 32-bit whole numbers in
// [-32768, 32767]: the same clamping, truncation and exact correction, so
// the rounding mode plays no part.
__m128i Convert(__m128 in) {
  const __m128 scaled = ScaledAndClamped(in);
  const __m128i whole = _mm_cvttps_epi32(scaled);
  const __m128 fraction = _mm_sub_ps(scaled, _mm_cvtepi32_ps(whole));
  const __m128 odd = _mm_castsi128_ps(_mm_cmpeq_epi32(_mm_and_si128(whole, _mm_set1_epi32(1)), _mm_set1_epi32(1)));
  const __m128 half = _mm_set1_ps(0.5f);
  const __m128 minusHalf = _mm_set1_ps(-0.5f);
  const __m128 up = _mm_or_ps(_mm_cmpgt_ps(fraction, half), _mm_and_ps(_mm_cmpeq_ps(fraction, half), odd));
  const __m128 down =
      _mm_or_ps(_mm_cmplt_ps(fraction, minusHalf), _mm_and_ps(_mm_cmpeq_ps(fraction, minusHalf), odd));
  // The masks are -1 where true: subtracting `up` adds a step.
  return _mm_add_epi32(_mm_sub_epi32(whole, _mm_castps_si128(up)), _mm_castps_si128(down));
}

// As Convert, while the thread rounds to nearest, ties to even (the
// default): the processor's own rounding conversion then gives the same
// whole numbers in a single step.
__m128i ConvertRoundingToNearest(__m128 in) { return _mm_cvtps_epi32(ScaledAndClamped(in)); }

template <__m128i (*Converter)(__m128)>
std::size_t ConvertBlocks(std::span<const float> in, std::span<std::int16_t> out, std::size_t count) {
  std::size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    const __m128i low = Converter(_mm_loadu_ps(in.data() + i));
    const __m128i high = Converter(_mm_loadu_ps(in.data() + i + 4));
    // Every value is in range: the saturating pack only narrows.
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out.data() + i), _mm_packs_epi32(low, high));
  }
  return i;
}

}  // namespace

void ToPcm16Sse2(std::span<const float> in, std::span<std::int16_t> out) {
  const std::size_t count = std::min(in.size(), out.size());
  const bool nearest = (_mm_getcsr() & _MM_ROUND_MASK) == _MM_ROUND_NEAREST;
  const std::size_t i = nearest ? ConvertBlocks<ConvertRoundingToNearest>(in, out, count)
                                : ConvertBlocks<Convert>(in, out, count);
  ToPcm16Plain(in.subspan(i, count - i), out.subspan(i, count - i));
}

}  // namespace mp3
