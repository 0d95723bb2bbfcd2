// Writes bits most significant first into a byte vector, for building
// Layer III side information and main data by hand in tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace mp3::test {

class BitWriter {
 public:
  // Appends the low `count` bits of `value`.
  BitWriter& Put(std::uint32_t value, int count) {
    for (int bit = count - 1; bit >= 0; --bit) {
      if (bits_ % 8 == 0) bytes_.push_back(0);
      if ((value >> bit) & 1) bytes_.back() |= static_cast<std::uint8_t>(0x80 >> (bits_ % 8));
      ++bits_;
    }
    return *this;
  }

  std::size_t bits() const { return bits_; }

  // The bytes written, the last one padded with zero bits.
  const std::vector<std::uint8_t>& bytes() const { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
  std::size_t bits_ = 0;
};

}  // namespace mp3::test
