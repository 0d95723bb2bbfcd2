#include "player/mp3/layer3/huffman_decoder.h"

#include <algorithm>

#include "player/mp3/layer3/huffman_tables.h"

namespace mp3::layer3 {
namespace {

constexpr int kShortWindows = 3;

// Gives `magnitudes` their signs from the top of `signs`, one bit for each
// nonzero one, in order; returns the bits used.
// Without branches: signs are as good as random, and so is which values are
// zero.
template <std::size_t Count>
int ApplySigns(std::uint32_t signs, std::array<int, Count>& magnitudes) {
  int used = 0;
  for (int& value : magnitudes) {
    const int nonzero = value != 0 ? 1 : 0;
    const int negate = -static_cast<int>((signs >> 31) & static_cast<std::uint32_t>(nonzero));  // all ones or zero
    value = (value ^ negate) - negate;
    signs <<= nonzero;
    used += nonzero;
  }
  return used;
}

// One value of a pair coded with linbits, from the top of `bits`: the
// escape 15 adds them, then the sign follows a nonzero value. Returns the
// bits used.
int ValueWithLinbits(std::uint32_t bits, int linbits, int& value) {
  int used = 0;
  if (value == 15) {
    value += static_cast<int>(bits >> (32 - linbits));
    used = linbits;
  }
  if (value == 0) return used;
  if (((bits << used) & 0x80000000u) != 0) value = -value;
  return used + 1;
}

// Lines where regions 1 and 2 of the big-values region start.
std::array<int, 2> RegionStarts(const GranuleInfo& info, const ScalefactorBands& bands) {
  if (info.windowSwitching) {
    const int region1 = info.blockType == BlockType::Short && !info.mixedBlock
                            ? kShortWindows * bands.shortStart[static_cast<std::size_t>((info.region0Count + 1) / kShortWindows)]
                            : bands.longStart[static_cast<std::size_t>(info.region0Count + 1)];
    return {region1, kLines};
  }
  const auto longStart = [&](int band) { return bands.longStart[static_cast<std::size_t>(std::min(band, 22))]; };
  return {longStart(info.region0Count + 1), longStart(info.region0Count + info.region1Count + 2)};
}

bool Decode(BitReader& reader, std::size_t end, const ScalefactorBands& bands, ChannelGranule& out) {
  const GranuleInfo& info = out.info;
  out.nonzeroEnd = 0;

  const int bigValuesEnd = std::min(info.bigValues * 2, kLines);
  const auto [region1, region2] = RegionStarts(info, bands);
  int line = 0;
  while (line < bigValuesEnd) {
    const int region = line < region1 ? 0 : (line < region2 ? 1 : 2);
    const PairTable& table = PairTableFor(info.tableSelect[static_cast<std::size_t>(region)]);
    if (!table.exists) return false;
    const int regionEnd = std::min(region == 0 ? region1 : (region == 1 ? region2 : kLines), bigValuesEnd);
    if (table.decoding.lookup == nullptr) {
      const int next = std::max(regionEnd, line + 2);
      std::fill(out.quantized.begin() + line, out.quantized.begin() + next, 0);
      line = next;
      continue;
    }
    for (; line < regionEnd; line += 2) {
      // A short code with its signs resolves in one step. Otherwise one peek
      // holds the code (up to 19 bits) and both sign bits; values with
      // linbits (up to 13 bits and a sign each) need one more.
      const std::uint32_t bits = reader.Peek32();
      const FastPair fast = table.fast[bits >> (32 - kFastPairBits)];
      std::array<int, 2> pair = {fast.x, fast.y};
      if (fast.length != 0) {
        reader.Skip(fast.length);
      } else {
        const HuffmanSymbol symbol = DecodeHuffman(bits, table.decoding);
        pair = {symbol.value >> 4, symbol.value & 0x0F};
        if (table.linbits == 0 || (pair[0] < 15 && pair[1] < 15)) {
          reader.Skip(symbol.length + ApplySigns(bits << symbol.length, pair));
        } else {
          reader.Skip(symbol.length);
          const std::uint32_t rest = reader.Peek32();
          const int used = ValueWithLinbits(rest, table.linbits, pair[0]);
          reader.Skip(used + ValueWithLinbits(rest << used, table.linbits, pair[1]));
        }
      }
      out.quantized[static_cast<std::size_t>(line)] = pair[0];
      out.quantized[static_cast<std::size_t>(line) + 1] = pair[1];
    }
    // Checked once a region: the position only grows, and bits past the
    // reader's span read as zeros.
    if (reader.position() > end) return false;
  }
  line = bigValuesEnd;

  // Every quadruple with its four sign bits fits within the lookup's bits.
  const FastQuad* quads = Count1FastLookup(info.count1TableB);
  const int quadBits = info.count1TableB ? kFastQuadBBits : kFastQuadABits;
  while (line + 4 <= kLines && reader.position() < end) {
    const FastQuad& quad = quads[reader.Peek32() >> (32 - quadBits)];
    reader.Skip(quad.length);
    if (reader.position() > end) break;
    const auto first = static_cast<std::size_t>(line);
    for (std::size_t i = 0; i < quad.values.size(); ++i) out.quantized[first + i] = quad.values[i];
    line += 4;
  }
  out.nonzeroEnd = line;
  // Lines before were all written.
  std::fill(out.quantized.begin() + line, out.quantized.end(), 0);
  return true;
}

}  // namespace

bool ReadSpectrum(BitReader& reader, std::size_t end, const ScalefactorBands& bands, ChannelGranule& out) {
  // Decodes from a copy of the reader, which the compiler can keep in
  // registers, then hands its state back.
  BitReader local = reader;
  const bool consistent = Decode(local, end, bands, out);
  reader = local;
  return consistent;
}

}  // namespace mp3::layer3
