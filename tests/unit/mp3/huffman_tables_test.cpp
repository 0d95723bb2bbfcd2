// The Huffman code tables as transcribed: each must be a complete prefix
// code (its Kraft sum is exactly 1) whose codes are all different, and the
// two-level decoding lookup built from it must give back every value pair
// from its code, whatever bits follow the code.
// A mistyped code or length fails one of these.
#include <gtest/gtest.h>

#include <span>
#include <string>

#include "player/mp3/layer3/huffman_codes.h"
#include "player/mp3/layer3/huffman_tables.h"

namespace mp3::layer3 {
namespace {

struct CodeTable {
  const char* name;
  std::span<const HuffmanCode> codes;
  int rows;                    // values of x (1 for a count1 table)
  int size;                    // values of y per row: entry = x * size + y
  HuffmanDecoding decoding;
};

void PrintTo(const CodeTable& table, std::ostream* out) { *out << table.name; }

const CodeTable kTables[] = {
    {"table1", kHuffmanTable1, 2, 2, PairTableFor(1).decoding},
    {"table2", kHuffmanTable2, 3, 3, PairTableFor(2).decoding},
    {"table3", kHuffmanTable3, 3, 3, PairTableFor(3).decoding},
    {"table5", kHuffmanTable5, 4, 4, PairTableFor(5).decoding},
    {"table6", kHuffmanTable6, 4, 4, PairTableFor(6).decoding},
    {"table7", kHuffmanTable7, 6, 6, PairTableFor(7).decoding},
    {"table8", kHuffmanTable8, 6, 6, PairTableFor(8).decoding},
    {"table9", kHuffmanTable9, 6, 6, PairTableFor(9).decoding},
    {"table10", kHuffmanTable10, 8, 8, PairTableFor(10).decoding},
    {"table11", kHuffmanTable11, 8, 8, PairTableFor(11).decoding},
    {"table12", kHuffmanTable12, 8, 8, PairTableFor(12).decoding},
    {"table13", kHuffmanTable13, 16, 16, PairTableFor(13).decoding},
    {"table15", kHuffmanTable15, 16, 16, PairTableFor(15).decoding},
    {"table16", kHuffmanTable16, 16, 16, PairTableFor(16).decoding},
    {"table24", kHuffmanTable24, 16, 16, PairTableFor(24).decoding},
    {"count1A", kCount1TableA, 1, 16, Count1TableADecoding()},
};

class HuffmanTableTest : public testing::TestWithParam<CodeTable> {};

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

TEST_P(HuffmanTableTest, DecodingGivesBackEveryPairFromItsCode) {
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

INSTANTIATE_TEST_SUITE_P(Layer3, HuffmanTableTest, testing::ValuesIn(kTables),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace mp3::layer3
