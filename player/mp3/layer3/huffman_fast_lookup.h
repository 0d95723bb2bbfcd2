// Sign-resolving lookups built at compile time from the Huffman code
// tables: indexed by the next `Bits` bits of the input, an entry gives the
// final signed values and the bits they take in all (code and sign bits)
// whenever the code and its signs fit within those bits. Entries that do
// not resolve (a longer code, signs beyond the index, or a value of 15 that
// linbits extend) have length 0 and are left to the two-level lookup.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "player/mp3/layer3/huffman_codes.h"

namespace mp3::layer3 {

// A pair (x, y) with its signs; `length` 0: not resolved by this entry.
struct FastPair {
  std::int8_t x;
  std::int8_t y;
  std::uint8_t length;
};

// A count1 quadruple (v, w, x, y) with its signs, and the bits it takes.
struct FastQuad {
  std::array<std::int8_t, 4> values;
  std::uint8_t length;
};

namespace huffman_fast_detail {

// Fills the entries of `table` (indexed by `bits` bits) that begin with
// `code` of `length` bits followed by the signs of `magnitudes`, one bit
// for each nonzero value, in order: each gets the signed values and the
// code's and signs' length. Nothing when they do not fit within `bits`.
template <typename Entry, std::size_t Size, std::size_t Count>
constexpr void FillSigned(std::array<Entry, Size>& table, int bits, std::uint32_t code, int length,
                          const std::array<int, Count>& magnitudes, Entry (*make)(const std::array<int, Count>&, int)) {
  int nonzero = 0;
  for (const int value : magnitudes) nonzero += value != 0 ? 1 : 0;
  const int used = length + nonzero;
  if (used > bits) return;
  const int spare = bits - used;
  for (std::uint32_t signs = 0; signs < (1u << nonzero); ++signs) {
    std::array<int, Count> values = magnitudes;
    int sign = nonzero - 1;
    for (int& value : values) {
      if (value == 0) continue;
      if (((signs >> sign) & 1u) != 0) value = -value;
      --sign;
    }
    const Entry entry = make(values, used);
    const std::size_t first = static_cast<std::size_t>(((code << nonzero) | signs) << spare);
    for (std::size_t i = first; i < first + (std::size_t{1} << spare); ++i) table[i] = entry;
  }
}

constexpr FastPair MakePair(const std::array<int, 2>& values, int length) {
  return {static_cast<std::int8_t>(values[0]), static_cast<std::int8_t>(values[1]), static_cast<std::uint8_t>(length)};
}

constexpr FastQuad MakeQuad(const std::array<int, 4>& values, int length) {
  return {{static_cast<std::int8_t>(values[0]), static_cast<std::int8_t>(values[1]), static_cast<std::int8_t>(values[2]),
           static_cast<std::int8_t>(values[3])},
          static_cast<std::uint8_t>(length)};
}

}  // namespace huffman_fast_detail

// The lookup of the pair code `codes`, whose entry i codes (i / size,
// i % size), indexed by `Bits` bits. `escapes`: a value of 15 is followed
// by linbits (tables 16 to 31), so codes holding one stay unresolved.
template <int Bits, std::size_t Count>
constexpr std::array<FastPair, std::size_t{1} << Bits> BuildFastPairLookup(const std::array<HuffmanCode, Count>& codes,
                                                                          int size, bool escapes) {
  std::array<FastPair, std::size_t{1} << Bits> table{};
  for (std::size_t i = 0; i < Count; ++i) {
    const std::array<int, 2> pair = {static_cast<int>(i) / size, static_cast<int>(i) % size};
    if (escapes && (pair[0] == 15 || pair[1] == 15)) continue;
    huffman_fast_detail::FillSigned(table, Bits, codes[i].code, codes[i].length, pair, huffman_fast_detail::MakePair);
  }
  return table;
}

// Count1 table B as codes: quadruple i is coded as its four bits inverted.
constexpr std::array<HuffmanCode, 16> Count1TableBCodes() {
  std::array<HuffmanCode, 16> codes{};
  for (std::size_t i = 0; i < codes.size(); ++i) codes[i] = {static_cast<std::uint16_t>(i ^ 0x0F), 4};
  return codes;
}

// The lookup of count1 `codes`, whose entry i codes the quadruple of i's
// bits v w x y, indexed by `Bits` bits.
template <int Bits>
constexpr std::array<FastQuad, std::size_t{1} << Bits> BuildFastQuadLookup(const std::array<HuffmanCode, 16>& codes) {
  std::array<FastQuad, std::size_t{1} << Bits> table{};
  for (std::size_t i = 0; i < codes.size(); ++i) {
    const std::array<int, 4> quad = {static_cast<int>(i >> 3) & 1, static_cast<int>(i >> 2) & 1,
                                     static_cast<int>(i >> 1) & 1, static_cast<int>(i) & 1};
    huffman_fast_detail::FillSigned(table, Bits, codes[i].code, codes[i].length, quad, huffman_fast_detail::MakeQuad);
  }
  return table;
}

}  // namespace mp3::layer3
