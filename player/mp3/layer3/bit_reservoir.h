// The bit reservoir: the main data slots of the frames read so far, from
// which a frame's main data may begin up to 511 bytes back. Fixed size.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "player/mp3/frame_header.h"

namespace mp3::layer3 {

class BitReservoir {
 public:
  // The farthest back main data can begin (9 bits in MPEG-1, 8 in MPEG-2).
  static constexpr std::size_t kMaxBack = 511;
  // The largest main data slot: the longest frame after the shortest header
  // and side information.
  static constexpr std::size_t kMaxSlot = kMaxFrameLength - kHeaderLength - 9;

  // Appends the main data slot of the next frame, at most kMaxSlot bytes
  // (a frame of at most kMaxFrameLength bytes holds no more), whose main
  // data begins `back` bytes before the slot. Returns that main data (the
  // bytes from there to the end of the slot, valid until the next call), or
  // empty when the reservoir holds fewer than `back` bytes.
  std::optional<std::span<const std::uint8_t>> Append(std::span<const std::uint8_t> slot, std::size_t back);

  // Forgets every byte: the next frame's main data must begin in its own slot.
  void Reset() { size_ = 0; }

 private:
  std::array<std::uint8_t, kMaxBack + kMaxSlot> bytes_{};
  std::size_t size_ = 0;
};

}  // namespace mp3::layer3
