// The decoding trees of the big-value tables 0..31 and the count1 tables.
#pragma once

#include <cstdint>

#include "player/mp3/layer3/huffman_tree.h"

namespace mp3::layer3 {

// A code table ready for decoding: its tree and the lookup of its first bits.
struct HuffmanDecoding {
  const HuffmanNode* tree;
  const HuffmanLookupEntry* lookup;
};

struct PairTable {
  HuffmanDecoding decoding;  // null tree: table 0 (all values zero) or a table that does not exist
  int linbits;
  bool exists;
};

// Table `index` (0..31) of the big-values region.
const PairTable& PairTableFor(int index);

// Count1 table A; table B is a fixed 4-bit code needing no tree.
HuffmanDecoding Count1TableADecoding();

inline constexpr int kNoHuffmanValue = -1;

struct HuffmanSymbol {
  int value;   // kNoHuffmanValue for bits no code starts with
  int length;  // bits of the code (or of the bits looked at, for no code)
};

// Decodes the code at the top of `bits`, 32 bits of input. The lookup
// resolves codes of up to kHuffmanLookupBits bits; longer ones go on through
// the tree (no code is longer than 19 bits).
inline HuffmanSymbol DecodeHuffman(std::uint32_t bits, const HuffmanDecoding& table) {
  const HuffmanLookupEntry entry = table.lookup[bits >> (32 - kHuffmanLookupBits)];
  std::uint16_t target = entry.target;
  int used = entry.length;
  while (target != 0 && (target & kHuffmanLeaf) == 0 && used < 32) {
    target = table.tree[target][(bits >> (31 - used)) & 1];
    ++used;
  }
  return {(target & kHuffmanLeaf) != 0 ? target & ~kHuffmanLeaf : kNoHuffmanValue, used};
}

}  // namespace mp3::layer3
