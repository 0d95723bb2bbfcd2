// The Huffman code tables as transcribed: each must be a complete prefix
// code (its Kraft sum is exactly 1) whose codes are all different, and the
// two-level decoding lookup built from it must give back every value pair
// from its code, whatever bits follow the code; and each entry of the
// sign-resolving lookup must give the values, signs and length that the
// codes and the bits after them mean, or be left unresolved exactly when
// they do not fit within its bits (or a value has linbits).
// A mistyped code or length, or a wrong lookup entry, fails one of these.
#include <gtest/gtest.h>

#include <span>
#include <string>
#include <vector>

#include "player/mp3/layer3/huffman_codes.h"
#include "player/mp3/layer3/huffman_tables.h"

namespace mp3::layer3 {
namespace {

struct CodeTable {
  const char* name;
  std::span<const HuffmanCode> codes;
  int rows;                    // values of x (1 for a count1 table)
  int size;                    // values of y per row: entry = x * size + y
  HuffmanDecoding decoding;    // null lookup: a count1 table (the last two rows), decoded by its sign-resolving lookup alone
  const FastPair* fastPairs;   // the sign-resolving lookup of a pair table
  const FastQuad* fastQuads;   // or of a count1 table
  int fastBits;                // bits that lookup is indexed by
  bool escapes;                // a value of 15 is followed by linbits
};

constexpr auto kCount1TableB = Count1TableBCodes();

void PrintTo(const CodeTable& table, std::ostream* out) { *out << table.name; }

const CodeTable kTables[] = {
    {"table1", kHuffmanTable1, 2, 2, PairTableFor(1).decoding, PairTableFor(1).fast, nullptr, kFastPairBits, false},
    {"table2", kHuffmanTable2, 3, 3, PairTableFor(2).decoding, PairTableFor(2).fast, nullptr, kFastPairBits, false},
    {"table3", kHuffmanTable3, 3, 3, PairTableFor(3).decoding, PairTableFor(3).fast, nullptr, kFastPairBits, false},
    {"table5", kHuffmanTable5, 4, 4, PairTableFor(5).decoding, PairTableFor(5).fast, nullptr, kFastPairBits, false},
    {"table6", kHuffmanTable6, 4, 4, PairTableFor(6).decoding, PairTableFor(6).fast, nullptr, kFastPairBits, false},
    {"table7", kHuffmanTable7, 6, 6, PairTableFor(7).decoding, PairTableFor(7).fast, nullptr, kFastPairBits, false},
    {"table8", kHuffmanTable8, 6, 6, PairTableFor(8).decoding, PairTableFor(8).fast, nullptr, kFastPairBits, false},
    {"table9", kHuffmanTable9, 6, 6, PairTableFor(9).decoding, PairTableFor(9).fast, nullptr, kFastPairBits, false},
    {"table10", kHuffmanTable10, 8, 8, PairTableFor(10).decoding, PairTableFor(10).fast, nullptr, kFastPairBits, false},
    {"table11", kHuffmanTable11, 8, 8, PairTableFor(11).decoding, PairTableFor(11).fast, nullptr, kFastPairBits, false},
    {"table12", kHuffmanTable12, 8, 8, PairTableFor(12).decoding, PairTableFor(12).fast, nullptr, kFastPairBits, false},
    {"table13", kHuffmanTable13, 16, 16, PairTableFor(13).decoding, PairTableFor(13).fast, nullptr, kFastPairBits, false},
    {"table15", kHuffmanTable15, 16, 16, PairTableFor(15).decoding, PairTableFor(15).fast, nullptr, kFastPairBits, false},
    {"table16", kHuffmanTable16, 16, 16, PairTableFor(16).decoding, PairTableFor(16).fast, nullptr, kFastPairBits, true},
    {"table24", kHuffmanTable24, 16, 16, PairTableFor(24).decoding, PairTableFor(24).fast, nullptr, kFastPairBits, true},
    {"count1A", kCount1TableA, 1, 16, {nullptr, 0}, nullptr, Count1FastLookup(false), kFastQuadABits, false},
    {"count1B", kCount1TableB, 1, 16, {nullptr, 0}, nullptr, Count1FastLookup(true), kFastQuadBBits, false},
};

class HuffmanTableTest : public testing::TestWithParam<CodeTable> {};
// The tables with a two-level lookup: the pair tables.
class TwoLevelLookupTest : public testing::TestWithParam<CodeTable> {};

TEST_P(HuffmanTableTest, IsACompletePrefixCode) {
  const CodeTable& table = GetParam();
  ASSERT_EQ(table.codes.size(), static_cast<std::size_t>(table.rows * table.size)) << table.name;
  // Kraft sum in units of 2^-19, the longest code length.
  constexpr int kMaxLength = 19;
  std::uint64_t kraft = 0;
  for (std::size_t i = 0; i < table.codes.size(); ++i) {
    const HuffmanCode code = table.codes[i];
    ASSERT_GE(code.length, 1) << table.name << " entry " << i;
    ASSERT_LE(code.length, kMaxLength) << table.name << " entry " << i;
    ASSERT_LT(code.code, 1u << code.length) << table.name << " entry " << i << " has more bits than its length";
    kraft += std::uint64_t{1} << (kMaxLength - code.length);
  }
  EXPECT_EQ(kraft, std::uint64_t{1} << kMaxLength) << table.name;
}

TEST_P(TwoLevelLookupTest, DecodingGivesBackEveryPairFromItsCode) {
  const CodeTable& table = GetParam();
  for (std::size_t entry = 0; entry < table.codes.size(); ++entry) {
    const HuffmanCode code = table.codes[entry];
    // The code at the top of 32 bits, then ones that a shorter decode would
    // run into, or zeros.
    const std::uint32_t top = std::uint32_t{code.code} << (32 - code.length);
    for (const std::uint32_t after : {(1u << (32 - code.length)) - 1, 0u}) {
      const HuffmanSymbol symbol = DecodeHuffman(top | after, table.decoding);
      const int x = static_cast<int>(entry) / table.size;
      const int y = static_cast<int>(entry) % table.size;
      EXPECT_EQ(symbol.value, (x << 4) | y) << table.name << " entry " << entry << ", followed by " << after;
      EXPECT_EQ(symbol.length, code.length) << table.name << " entry " << entry << ", followed by " << after;
    }
  }
}

// The values of codes entry `entry`: a pair (x, y) or a count1 quadruple.
std::vector<int> ValuesOf(const CodeTable& table, std::size_t entry) {
  const int i = static_cast<int>(entry);
  if (table.rows > 1) return {i / table.size, i % table.size};
  return {(i >> 3) & 1, (i >> 2) & 1, (i >> 1) & 1, i & 1};
}

TEST_P(HuffmanTableTest, FastLookupResolvesWhatFitsAsTheCodesMean) {
  const CodeTable& table = GetParam();
  const int bits = table.fastBits;
  for (std::uint32_t index = 0; index < (1u << bits); ++index) {
    // What the codes mean: the code that begins `index`, then one sign bit
    // for each nonzero value.
    std::vector<int> expected;
    int expectedLength = 0;
    for (std::size_t entry = 0; entry < table.codes.size(); ++entry) {
      const HuffmanCode code = table.codes[entry];
      if (code.length > bits || (index >> (bits - code.length)) != code.code) continue;
      std::vector<int> values = ValuesOf(table, entry);
      int used = code.length;
      bool fits = true;
      for (int& value : values) {
        if (value == 0) continue;
        if ((table.escapes && value == 15) || used == bits) {
          fits = false;
          break;
        }
        if (((index >> (bits - 1 - used)) & 1u) != 0) value = -value;
        ++used;
      }
      if (fits) {
        expected = values;
        expectedLength = used;
      }
    }
    std::vector<int> actual;
    int actualLength = 0;
    if (table.fastPairs != nullptr) {
      const FastPair pair = table.fastPairs[index];
      actualLength = pair.length;
      if (actualLength != 0) actual = {pair.x, pair.y};
    } else {
      const FastQuad quad = table.fastQuads[index];
      actualLength = quad.length;
      if (actualLength != 0) actual.assign(quad.values.begin(), quad.values.end());
    }
    ASSERT_EQ(actualLength, expectedLength) << table.name << " entry " << index << " (0 is unresolved)";
    ASSERT_EQ(actual, expected) << table.name << " entry " << index;
  }
}

const auto kTableName = [](const auto& info) { return std::string(info.param.name); };
INSTANTIATE_TEST_SUITE_P(Layer3, HuffmanTableTest, testing::ValuesIn(kTables), kTableName);
INSTANTIATE_TEST_SUITE_P(Layer3, TwoLevelLookupTest, testing::ValuesIn(std::begin(kTables), std::end(kTables) - 2),
                         kTableName);

}  // namespace
}  // namespace mp3::layer3
