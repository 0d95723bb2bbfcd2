#include "player/mp3/decoder.h"

#include <algorithm>

#include "player/mp3/layer3/antialias.h"
#include "player/mp3/layer3/reorder.h"
#include "player/mp3/layer3/requantize.h"
#include "player/mp3/layer3/scalefactor_bands.h"
#include "player/mp3/layer3/stereo.h"

namespace mp3 {

using namespace layer3;

bool Decoder::Decode(const Frame& frame, std::span<float> out) {
  const FrameHeader& header = frame.header;
  if (header.sampleRate != sampleRate_ || header.channels != channels_) {
    Reset();
    sampleRate_ = header.sampleRate;
    channels_ = header.channels;
  }
  const std::size_t count = static_cast<std::size_t>(header.samplesPerFrame) * header.channels;
  const bool fits = out.size() >= count;
  if (fits) reader_.Read(frame.bytes, header, frame_);
  if (!fits || !frame_.decoded) {
    std::fill(out.begin(), out.begin() + std::min(count, out.size()), 0.0f);
    ClearFilterMemories();
    return false;
  }
  for (int g = 0; g < frame_.granules; ++g) {
    DecodeGranule(g, out.subspan(static_cast<std::size_t>(g) * kLines * header.channels));
  }
  return true;
}

void Decoder::DecodeGranule(int granule, std::span<float> out) {
  const FrameHeader& header = frame_.header;
  const ScalefactorBands& bands = ScalefactorBandsFor(header.sampleRate);
  const int channels = header.channels;
  for (int ch = 0; ch < channels; ++ch) {
    Requantize(frame_.granule[granule][ch], header.version, bands, spectrum_[ch]);
  }
  if (channels == 2) {
    ProcessStereo(header, frame_.granule[granule][1], bands, spectrum_[0], spectrum_[1]);
  }
  for (int ch = 0; ch < channels; ++ch) {
    const GranuleInfo& info = frame_.granule[granule][ch].info;
    if (info.blockType == BlockType::Short) {
      ReorderShortBlock(spectrum_[ch], bands, BandSplitOf(info, header.version).firstShortBand);
    }
    ReduceAliases(spectrum_[ch], info);
    kernels_->inverseMdctGranule(spectrum_[ch], info, overlap_[ch], subbands_);
    kernels_->synthesize(subbands_, synthesis_[ch], out.subspan(ch), channels);
  }
}

void Decoder::ClearFilterMemories() {
  overlap_ = {};
  synthesis_ = {};
}

void Decoder::Reset() {
  reader_.Reset();
  ClearFilterMemories();
  sampleRate_ = 0;
  channels_ = 0;
}

}  // namespace mp3
