// The decoding tables of the big-value tables 0..31 and the count1 tables.
#pragma once

#include <cstdint>

#include "player/mp3/layer3/huffman_fast_lookup.h"
#include "player/mp3/layer3/huffman_lookup.h"

namespace mp3::layer3 {

// A code table ready for decoding: its two-level lookup and the bits its
// first level is indexed by.
struct HuffmanDecoding {
  const HuffmanEntry* lookup;
  int firstBits;
};

// Bits the sign-resolving lookups of the pair tables and of count1 tables
// A and B are indexed by. Every quadruple with its signs fits within the
// count1 lookups' bits (codes of up to 6 and 4 bits, four signs).
inline constexpr int kFastPairBits = 9;
inline constexpr int kFastQuadABits = 10;
inline constexpr int kFastQuadBBits = 8;

struct PairTable {
  HuffmanDecoding decoding;  // null lookup: table 0 (all values zero) or a table that does not exist
  const FastPair* fast;      // 1 << kFastPairBits entries; null with a null `decoding.lookup`
  int linbits;
  bool exists;
};

// Table `index` (0..31) of the big-values region.
const PairTable& PairTableFor(int index);

// The sign-resolving lookup of count1 table A (1 << kFastQuadABits entries)
// or B (1 << kFastQuadBBits entries).
const FastQuad* Count1FastLookup(bool tableB);

struct HuffmanSymbol {
  int value;
  int length;  // bits of the code
};

// Decodes the code at the top of `bits`, 32 bits of input (no code is
// longer than 19 bits). Every table is a complete prefix code, so any bits
// decode to some value.
inline HuffmanSymbol DecodeHuffman(std::uint32_t bits, const HuffmanDecoding& table) {
  HuffmanEntry entry = table.lookup[bits >> (32 - table.firstBits)];
  if (entry.width != 0) entry = table.lookup[entry.value + ((bits << table.firstBits) >> (32 - entry.width))];
  return {entry.value, entry.length};
}

}  // namespace mp3::layer3
