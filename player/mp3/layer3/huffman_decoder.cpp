#include "player/mp3/layer3/huffman_decoder.h"

#include <algorithm>

#include "player/mp3/layer3/huffman_tables.h"

namespace mp3::layer3 {
namespace {

constexpr int kNoValue = -1;
constexpr int kShortWindows = 3;

// Walks `tree` bit by bit; the leaf's value, or kNoValue for a bit sequence
// no code starts with.
int DecodeValue(BitReader& reader, const HuffmanNode* tree) {
  std::uint16_t node = 0;
  for (;;) {
    const std::uint16_t child = tree[node][reader.ReadBit() ? 1 : 0];
    if ((child & kHuffmanLeaf) != 0) return child & ~kHuffmanLeaf;
    if (child == 0) return kNoValue;
    node = child;
  }
}

int WithSign(BitReader& reader, int magnitude) {
  if (magnitude == 0) return 0;
  return reader.ReadBit() ? -magnitude : magnitude;
}

int BigValue(BitReader& reader, int magnitude, int linbits) {
  if (linbits > 0 && magnitude == 15) magnitude += static_cast<int>(reader.Read(linbits));
  return WithSign(reader, magnitude);
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
    if (table.tree == nullptr) {
      line = std::max(regionEnd, line + 2);
      continue;
    }
    for (; line < regionEnd; line += 2) {
      const int value = DecodeValue(reader, table.tree);
      if (value == kNoValue) return false;
      out.quantized[static_cast<std::size_t>(line)] = BigValue(reader, value >> 4, table.linbits);
      out.quantized[static_cast<std::size_t>(line) + 1] = BigValue(reader, value & 0x0F, table.linbits);
      if (reader.position() > end) return false;
    }
  }
  line = bigValuesEnd;

  const HuffmanNode* treeA = Count1TreeA();
  while (line + 4 <= kLines && reader.position() < end) {
    const int value = info.count1TableB ? static_cast<int>(reader.Read(4)) ^ 0x0F : DecodeValue(reader, treeA);
    if (value == kNoValue) return false;
    std::array<int, 4> quad{};
    for (int i = 0; i < 4; ++i) quad[static_cast<std::size_t>(i)] = WithSign(reader, (value >> (3 - i)) & 1);
    if (reader.position() > end) break;
    std::copy(quad.begin(), quad.end(), out.quantized.begin() + line);
    line += 4;
  }
  out.nonzeroEnd = line;
  return true;
}

}  // namespace mp3::layer3
