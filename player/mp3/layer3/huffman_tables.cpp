#include "player/mp3/layer3/huffman_tables.h"

#include "player/mp3/layer3/huffman_codes.h"

namespace mp3::layer3 {
namespace {

// The lookup of `Codes`, whose entry i codes (i / Size, i % Size). Each is a
// separate constant so that each stays a small compile-time evaluation.
template <const auto& Codes, int Size>
constexpr auto kLookup = BuildHuffmanLookup<HuffmanLookupSize(Codes)>(Codes, Size);

template <const auto& Codes, int Size>
constexpr HuffmanDecoding Decoding() {
  return {kLookup<Codes, Size>.data(), HuffmanFirstBits(Codes)};
}

// The sign-resolving lookup of `Codes`; `Escapes`: 15 is followed by
// linbits. Tables 16 to 23 (and 24 to 31) share one.
template <const auto& Codes, int Size, bool Escapes>
constexpr auto kFastPairs = BuildFastPairLookup<kFastPairBits>(Codes, Size, Escapes);

template <const auto& Codes, int Size, int Linbits = 0>
constexpr PairTable Pair() {
  return {Decoding<Codes, Size>(), kFastPairs<Codes, Size, (Linbits > 0)>.data(), Linbits, true};
}

constexpr auto kFastQuadsA = BuildFastQuadLookup<kFastQuadABits>(kCount1TableA);
constexpr auto kFastQuadsB = BuildFastQuadLookup<kFastQuadBBits>(Count1TableBCodes());

// The count1 region is decoded through these lookups alone.
template <std::size_t Size>
constexpr bool ResolvesEveryEntry(const std::array<FastQuad, Size>& lookup) {
  for (const FastQuad& entry : lookup) {
    if (entry.length == 0) return false;
  }
  return true;
}
static_assert(ResolvesEveryEntry(kFastQuadsA) && ResolvesEveryEntry(kFastQuadsB),
              "a count1 lookup is too narrow for a code with its signs");

constexpr PairTable kAllZeros = {{nullptr, 0}, nullptr, 0, true};
constexpr PairTable kMissing = {{nullptr, 0}, nullptr, 0, false};

// Tables 16-23 and 24-31 differ only in their linbits.
constexpr PairTable kPairTables[32] = {
    kAllZeros,
    Pair<kHuffmanTable1, 2>(),
    Pair<kHuffmanTable2, 3>(),
    Pair<kHuffmanTable3, 3>(),
    kMissing,
    Pair<kHuffmanTable5, 4>(),
    Pair<kHuffmanTable6, 4>(),
    Pair<kHuffmanTable7, 6>(),
    Pair<kHuffmanTable8, 6>(),
    Pair<kHuffmanTable9, 6>(),
    Pair<kHuffmanTable10, 8>(),
    Pair<kHuffmanTable11, 8>(),
    Pair<kHuffmanTable12, 8>(),
    Pair<kHuffmanTable13, 16>(),
    kMissing,
    Pair<kHuffmanTable15, 16>(),
    Pair<kHuffmanTable16, 16, 1>(),
    Pair<kHuffmanTable16, 16, 2>(),
    Pair<kHuffmanTable16, 16, 3>(),
    Pair<kHuffmanTable16, 16, 4>(),
    Pair<kHuffmanTable16, 16, 6>(),
    Pair<kHuffmanTable16, 16, 8>(),
    Pair<kHuffmanTable16, 16, 10>(),
    Pair<kHuffmanTable16, 16, 13>(),
    Pair<kHuffmanTable24, 16, 4>(),
    Pair<kHuffmanTable24, 16, 5>(),
    Pair<kHuffmanTable24, 16, 6>(),
    Pair<kHuffmanTable24, 16, 7>(),
    Pair<kHuffmanTable24, 16, 8>(),
    Pair<kHuffmanTable24, 16, 9>(),
    Pair<kHuffmanTable24, 16, 11>(),
    Pair<kHuffmanTable24, 16, 13>(),
};

}  // namespace

const PairTable& PairTableFor(int index) { return kPairTables[index & 31]; }

const FastQuad* Count1FastLookup(bool tableB) { return tableB ? kFastQuadsB.data() : kFastQuadsA.data(); }

}  // namespace mp3::layer3
