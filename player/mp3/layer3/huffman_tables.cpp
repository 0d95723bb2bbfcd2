#include "player/mp3/layer3/huffman_tables.h"

namespace mp3::layer3 {
namespace {

// A complete prefix code of n values has n - 1 internal nodes.
template <std::size_t Count>
constexpr auto Tree(const std::array<HuffmanCode, Count>& codes, int size) {
  return BuildHuffmanTree<Count - 1>(codes, size);
}

template <std::size_t Nodes>
struct TreeWithLookup {
  std::array<HuffmanNode, Nodes> tree;
  HuffmanLookup lookup;

  constexpr HuffmanDecoding decoding() const { return {tree.data(), lookup.data()}; }
};

template <std::size_t Count>
constexpr auto Decoding(const std::array<HuffmanCode, Count>& codes, int size) {
  const auto tree = Tree(codes, size);
  return TreeWithLookup<Count - 1>{tree, BuildHuffmanLookup(tree)};
}

constexpr auto kDecoding1 = Decoding(kHuffmanTable1, 2);
constexpr auto kDecoding2 = Decoding(kHuffmanTable2, 3);
constexpr auto kDecoding3 = Decoding(kHuffmanTable3, 3);
constexpr auto kDecoding5 = Decoding(kHuffmanTable5, 4);
constexpr auto kDecoding6 = Decoding(kHuffmanTable6, 4);
constexpr auto kDecoding7 = Decoding(kHuffmanTable7, 6);
constexpr auto kDecoding8 = Decoding(kHuffmanTable8, 6);
constexpr auto kDecoding9 = Decoding(kHuffmanTable9, 6);
constexpr auto kDecoding10 = Decoding(kHuffmanTable10, 8);
constexpr auto kDecoding11 = Decoding(kHuffmanTable11, 8);
constexpr auto kDecoding12 = Decoding(kHuffmanTable12, 8);
constexpr auto kDecoding13 = Decoding(kHuffmanTable13, 16);
constexpr auto kDecoding15 = Decoding(kHuffmanTable15, 16);
constexpr auto kDecoding16 = Decoding(kHuffmanTable16, 16);
constexpr auto kDecoding24 = Decoding(kHuffmanTable24, 16);
constexpr auto kDecodingA = Decoding(kCount1TableA, 16);

template <std::size_t Nodes>
constexpr PairTable Pair(const TreeWithLookup<Nodes>& table, int linbits = 0) {
  return {table.decoding(), linbits, true};
}

constexpr PairTable kAllZeros = {{nullptr, nullptr}, 0, true};
constexpr PairTable kMissing = {{nullptr, nullptr}, 0, false};

// Tables 16-23 and 24-31 differ only in their linbits.
constexpr PairTable kPairTables[32] = {
    kAllZeros,               Pair(kDecoding1),        Pair(kDecoding2),        Pair(kDecoding3),
    kMissing,                Pair(kDecoding5),        Pair(kDecoding6),        Pair(kDecoding7),
    Pair(kDecoding8),        Pair(kDecoding9),        Pair(kDecoding10),       Pair(kDecoding11),
    Pair(kDecoding12),       Pair(kDecoding13),       kMissing,                Pair(kDecoding15),
    Pair(kDecoding16, 1),    Pair(kDecoding16, 2),    Pair(kDecoding16, 3),    Pair(kDecoding16, 4),
    Pair(kDecoding16, 6),    Pair(kDecoding16, 8),    Pair(kDecoding16, 10),   Pair(kDecoding16, 13),
    Pair(kDecoding24, 4),    Pair(kDecoding24, 5),    Pair(kDecoding24, 6),    Pair(kDecoding24, 7),
    Pair(kDecoding24, 8),    Pair(kDecoding24, 9),    Pair(kDecoding24, 11),   Pair(kDecoding24, 13),
};

}  // namespace

const PairTable& PairTableFor(int index) { return kPairTables[index & 31]; }

HuffmanDecoding Count1TableADecoding() { return kDecodingA.decoding(); }

}  // namespace mp3::layer3
