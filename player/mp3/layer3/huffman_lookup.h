// Two-level decoding tables built at compile time from the Huffman code
// tables. The first kHuffmanFirstBits bits of the input (fewer for a table
// whose codes are all shorter) index the first level: an entry there is
// either a whole code with its value or the start of a second-level table
// indexed by the bits after them, wide enough for the longest code that
// begins with those bits. So a code takes one step, or two when it is long.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

#include "player/mp3/layer3/huffman_codes.h"

namespace mp3::layer3 {

inline constexpr int kHuffmanFirstBits = 8;

// A decoded code (`width` 0): `value` is x << 4 | y for a pair (a
// quadruple's v w x y bits for count1 table A) and `length` the code's
// bits. Or, in the first level only (`width` > 0), a second-level table:
// it starts at entry `value` of the same array and is indexed by the next
// `width` bits.
struct HuffmanEntry {
  std::uint16_t value;
  std::uint8_t length;
  std::uint8_t width;
};

// Bits the first level of `codes` is indexed by.
template <std::size_t Count>
constexpr int HuffmanFirstBits(const std::array<HuffmanCode, Count>& codes) {
  int longest = 0;
  for (const HuffmanCode code : codes) longest = std::max<int>(longest, code.length);
  return std::min(longest, kHuffmanFirstBits);
}

// For each first-level index, the width of its second-level table: the
// longest code beginning with those bits less the first-level bits (0 when
// the index resolves a whole code).
template <std::size_t Count>
constexpr std::array<int, std::size_t{1} << kHuffmanFirstBits> HuffmanSecondWidths(
    const std::array<HuffmanCode, Count>& codes) {
  const int first = HuffmanFirstBits(codes);
  std::array<int, std::size_t{1} << kHuffmanFirstBits> widths{};
  for (const HuffmanCode code : codes) {
    if (code.length <= first) continue;
    const std::size_t prefix = code.code >> (code.length - first);
    widths[prefix] = std::max(widths[prefix], code.length - first);
  }
  return widths;
}

// Entries of both levels of `codes`' table.
template <std::size_t Count>
constexpr std::size_t HuffmanLookupSize(const std::array<HuffmanCode, Count>& codes) {
  const int first = HuffmanFirstBits(codes);
  std::size_t size = std::size_t{1} << first;
  for (const int width : HuffmanSecondWidths(codes)) size += width > 0 ? std::size_t{1} << width : 0;
  return size;
}

// Builds the table of `codes`, whose entry i codes (i / size, i % size).
// Fails to compile unless the codes are a complete prefix code: every
// entry is filled exactly once, so any input bits decode to some value.
template <std::size_t Size, std::size_t Count>
constexpr std::array<HuffmanEntry, Size> BuildHuffmanLookup(const std::array<HuffmanCode, Count>& codes, int size) {
  const int first = HuffmanFirstBits(codes);
  const auto widths = HuffmanSecondWidths(codes);
  std::array<HuffmanEntry, Size> table{};
  std::array<bool, Size> filled{};
  const auto fill = [&](std::size_t from, std::size_t count, HuffmanEntry entry) {
    for (std::size_t i = from; i < from + count; ++i) {
      if (i >= Size || filled[i]) throw "a code is the prefix of another, or the size is wrong";
      filled[i] = true;
      table[i] = entry;
    }
  };
  std::size_t next = std::size_t{1} << first;
  for (std::size_t prefix = 0; prefix < (std::size_t{1} << first); ++prefix) {
    if (widths[prefix] == 0) continue;
    fill(prefix, 1,
         {static_cast<std::uint16_t>(next), static_cast<std::uint8_t>(first), static_cast<std::uint8_t>(widths[prefix])});
    next += std::size_t{1} << widths[prefix];
  }
  if (next != Size) throw "the size is wrong";
  for (std::size_t i = 0; i < Count; ++i) {
    const HuffmanCode code = codes[i];
    const HuffmanEntry leaf = {static_cast<std::uint16_t>(((i / size) << 4) | (i % size)), code.length, 0};
    if (code.length <= first) {
      const int spare = first - code.length;
      fill(std::size_t{code.code} << spare, std::size_t{1} << spare, leaf);
    } else {
      const int rest = code.length - first;
      const HuffmanEntry second = table[code.code >> rest];
      const int spare = second.width - rest;
      const std::size_t low = code.code & ((std::size_t{1} << rest) - 1);
      fill(second.value + (low << spare), std::size_t{1} << spare, leaf);
    }
  }
  for (const bool f : filled) {
    if (!f) throw "the codes are not complete: some bits decode to nothing";
  }
  return table;
}

}  // namespace mp3::layer3
