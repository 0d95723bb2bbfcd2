// Decoding trees built at compile time from the Huffman code tables. A tree
// is an array of nodes; node 0 is the root. Each node holds its two children
// (for bit 0 and bit 1): 0 when no code continues that way, a node index, or
// kHuffmanLeaf with the decoded value (x << 4 | y, or a quadruple's v w x y
// bits) in the low bits. A lookup table beside each tree resolves the first
// kHuffmanLookupBits bits of a code in one step.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "player/mp3/layer3/huffman_codes.h"

namespace mp3::layer3 {

using HuffmanNode = std::array<std::uint16_t, 2>;

inline constexpr std::uint16_t kHuffmanLeaf = 0x8000;

// Builds the tree of `codes`, whose entry i codes (i / size, i % size).
// Fails to compile when the codes are not a prefix code or the tree needs more
// than `Nodes` nodes.
template <std::size_t Nodes, std::size_t Count>
constexpr std::array<HuffmanNode, Nodes> BuildHuffmanTree(const std::array<HuffmanCode, Count>& codes, int size) {
  std::array<HuffmanNode, Nodes> nodes{};
  std::size_t used = 1;
  for (std::size_t entry = 0; entry < Count; ++entry) {
    const HuffmanCode code = codes[entry];
    std::size_t node = 0;
    for (int bit = code.length - 1; bit > 0; --bit) {
      std::uint16_t& child = nodes[node][(code.code >> bit) & 1];
      if (child == 0) {
        if (used == Nodes) throw "too many tree nodes";
        child = static_cast<std::uint16_t>(used++);
      } else if ((child & kHuffmanLeaf) != 0) {
        throw "a code is the prefix of another";
      }
      node = child;
    }
    std::uint16_t& leaf = nodes[node][code.code & 1];
    if (leaf != 0) throw "a code is the prefix of another";
    leaf = static_cast<std::uint16_t>(kHuffmanLeaf | ((entry / size) << 4) | (entry % size));
  }
  return nodes;
}

inline constexpr int kHuffmanLookupBits = 8;

// What the next kHuffmanLookupBits bits of the input decode to. `target` is
// kHuffmanLeaf with the value of a code of `length` bits, or the tree node to
// go on from after all kHuffmanLookupBits bits, or 0 when no code starts with
// the first `length` bits.
struct HuffmanLookupEntry {
  std::uint16_t target;
  std::uint8_t length;
};

using HuffmanLookup = std::array<HuffmanLookupEntry, std::size_t{1} << kHuffmanLookupBits>;

template <std::size_t Nodes>
constexpr HuffmanLookup BuildHuffmanLookup(const std::array<HuffmanNode, Nodes>& tree) {
  HuffmanLookup lookup{};
  for (std::size_t bits = 0; bits < lookup.size(); ++bits) {
    std::uint16_t node = 0;
    for (int depth = 1; depth <= kHuffmanLookupBits; ++depth) {
      const std::uint16_t child = tree[node][(bits >> (kHuffmanLookupBits - depth)) & 1];
      if ((child & kHuffmanLeaf) != 0 || child == 0) {
        lookup[bits] = {child, static_cast<std::uint8_t>(depth)};
        break;
      }
      node = child;
      if (depth == kHuffmanLookupBits) lookup[bits] = {node, static_cast<std::uint8_t>(depth)};
    }
  }
  return lookup;
}

}  // namespace mp3::layer3
