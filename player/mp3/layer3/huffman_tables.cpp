#include "player/mp3/layer3/huffman_tables.h"

namespace mp3::layer3 {
namespace {

// A complete prefix code of n values has n - 1 internal nodes.
template <std::size_t Count>
constexpr auto Tree(const std::array<HuffmanCode, Count>& codes, int size) {
  return BuildHuffmanTree<Count - 1>(codes, size);
}

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

constexpr PairTable kPairTables[32] = {
    {nullptr, 0, true},       {kTree1.data(), 0, true},  {kTree2.data(), 0, true},  {kTree3.data(), 0, true},
    {nullptr, 0, false},      {kTree5.data(), 0, true},  {kTree6.data(), 0, true},  {kTree7.data(), 0, true},
    {kTree8.data(), 0, true}, {kTree9.data(), 0, true},  {kTree10.data(), 0, true}, {kTree11.data(), 0, true},
    {kTree12.data(), 0, true}, {kTree13.data(), 0, true}, {nullptr, 0, false},      {kTree15.data(), 0, true},
    {kTree16.data(), 1, true}, {kTree16.data(), 2, true}, {kTree16.data(), 3, true}, {kTree16.data(), 4, true},
    {kTree16.data(), 6, true}, {kTree16.data(), 8, true}, {kTree16.data(), 10, true}, {kTree16.data(), 13, true},
    {kTree24.data(), 4, true}, {kTree24.data(), 5, true}, {kTree24.data(), 6, true}, {kTree24.data(), 7, true},
    {kTree24.data(), 8, true}, {kTree24.data(), 9, true}, {kTree24.data(), 11, true}, {kTree24.data(), 13, true},
};

}  // namespace

const PairTable& PairTableFor(int index) { return kPairTables[index & 31]; }

const HuffmanNode* Count1TreeA() { return kTreeA.data(); }

}  // namespace mp3::layer3
