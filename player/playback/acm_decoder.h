// Decodes MP3 frames to 16-bit PCM through the system's ACM MP3 codec.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "player/mp3/frame_header.h"
#include "player/playback/win_handles.h"

namespace player {

class AcmDecoder {
 public:
  // Opens a codec stream for frames shaped like `first` (the stream's first
  // audio frame), producing PCM at its own rate and channel count. Empty
  // when no installed codec accepts it.
  static std::unique_ptr<AcmDecoder> Open(const mp3::FrameHeader& first);

  AcmDecoder(const AcmDecoder&) = delete;
  AcmDecoder& operator=(const AcmDecoder&) = delete;
  ~AcmDecoder();

  const WAVEFORMATEX& pcmFormat() const { return pcm_; }

  // Decodes one whole frame and appends the PCM the codec releases (a codec
  // may hold back output until later frames arrive). False when the codec
  // fails.
  bool Decode(std::span<const std::uint8_t> frame, std::vector<std::uint8_t>& pcm);

 private:
  AcmDecoder() = default;

  UniqueAcmStream stream_;
  WAVEFORMATEX pcm_{};
  // The header is registered with the codec while prepared, so it and its
  // buffers stay at fixed addresses for the decoder's life.
  ACMSTREAMHEADER header_{};
  bool prepared_ = false;
  std::vector<std::uint8_t> source_;
  std::vector<std::uint8_t> output_;
  std::size_t pending_ = 0;  // source bytes the codec has not consumed yet
};

}  // namespace player
