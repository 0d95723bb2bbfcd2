// Reads bits, most significant first, from a borrowed byte span. The only
// code of the bitstream stage that touches raw bytes: it never reads outside
// the span. Reading past the end yields zero bits and sets overrun().
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace mp3::layer3 {

class BitReader {
 public:
  // `bytes` is borrowed and must outlive the reader.
  explicit BitReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  // The next `count` bits (0 to 32) as an unsigned number.
  std::uint32_t Read(int count);
  bool ReadBit();

  // Bits read (or skipped) so far, and bits the span holds.
  std::size_t position() const { return position_; }
  std::size_t size() const { return bytes_.size() * 8; }

  // Moves to bit `position`; a position past the end makes later reads
  // overrun.
  void SeekTo(std::size_t position) { position_ = position; }

  // True once a read went past the end of the span.
  bool overrun() const { return overrun_; }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t position_ = 0;
  bool overrun_ = false;
};

}  // namespace mp3::layer3
