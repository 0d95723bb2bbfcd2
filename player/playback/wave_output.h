// A waveOut device playing 16-bit PCM from a fixed ring of buffers.
// Completion is signalled through an event (CALLBACK_EVENT), so no code runs
// on the driver's thread.
//
// Each buffer holds up to a second of sound. Every buffer that comes back
// wakes the playback thread, and each wake-up costs more than the decoding
// it then does (a thread switch, and under Wine a round trip to its server),
// so long buffers make playing cheap: about one wake-up a second. They do
// not delay Stop, which resets the device and gets every buffer back at
// once, nor the start of sound, which needs one buffer only (the playback
// engine fills the first ones short). Nothing here waits for the device.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>

#include "player/playback/system_audio.h"
#include "player/playback/win_handles.h"

namespace player {

class WaveOutput {
 public:
  static constexpr std::size_t kBufferCount = 4;

  // Opens the default device for 16-bit PCM at `sampleRate` with `channels`
  // through `audio` (borrowed; it must outlive the device). Empty when there
  // is no device or it refuses the format.
  static std::unique_ptr<WaveOutput> Open(const SystemAudio& audio, int sampleRate, int channels);

  WaveOutput(const WaveOutput&) = delete;
  WaveOutput& operator=(const WaveOutput&) = delete;
  // Close(); should the device still hold buffers, it is left open and the
  // buffers allocated, so that it never writes into freed memory.
  ~WaveOutput();

  // Resets the device (every buffer comes back), unprepares the buffers,
  // then closes it; true once done. Waits for nothing: a device that keeps
  // buffers after its reset (its driver hangs, or it is gone) gives false
  // and stays open with its buffers; call again later.
  bool Close();

  // Signalled whenever the device finishes a buffer (and on open and reset).
  HANDLE event() const { return event_.get(); }

  // Capacity of each buffer in samples (all channels counted): a second of
  // sound, whole sample frames.
  std::size_t bufferSamples() const { return bufferSamples_; }

  // Index of a buffer the device does not hold, or kBufferCount when all are
  // queued.
  std::size_t FreeBuffer() const;

  // True when the device holds no buffer: everything written has played.
  bool Idle() const;

  // Copies `pcm` (at most bufferSamples, whole sample frames) into free
  // buffer `index` and queues it.
  bool Write(std::size_t index, std::span<const std::int16_t> pcm);

  // Stops sound at once and returns every buffer.
  bool Reset();

 private:
  struct Buffer {
    WAVEHDR header{};
    // bufferSamples_ long, left uninitialised: only what Write copies is
    // touched, so a short track or a quick switch never pages in the rest.
    std::unique_ptr<std::int16_t[]> data;
    bool prepared = false;
  };

  using Ring = std::array<Buffer, kBufferCount>;

  explicit WaveOutput(const SystemAudio& audio) : audio_(audio), ring_(std::make_unique<Ring>()) {}
  static bool Queued(const Buffer& buffer);

  const SystemAudio& audio_;
  UniqueEvent event_;
  HWAVEOUT device_ = nullptr;  // owned: closed by the destructor
  std::size_t bufferSamples_ = 0;
  // The device keeps pointers to prepared headers, so the buffers never move.
  std::unique_ptr<Ring> ring_;
};

}  // namespace player
