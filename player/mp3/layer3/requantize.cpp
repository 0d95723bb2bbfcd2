#include "player/mp3/layer3/requantize.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

#include "player/mp3/layer3/requantize_tables.h"

namespace mp3::layer3 {
namespace {

// 2^exponent as a double, exactly, for exponents of normal doubles
// (-1022..1023); the bits are built directly, without a library call.
double PowerOfTwo(int exponent) {
  return std::bit_cast<double>(static_cast<std::uint64_t>(exponent + 1023) << 52);
}

// 2^(exponent / 4) for any integer exponent. Beyond the doubles' normal
// range the float result is 0 or infinity either way.
float QuarterPower(int exponent) {
  const int negated = -exponent;
  // floor division so that the remainder is 0..3
  const int whole = negated >= 0 ? negated / 4 : -((-negated + 3) / 4);
  const int remainder = negated - 4 * whole;
  return static_cast<float>(kQuarterPowers[remainder] * PowerOfTwo(std::clamp(-whole, -1022, 1023)));
}

// |q|^(4/3) past the table, magnitudes no code gives capped.
float LargePow43(unsigned magnitude) {
  const double m = std::min<unsigned>(magnitude, kMaxQuantized);
  return static_cast<float>(m * std::cbrt(m));
}

// Requantizes lines [begin, end) of `in` with one gain into `xr`, zero past
// `nonzeroEnd`.
void ScaleLines(const ChannelGranule& in, int begin, int end, float gain,
                std::array<float, kLines>& xr) {
  const int coded = std::clamp(in.nonzeroEnd, 0, kLines);
  const int stop = std::min(end, coded);
  int i = begin;
  for (; i < stop; ++i) {
    // Without a branch on the sign, which is as good as random.
    const int q = in.quantized[i];
    const unsigned negative = static_cast<unsigned>(q >> 31);  // all ones or zero
    const unsigned magnitude = (static_cast<unsigned>(q) ^ negative) - negative;
    const float sign = static_cast<float>((q >> 31) | 1);
    const float value = magnitude < static_cast<unsigned>(kPow43TableSize) ? kPow43[magnitude]
                                                                           : LargePow43(magnitude);
    xr[i] = value * sign * gain;
  }
  for (; i < end; ++i) xr[i] = 0.0f;
}

}  // namespace

void Requantize(const ChannelGranule& in, Version version, const ScalefactorBands& bands,
                std::array<float, kLines>& xr) {
  const auto& longStart = bands.longStart;
  const auto& shortStart = bands.shortStart;
  const GranuleInfo& info = in.info;
  const ScaleFactors& sf = in.scalefactors;
  // Global gain in quarter steps relative to unity, and one scale factor
  // step in quarter steps: 2 (a factor sqrt 2) or, with scalefac_scale, 4.
  const int global = info.globalGain - 210;
  const int step = info.scalefacScale ? 4 : 2;

  const auto [longBands, firstShortBand] = BandSplitOf(info, version);
  for (int b = 0; b < longBands; ++b) {
    const int factor = sf.longBands[b] + (info.preflag ? kPretab[b] : 0);
    ScaleLines(in, longStart[b], longStart[b + 1], QuarterPower(global - step * factor), xr);
  }
  for (int b = firstShortBand; b < 13; ++b) {
    const int width = shortStart[b + 1] - shortStart[b];
    for (int w = 0; w < 3; ++w) {
      const int begin = shortStart[b] * 3 + w * width;
      const int exponent = global - 8 * info.subblockGain[w] - step * sf.shortBands[b][w];
      ScaleLines(in, begin, begin + width, QuarterPower(exponent), xr);
    }
  }
}

}  // namespace mp3::layer3
