// A waveOut device with a fixed ring of PCM buffers. Completion is signalled
// through an event (CALLBACK_EVENT), so no code runs on the driver's thread.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "player/playback/win_handles.h"

namespace player {

class WaveOutput {
 public:
  static constexpr std::size_t kBufferCount = 4;

  // Opens the default device for `format`. Empty when there is no device or
  // it refuses the format.
  static std::unique_ptr<WaveOutput> Open(const WAVEFORMATEX& format);

  WaveOutput(const WaveOutput&) = delete;
  WaveOutput& operator=(const WaveOutput&) = delete;
  // Resets the device, then unprepares the buffers, then closes it.
  ~WaveOutput();

  // Signalled whenever the device finishes a buffer (and on open and reset).
  HANDLE event() const { return event_.get(); }

  // Capacity of each buffer: an eighth of a second of sound.
  std::size_t bufferBytes() const { return bufferBytes_; }

  // Index of a buffer the device does not hold, or kBufferCount when all are
  // queued.
  std::size_t FreeBuffer() const;

  // True when the device holds no buffer: everything written has played.
  bool Idle() const;

  // Copies `pcm` (at most bufferBytes) into free buffer `index` and queues it.
  bool Write(std::size_t index, std::span<const std::uint8_t> pcm);

  // Stops sound at once and returns every buffer.
  bool Reset();

 private:
  struct Buffer {
    WAVEHDR header{};
    std::vector<std::uint8_t> data;
    bool prepared = false;
  };

  WaveOutput() = default;
  bool Queued(const Buffer& buffer) const;

  UniqueEvent event_;
  UniqueWaveOut device_;
  std::size_t bufferBytes_ = 0;
  // The device keeps pointers to prepared headers, so the buffers never move.
  std::array<Buffer, kBufferCount> buffers_;
};

}  // namespace player
