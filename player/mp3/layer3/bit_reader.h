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

  // The next 32 bits without consuming them; zeros for bits past the end.
  std::uint32_t Peek32() const {
    if (position_ < windowStart_ || position_ - windowStart_ > 32) Refill();
    return static_cast<std::uint32_t>((window_ << (position_ - windowStart_)) >> 32);
  }

  // Consumes `count` bits.
  void Skip(int count) {
    position_ += static_cast<std::size_t>(count);
    if (position_ > size()) overrun_ = true;
  }

  // The next `count` bits (0 to 32) as an unsigned number.
  std::uint32_t Read(int count) {
    if (count == 0) return 0;
    const std::uint32_t value = Peek32() >> (32 - count);
    Skip(count);
    return value;
  }

  bool ReadBit() { return Read(1) != 0; }

  // Bits read (or skipped) so far, and bits the span holds.
  std::size_t position() const { return position_; }
  std::size_t size() const { return bytes_.size() * 8; }

  // Moves to bit `position`; a position past the end makes later reads
  // overrun.
  void SeekTo(std::size_t position) { position_ = position; }

  // True once a read went past the end of the span.
  bool overrun() const { return overrun_; }

 private:
  // Loads the eight bytes from the one that holds position_ into window_.
  // Zeros stand for bytes past the end of the span.
  void Refill() const {
    // Built in a local: a member would be stored back after every byte read
    // (a byte may alias it).
    const std::size_t first = position_ / 8;
    std::uint64_t window = 0;
    if (first < bytes_.size() && bytes_.size() - first >= 8) {
      // Spelled out, so that compilers make it one load (and a byte swap).
      const std::uint8_t* const b = bytes_.data() + first;
      window = std::uint64_t{b[0]} << 56 | std::uint64_t{b[1]} << 48 | std::uint64_t{b[2]} << 40 |
               std::uint64_t{b[3]} << 32 | std::uint64_t{b[4]} << 24 | std::uint64_t{b[5]} << 16 |
               std::uint64_t{b[6]} << 8 | std::uint64_t{b[7]};
    } else {
      for (std::size_t i = 0; i < 8; ++i) window = (window << 8) | (first + i < bytes_.size() ? bytes_[first + i] : 0);
    }
    window_ = window;
    windowStart_ = first * 8;
  }

  std::span<const std::uint8_t> bytes_;
  std::size_t position_ = 0;
  bool overrun_ = false;
  // A copy of 64 bits of the input from bit windowStart_ (a byte boundary),
  // so that most reads need no byte access.
  mutable std::uint64_t window_ = 0;
  mutable std::size_t windowStart_ = 1;
};

}  // namespace mp3::layer3
