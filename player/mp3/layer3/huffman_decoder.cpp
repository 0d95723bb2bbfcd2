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

}  // namespace

bool ReadSpectrum(BitReader& reader, std::size_t end, const ScalefactorBands& bands, ChannelGranule& out) {
  const GranuleInfo& info = out.info;
  out.quantized.fill(0);
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
      line = std::max(regionEnd, line + 2);
      continue;
    }
    for (; line < regionEnd; line += 2) {
      // One peek holds the code (up to 19 bits) and both sign bits; values
      // with linbits (up to 13 bits and a sign each) need one more.
      const std::uint32_t bits = reader.Peek32();
      const HuffmanSymbol symbol = DecodeHuffman(bits, table.decoding);
      std::array<int, 2> pair = {symbol.value >> 4, symbol.value & 0x0F};
      if (table.linbits == 0 || (pair[0] < 15 && pair[1] < 15)) {
        reader.Skip(symbol.length + ApplySigns(bits << symbol.length, pair));
      } else {
        reader.Skip(symbol.length);
        const std::uint32_t rest = reader.Peek32();
        const int used = ValueWithLinbits(rest, table.linbits, pair[0]);
        reader.Skip(used + ValueWithLinbits(rest << used, table.linbits, pair[1]));
      }
      out.quantized[static_cast<std::size_t>(line)] = pair[0];
      out.quantized[static_cast<std::size_t>(line) + 1] = pair[1];
      if (reader.position() > end) return false;
    }
  }
  line = bigValuesEnd;

  const HuffmanDecoding tableA = Count1TableADecoding();
  while (line + 4 <= kLines && reader.position() < end) {
    // One peek holds the code (up to 6 bits) and the four sign bits.
    const std::uint32_t bits = reader.Peek32();
    const HuffmanSymbol symbol =
        info.count1TableB ? HuffmanSymbol{static_cast<int>(bits >> 28) ^ 0x0F, 4} : DecodeHuffman(bits, tableA);
    const int value = symbol.value;
    std::array<int, 4> quad = {(value >> 3) & 1, (value >> 2) & 1, (value >> 1) & 1, value & 1};
    reader.Skip(symbol.length + ApplySigns(bits << symbol.length, quad));
    if (reader.position() > end) break;
    std::copy(quad.begin(), quad.end(), out.quantized.begin() + line);
    line += 4;
  }
  out.nonzeroEnd = line;
  return true;
}

}  // namespace mp3::layer3
