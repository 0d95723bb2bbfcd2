#include "player/mp3/layer3/huffman_tables.h"

namespace mp3::layer3 {
namespace {

// A complete prefix code of n values has n - 1 internal nodes.
template <std::size_t Count>
constexpr auto Tree(const std::array<HuffmanCode, Count>& codes, int size) {
  return BuildHuffmanTree<Count - 1>(codes, size);
}

// Trees and lookups are separate constants so that each stays a small
// compile-time evaluation.
constexpr auto kTree1 = Tree(kHuffmanTable1, 2);
constexpr auto kTree2 = Tree(kHuffmanTable2, 3);
constexpr auto kTree3 = Tree(kHuffmanTable3, 3);
constexpr auto kTree5 = Tree(kHuffmanTable5, 4);
constexpr auto kTree6 = Tree(kHuffmanTable6, 4);
constexpr auto kTree7 = Tree(kHuffmanTable7, 6);
constexpr auto kTree8 = Tree(kHuffmanTable8, 6);
constexpr auto kTree9 = Tree(kHuffmanTable9, 6);
constexpr auto kTree10 = Tree(kHuffmanTable10, 8);
constexpr auto kTree11 = Tree(kHuffmanTable11, 8);
constexpr auto kTree12 = Tree(kHuffmanTable12, 8);
constexpr auto kTree13 = Tree(kHuffmanTable13, 16);
constexpr auto kTree15 = Tree(kHuffmanTable15, 16);
constexpr auto kTree16 = Tree(kHuffmanTable16, 16);
constexpr auto kTree24 = Tree(kHuffmanTable24, 16);
constexpr auto kTreeA = Tree(kCount1TableA, 16);

constexpr HuffmanLookup kLookup1 = BuildHuffmanLookup(kTree1);
constexpr HuffmanLookup kLookup2 = BuildHuffmanLookup(kTree2);
constexpr HuffmanLookup kLookup3 = BuildHuffmanLookup(kTree3);
constexpr HuffmanLookup kLookup5 = BuildHuffmanLookup(kTree5);
constexpr HuffmanLookup kLookup6 = BuildHuffmanLookup(kTree6);
constexpr HuffmanLookup kLookup7 = BuildHuffmanLookup(kTree7);
constexpr HuffmanLookup kLookup8 = BuildHuffmanLookup(kTree8);
constexpr HuffmanLookup kLookup9 = BuildHuffmanLookup(kTree9);
constexpr HuffmanLookup kLookup10 = BuildHuffmanLookup(kTree10);
constexpr HuffmanLookup kLookup11 = BuildHuffmanLookup(kTree11);
constexpr HuffmanLookup kLookup12 = BuildHuffmanLookup(kTree12);
constexpr HuffmanLookup kLookup13 = BuildHuffmanLookup(kTree13);
constexpr HuffmanLookup kLookup15 = BuildHuffmanLookup(kTree15);
constexpr HuffmanLookup kLookup16 = BuildHuffmanLookup(kTree16);
constexpr HuffmanLookup kLookup24 = BuildHuffmanLookup(kTree24);
constexpr HuffmanLookup kLookupA = BuildHuffmanLookup(kTreeA);

template <std::size_t Nodes>
constexpr PairTable Pair(const std::array<HuffmanNode, Nodes>& tree, const HuffmanLookup& lookup, int linbits = 0) {
  return {{tree.data(), lookup.data()}, linbits, true};
}

constexpr PairTable kAllZeros = {{nullptr, nullptr}, 0, true};
constexpr PairTable kMissing = {{nullptr, nullptr}, 0, false};

// Tables 16-23 and 24-31 differ only in their linbits.
constexpr PairTable kPairTables[32] = {
    kAllZeros,
    Pair(kTree1, kLookup1),
    Pair(kTree2, kLookup2),
    Pair(kTree3, kLookup3),
    kMissing,
    Pair(kTree5, kLookup5),
    Pair(kTree6, kLookup6),
    Pair(kTree7, kLookup7),
    Pair(kTree8, kLookup8),
    Pair(kTree9, kLookup9),
    Pair(kTree10, kLookup10),
    Pair(kTree11, kLookup11),
    Pair(kTree12, kLookup12),
    Pair(kTree13, kLookup13),
    kMissing,
    Pair(kTree15, kLookup15),
    Pair(kTree16, kLookup16, 1),
    Pair(kTree16, kLookup16, 2),
    Pair(kTree16, kLookup16, 3),
    Pair(kTree16, kLookup16, 4),
    Pair(kTree16, kLookup16, 6),
    Pair(kTree16, kLookup16, 8),
    Pair(kTree16, kLookup16, 10),
    Pair(kTree16, kLookup16, 13),
    Pair(kTree24, kLookup24, 4),
    Pair(kTree24, kLookup24, 5),
    Pair(kTree24, kLookup24, 6),
    Pair(kTree24, kLookup24, 7),
    Pair(kTree24, kLookup24, 8),
    Pair(kTree24, kLookup24, 9),
    Pair(kTree24, kLookup24, 11),
    Pair(kTree24, kLookup24, 13),
};

}  // namespace

const PairTable& PairTableFor(int index) { return kPairTables[index & 31]; }

HuffmanDecoding Count1TableADecoding() { return {kTreeA.data(), kLookupA.data()}; }

}  // namespace mp3::layer3
