// The bit reader against bits taken one by one from the bytes: reads of every
// width from every position, moves back and forth, and the end of the input,
// past which it gives zeros and reports the overrun without touching a byte
// more (the sanitizer run would catch one).
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "player/mp3/layer3/bit_reader.h"

namespace mp3::layer3 {
namespace {

// Bit `position` of `bytes`, most significant first; 0 past the end.
std::uint32_t BitAt(const std::vector<std::uint8_t>& bytes, std::size_t position) {
  if (position / 8 >= bytes.size()) return 0;
  return (bytes[position / 8] >> (7 - position % 8)) & 1;
}

std::uint32_t BitsAt(const std::vector<std::uint8_t>& bytes, std::size_t position, int count) {
  std::uint32_t value = 0;
  for (int i = 0; i < count; ++i) value = (value << 1) | BitAt(bytes, position + static_cast<std::size_t>(i));
  return value;
}

std::vector<std::uint8_t> RandomBytes(std::size_t count, std::mt19937& random) {
  std::vector<std::uint8_t> bytes(count);
  for (auto& byte : bytes) byte = static_cast<std::uint8_t>(random());
  return bytes;
}

TEST(BitReader, ReadsOfEveryWidthFromEveryPosition) {
  std::mt19937 random(7);
  for (const std::size_t length : {0u, 1u, 3u, 4u, 5u, 7u, 8u, 9u, 13u, 64u}) {
    const std::vector<std::uint8_t> bytes = RandomBytes(length, random);
    for (int width = 0; width <= 32; ++width) {
      BitReader reader(bytes);
      // Past the end by one whole read, so the last reads cross it.
      for (std::size_t position = 0; position <= length * 8 + 40; position += static_cast<std::size_t>(width)) {
        const std::string where = std::to_string(length) + " bytes, " + std::to_string(width) + " bits at " +
                                  std::to_string(position);
        ASSERT_EQ(reader.position(), position) << where;
        ASSERT_EQ(reader.Read(width), BitsAt(bytes, position, width)) << where;
        ASSERT_EQ(reader.overrun(), position + static_cast<std::size_t>(width) > length * 8) << where;
        if (width == 0) break;
      }
    }
  }
}

TEST(BitReader, PeekAfterMovingBackAndForth) {
  std::mt19937 random(11);
  const std::vector<std::uint8_t> bytes = RandomBytes(40, random);
  BitReader reader(bytes);
  for (int i = 0; i < 2000; ++i) {
    const std::size_t position = random() % (bytes.size() * 8 + 64);
    reader.SeekTo(position);
    ASSERT_EQ(reader.Peek32(), BitsAt(bytes, position, 32)) << "at " << position;
    const int skip = static_cast<int>(random() % 33);
    reader.Skip(skip);
    ASSERT_EQ(reader.Peek32(), BitsAt(bytes, position + static_cast<std::size_t>(skip), 32))
        << "at " << position << " + " << skip;
  }
}

TEST(BitReader, SingleBitsAcrossTheEnd) {
  const std::vector<std::uint8_t> bytes = {0xA5};
  BitReader reader(bytes);
  std::string bits;
  for (int i = 0; i < 12; ++i) bits += reader.ReadBit() ? '1' : '0';
  EXPECT_EQ(bits, "101001010000");
  EXPECT_TRUE(reader.overrun());
  EXPECT_EQ(reader.position(), 12u);
  EXPECT_EQ(reader.size(), 8u);
}

}  // namespace
}  // namespace mp3::layer3
