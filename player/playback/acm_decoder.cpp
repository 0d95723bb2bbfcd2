#include "player/playback/acm_decoder.h"

#include <algorithm>
#include <cstring>

namespace player {
namespace {

// Source room for a frame the codec left unconsumed plus the next one.
constexpr std::size_t kSourceBytes = 2 * mp3::kMaxFrameLength;
// Output room per conversion: several frames of stereo PCM, so that a codec
// releasing held-back output at once never finds the buffer full.
constexpr DWORD kMinOutputBytes = 8 * 1152 * 2 * 2;
// The decoder delay MP3 codecs declare for Layer III (529 + 864 samples).
constexpr WORD kCodecDelay = 1393;

MPEGLAYER3WAVEFORMAT SourceFormat(const mp3::FrameHeader& first) {
  MPEGLAYER3WAVEFORMAT format{};
  format.wfx.wFormatTag = WAVE_FORMAT_MPEGLAYER3;
  format.wfx.nChannels = static_cast<WORD>(first.channels);
  format.wfx.nSamplesPerSec = static_cast<DWORD>(first.sampleRate);
  format.wfx.nAvgBytesPerSec = static_cast<DWORD>(first.bitrateKbps * 1000 / 8);
  format.wfx.nBlockAlign = 1;
  format.wfx.wBitsPerSample = 0;
  format.wfx.cbSize = MPEGLAYER3_WFX_EXTRA_BYTES;
  format.wID = MPEGLAYER3_ID_MPEG;
  format.fdwFlags = MPEGLAYER3_FLAG_PADDING_OFF;
  // An unpadded frame of the first frame's bitrate: samplesPerFrame / 8 is
  // 144 for MPEG-1 and 72 for MPEG-2 and 2.5.
  format.nBlockSize = static_cast<WORD>(first.samplesPerFrame / 8 * first.bitrateKbps * 1000 / first.sampleRate);
  format.nFramesPerBlock = 1;
  format.nCodecDelay = kCodecDelay;
  return format;
}

}  // namespace

std::unique_ptr<AcmDecoder> AcmDecoder::Open(const mp3::FrameHeader& first) {
  MPEGLAYER3WAVEFORMAT source = SourceFormat(first);
  std::unique_ptr<AcmDecoder> decoder(new AcmDecoder());

  // Ask the codec for its PCM format with rate, channels and sample size
  // pinned: codecs that cannot convert rate or channels refuse a stream
  // opened with a format they did not suggest.
  WAVEFORMATEX& pcm = decoder->pcm_;
  pcm.wFormatTag = WAVE_FORMAT_PCM;
  pcm.nChannels = source.wfx.nChannels;
  pcm.nSamplesPerSec = source.wfx.nSamplesPerSec;
  pcm.wBitsPerSample = 16;
  const DWORD pinned = ACM_FORMATSUGGESTF_WFORMATTAG | ACM_FORMATSUGGESTF_NCHANNELS |
                       ACM_FORMATSUGGESTF_NSAMPLESPERSEC | ACM_FORMATSUGGESTF_WBITSPERSAMPLE;
  if (Audio().acmFormatSuggest(nullptr, &source.wfx, &pcm, sizeof(pcm), pinned) != MMSYSERR_NOERROR) return nullptr;
  pcm.cbSize = 0;

  HACMSTREAM stream = nullptr;
  if (Audio().acmStreamOpen(&stream, nullptr, &source.wfx, &pcm, nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME) !=
      MMSYSERR_NOERROR) {
    return nullptr;
  }
  decoder->stream_ = UniqueAcmStream(stream);

  DWORD outputBytes = 0;
  if (Audio().acmStreamSize(stream, static_cast<DWORD>(kSourceBytes), &outputBytes, ACM_STREAMSIZEF_SOURCE) !=
      MMSYSERR_NOERROR) {
    outputBytes = 0;
  }
  decoder->source_.resize(kSourceBytes);
  decoder->output_.resize(std::max(outputBytes, kMinOutputBytes));

  ACMSTREAMHEADER& header = decoder->header_;
  header.cbStruct = sizeof(header);
  header.pbSrc = decoder->source_.data();
  header.cbSrcLength = static_cast<DWORD>(decoder->source_.size());
  header.pbDst = decoder->output_.data();
  header.cbDstLength = static_cast<DWORD>(decoder->output_.size());
  if (Audio().acmStreamPrepareHeader(stream, &header, 0) != MMSYSERR_NOERROR) return nullptr;
  decoder->prepared_ = true;
  return decoder;
}

AcmDecoder::~AcmDecoder() {
  if (prepared_) {
    // Unprepare needs the lengths the header was prepared with.
    header_.cbSrcLength = static_cast<DWORD>(source_.size());
    header_.cbDstLength = static_cast<DWORD>(output_.size());
    Audio().acmStreamUnprepareHeader(stream_.get(), &header_, 0);
  }
}

bool AcmDecoder::Decode(std::span<const std::uint8_t> frame, std::vector<std::uint8_t>& pcm) {
  if (frame.size() > source_.size() - pending_) return false;
  std::memcpy(source_.data() + pending_, frame.data(), frame.size());
  pending_ += frame.size();

  header_.cbSrcLength = static_cast<DWORD>(pending_);
  header_.cbDstLength = static_cast<DWORD>(output_.size());
  header_.cbSrcLengthUsed = 0;
  header_.cbDstLengthUsed = 0;
  if (Audio().acmStreamConvert(stream_.get(), &header_, ACM_STREAMCONVERTF_BLOCKALIGN) != MMSYSERR_NOERROR) return false;

  const std::size_t used = std::min<std::size_t>(header_.cbSrcLengthUsed, pending_);
  std::memmove(source_.data(), source_.data() + used, pending_ - used);
  pending_ -= used;
  const std::size_t produced = std::min<std::size_t>(header_.cbDstLengthUsed, output_.size());
  pcm.insert(pcm.end(), output_.begin(), output_.begin() + static_cast<std::ptrdiff_t>(produced));
  return true;
}

}  // namespace player
