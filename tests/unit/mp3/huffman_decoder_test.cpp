// Spectral values Huffman-coded by hand: pairs with signs and linbits, the
// region boundaries that switch tables, the count1 quadruples of tables A and
// B, and where decoding must stop or give up.
#include <gtest/gtest.h>

#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "bit_writer.h"
#include "player/mp3/layer3/huffman_codes.h"
#include "player/mp3/layer3/huffman_decoder.h"

namespace mp3::layer3 {
namespace {

using test::BitWriter;

struct CodeTable {
  std::span<const HuffmanCode> codes;
  int size;
  int linbits;
};

// The code tables of the table numbers the tests use.
CodeTable CodesOf(int table) {
  switch (table) {
    case 1: return {kHuffmanTable1, 2, 0};
    case 2: return {kHuffmanTable2, 3, 0};
    case 5: return {kHuffmanTable5, 4, 0};
    case 15: return {kHuffmanTable15, 16, 0};
    case 23: return {kHuffmanTable16, 16, 13};
    case 31: return {kHuffmanTable24, 16, 13};
    default: ADD_FAILURE() << "no codes for table " << table; return {kHuffmanTable1, 2, 0};
  }
}

void PutValue(BitWriter& out, int value, int linbits) {
  const int magnitude = std::abs(value);
  if (linbits > 0 && magnitude >= 15) out.Put(static_cast<std::uint32_t>(magnitude - 15), linbits);
  if (magnitude != 0) out.Put(value < 0 ? 1 : 0, 1);
}

void PutPair(BitWriter& out, int table, int x, int y) {
  const CodeTable codes = CodesOf(table);
  const int cx = std::min(std::abs(x), codes.size - 1);
  const int cy = std::min(std::abs(y), codes.size - 1);
  const HuffmanCode code = codes.codes[static_cast<std::size_t>(cx * codes.size + cy)];
  out.Put(code.code, code.length);
  PutValue(out, x, codes.linbits);
  PutValue(out, y, codes.linbits);
}

void PutQuad(BitWriter& out, bool tableB, const std::array<int, 4>& values) {
  int index = 0;
  for (const int value : values) index = index * 2 + (value != 0 ? 1 : 0);
  // Table B codes each quadruple as its four bits inverted.
  const HuffmanCode code = tableB ? HuffmanCode{static_cast<std::uint16_t>(15 - index), 4}
                                  : kCount1TableA[static_cast<std::size_t>(index)];
  out.Put(code.code, code.length);
  for (const int value : values) PutValue(out, value, 0);
}

GranuleInfo LongInfo(int bigValues, std::array<int, 3> tables, int region0, int region1, bool tableB = false) {
  GranuleInfo info;
  info.bigValues = bigValues;
  info.tableSelect = tables;
  info.region0Count = region0;
  info.region1Count = region1;
  info.count1TableB = tableB;
  return info;
}

GranuleInfo ShortInfo(int bigValues, std::array<int, 3> tables) {
  GranuleInfo info;
  info.bigValues = bigValues;
  info.tableSelect = tables;
  info.windowSwitching = true;
  info.blockType = BlockType::Short;
  info.region0Count = 8;
  info.region1Count = 36;
  return info;
}

struct DecodeCase {
  const char* name;
  int sampleRate;
  GranuleInfo info;
  void (*write)(BitWriter&);  // writes the coded values
  std::vector<int> expected;  // quantized values from line 0; the rest are zero
  int nonzeroEnd;
};

void PrintTo(const DecodeCase& c, std::ostream* out) { *out << c.name; }

const DecodeCase kCases[] = {
    {"table1_signs", 44100, LongInfo(4, {1, 1, 1}, 15, 7),
     [](BitWriter& out) {
       PutPair(out, 1, 1, -1);
       PutPair(out, 1, 0, 1);
       PutPair(out, 1, -1, 0);
       PutPair(out, 1, 0, 0);
     },
     {1, -1, 0, 1, -1, 0, 0, 0}, 8},
    {"linbits_13_of_table_23", 44100, LongInfo(2, {23, 23, 23}, 15, 7),
     [](BitWriter& out) {
       PutPair(out, 23, 15 + 8191, -3);
       PutPair(out, 23, -15, 16);
     },
     {8206, -3, -15, 16}, 4},
    // Short codes with their signs within the fast lookup's bits and long
    // ones beyond, in turn.
    {"table15_short_and_long_codes", 44100, LongInfo(5, {15, 15, 15}, 15, 7),
     [](BitWriter& out) {
       PutPair(out, 15, 0, 0);
       PutPair(out, 15, 14, -15);
       PutPair(out, 15, 1, -1);
       PutPair(out, 15, -13, 0);
       PutPair(out, 15, 0, -2);
     },
     {0, 0, 14, -15, 1, -1, -13, 0, 0, -2}, 10},
    {"linbits_13_of_table_31", 44100, LongInfo(1, {31, 0, 0}, 15, 7),
     [](BitWriter& out) { PutPair(out, 31, -20, 14); }, {-20, 14}, 2},
    // Region 0 is band 0 (lines 0-3), region 1 band 1 (lines 4-7, table 0
    // codes no bits), region 2 the rest.
    {"regions_switch_tables", 44100, LongInfo(6, {1, 0, 5}, 0, 0),
     [](BitWriter& out) {
       PutPair(out, 1, 1, 1);
       PutPair(out, 1, 0, -1);
       PutPair(out, 5, 3, -2);
       PutPair(out, 5, 0, 3);
     },
     {1, 1, 0, -1, 0, 0, 0, 0, 3, -2, 0, 3}, 12},
    // At 8000 Hz long band 1 starts at line 12.
    {"regions_at_8000_hz", 8000, LongInfo(8, {1, 2, 2}, 0, 15),
     [](BitWriter& out) {
       for (int i = 0; i < 6; ++i) PutPair(out, 1, 1, 0);
       PutPair(out, 2, 2, 2);
       PutPair(out, 2, -2, 1);
     },
     {1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 2, 2, -2, 1}, 16},
    // A short block's region 1 starts after three short bands of three
    // windows: line 36 at 44100 Hz.
    {"short_block_region_at_44100_hz", 44100, ShortInfo(20, {1, 2, 0}),
     [](BitWriter& out) {
       for (int i = 0; i < 18; ++i) PutPair(out, 1, 0, 1);
       PutPair(out, 2, 2, -2);
       PutPair(out, 2, 1, 2);
     },
     {0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1,
      2, -2, 1, 2},
     40},
    // At 8000 Hz three short bands of three windows end at line 72 (long
    // band 8 would start at 108).
    {"short_block_region_at_8000_hz", 8000, ShortInfo(38, {1, 2, 0}),
     [](BitWriter& out) {
       for (int i = 0; i < 36; ++i) PutPair(out, 1, 1, 0);
       PutPair(out, 2, -2, 2);
       PutPair(out, 2, 2, 0);
     },
     [] {
       std::vector<int> values;
       for (int i = 0; i < 36; ++i) values.insert(values.end(), {1, 0});
       values.insert(values.end(), {-2, 2, 2, 0});
       return values;
     }(),
     76},
    {"count1_table_a", 44100, LongInfo(1, {15, 0, 0}, 15, 7),
     [](BitWriter& out) {
       PutPair(out, 15, 14, -15);
       PutQuad(out, false, {1, 0, -1, 1});
       PutQuad(out, false, {0, 0, 0, 0});
       PutQuad(out, false, {0, -1, 0, 0});
     },
     {14, -15, 1, 0, -1, 1, 0, 0, 0, 0, 0, -1, 0, 0}, 14},
    {"count1_table_b", 44100, LongInfo(0, {0, 0, 0}, 0, 0, true),
     [](BitWriter& out) {
       PutQuad(out, true, {-1, -1, -1, -1});
       PutQuad(out, true, {0, 0, 1, 0});
     },
     {-1, -1, -1, -1, 0, 0, 1, 0}, 8},
    // 572 zero big values (table 0 codes none), then room for one quadruple;
    // the bits after it are stuffing.
    {"count1_stops_at_line_576", 44100, LongInfo(286, {0, 0, 0}, 15, 7, true),
     [](BitWriter& out) {
       PutQuad(out, true, {1, 0, 0, -1});
       PutQuad(out, true, {1, 1, 1, 1});
     },
     [] {
       std::vector<int> values(576, 0);
       values[572] = 1;
       values[575] = -1;
       return values;
     }(),
     576},
};

class HuffmanDecodeTest : public testing::TestWithParam<DecodeCase> {};

TEST_P(HuffmanDecodeTest, GivesTheCodedValues) {
  const DecodeCase& c = GetParam();
  BitWriter bits;
  c.write(bits);
  BitReader reader(bits.bytes());
  ChannelGranule out;
  out.quantized.fill(99);
  out.info = c.info;
  ASSERT_TRUE(ReadSpectrum(reader, bits.bits(), ScalefactorBandsFor(c.sampleRate), out)) << c.name;
  for (std::size_t line = 0; line < out.quantized.size(); ++line) {
    const int expected = line < c.expected.size() ? c.expected[line] : 0;
    ASSERT_EQ(out.quantized[line], expected) << c.name << " line " << line;
  }
  EXPECT_EQ(out.nonzeroEnd, c.nonzeroEnd) << c.name;
}

INSTANTIATE_TEST_SUITE_P(HandMade, HuffmanDecodeTest, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(HuffmanDecode, QuadrupleRunningPastTheEndIsDropped) {
  BitWriter bits;
  PutQuad(bits, false, {1, 0, 0, 0});
  const std::size_t end = bits.bits();
  PutQuad(bits, false, {1, 1, 1, 1});  // its sign bits lie past the end
  BitReader reader(bits.bytes());
  ChannelGranule out;
  out.info = LongInfo(0, {0, 0, 0}, 0, 0);
  // The granule ends one bit into the second quadruple's code.
  ASSERT_TRUE(ReadSpectrum(reader, end + 1, ScalefactorBandsFor(44100), out));
  EXPECT_EQ(out.nonzeroEnd, 4);
  EXPECT_EQ(out.quantized[0], 1);
  for (int line = 1; line < 576; ++line) ASSERT_EQ(out.quantized[line], 0) << line;
}

struct RefusedCase {
  const char* name;
  GranuleInfo info;
  int pairs;             // pairs of value (1, 1) written with table 1
  std::size_t endShort;  // how many bits before the written end the granule ends
};

void PrintTo(const RefusedCase& c, std::ostream* out) { *out << c.name; }

const RefusedCase kRefused[] = {
    {"big_values_past_the_end", LongInfo(3, {1, 1, 1}, 15, 7), 3, 1},
    {"table_4_in_use", LongInfo(3, {4, 1, 1}, 15, 7), 3, 0},
    {"table_14_in_use", LongInfo(3, {1, 14, 1}, 0, 0), 3, 0},
};

class HuffmanRefusedTest : public testing::TestWithParam<RefusedCase> {};

TEST_P(HuffmanRefusedTest, IsInconsistent) {
  const RefusedCase& c = GetParam();
  BitWriter bits;
  for (int i = 0; i < c.pairs; ++i) PutPair(bits, 1, 1, 1);
  BitReader reader(bits.bytes());
  ChannelGranule out;
  out.info = c.info;
  EXPECT_FALSE(ReadSpectrum(reader, bits.bits() - c.endShort, ScalefactorBandsFor(44100), out)) << c.name;
}

INSTANTIATE_TEST_SUITE_P(HandMade, HuffmanRefusedTest, testing::ValuesIn(kRefused),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(HuffmanDecode, MissingTableOutsideTheBigValuesIsHarmless) {
  BitWriter bits;
  PutPair(bits, 1, 1, 0);
  BitReader reader(bits.bytes());
  ChannelGranule out;
  out.info = LongInfo(1, {1, 4, 14}, 15, 7);
  EXPECT_TRUE(ReadSpectrum(reader, bits.bits(), ScalefactorBandsFor(44100), out));
  EXPECT_EQ(out.quantized[0], 1);
}

}  // namespace
}  // namespace mp3::layer3
