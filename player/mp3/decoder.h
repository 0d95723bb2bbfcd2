// An MPEG-1, MPEG-2 and MPEG-2.5 audio Layer III decoder: frames in, PCM out.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "player/mp3/layer3/bitstream.h"
#include "player/mp3/layer3/granule.h"
#include "player/mp3/layer3/hybrid_filter.h"
#include "player/mp3/layer3/signal_kernels.h"
#include "player/mp3/layer3/synthesis.h"
#include "player/mp3/stream_parser.h"

namespace mp3 {

// The most samples Decode writes for one frame: 1152 per channel (MPEG-1),
// two channels.
inline constexpr std::size_t kMaxFrameSamples = 1152 * 2;

// Owns everything that carries from frame to frame: the bit reservoir (in
// its BitstreamReader), each channel's IMDCT overlap and synthesis memory.
// Its size is fixed; decoding allocates nothing.
class Decoder {
 public:
  // Decodes with the build's fastest filter-bank kernels.
  Decoder() = default;
  // Decodes with `kernels`, which must outlive the decoder (tests compare
  // the plain kernels with the vector ones).
  explicit Decoder(const layer3::SignalKernels& kernels) : kernels_(&kernels) {}

  // Decodes one frame as StreamParser yields it into exactly
  // header.samplesPerFrame * header.channels interleaved samples at full
  // scale 1.0, not clipped. `out` must hold that many. Returns true when the
  // frame's main data decoded. A frame that cannot be decoded (its main data
  // lies before the start of the stream, or is inconsistent) gives silence of
  // the same length, returns false and clears the filter memories, so the
  // next frame starts from silence. A frame whose sample rate or channel
  // count differs from the previous one starts afresh.
  bool Decode(const Frame& frame, std::span<float> out);

  // Forgets everything that carries from frame to frame (bit reservoir,
  // filter memories): the next frame starts a stream.
  void Reset();

 private:
  void ClearFilterMemories();
  void DecodeGranule(int granule, std::span<float> out);

  const layer3::SignalKernels* kernels_ = &layer3::kDefaultKernels;
  layer3::BitstreamReader reader_;
  layer3::FrameData frame_;
  std::array<std::array<float, layer3::kLines>, 2> spectrum_{};
  layer3::SubbandSamples subbands_{};
  std::array<layer3::OverlapMemory, 2> overlap_{};
  std::array<layer3::SynthesisMemory, 2> synthesis_{};
  int sampleRate_ = 0;
  int channels_ = 0;
};

// Converts to 16-bit PCM, rounding to nearest and saturating at the limits.
// `out` must be as long as `in`.
void ToPcm16(std::span<const float> in, std::span<std::int16_t> out);

}  // namespace mp3
