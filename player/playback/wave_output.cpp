#include "player/playback/wave_output.h"

#include <algorithm>

namespace player {

std::unique_ptr<WaveOutput> WaveOutput::Open(const SystemAudio& audio, int sampleRate, int channels) {
  WAVEFORMATEX format{};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = static_cast<WORD>(channels);
  format.nSamplesPerSec = static_cast<DWORD>(sampleRate);
  format.wBitsPerSample = 16;
  format.nBlockAlign = static_cast<WORD>(channels * sizeof(std::int16_t));
  format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;

  std::unique_ptr<WaveOutput> output(new WaveOutput(audio));
  output->event_ = UniqueEvent(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
  if (!output->event_) return nullptr;

  HWAVEOUT device = nullptr;
  if (audio.waveOutOpen(&device, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(output->event_.get()), 0,
                        CALLBACK_EVENT) != MMSYSERR_NOERROR) {
    return nullptr;
  }
  output->device_ = device;

  output->bufferSamples_ = static_cast<std::size_t>(std::max(sampleRate, 1) * channels);
  for (Buffer& buffer : *output->ring_) {
    buffer.data = std::make_unique_for_overwrite<std::int16_t[]>(output->bufferSamples_);
    buffer.header.lpData = reinterpret_cast<LPSTR>(buffer.data.get());
    buffer.header.dwBufferLength = static_cast<DWORD>(output->bufferSamples_ * sizeof(std::int16_t));
    if (audio.waveOutPrepareHeader(device, &buffer.header, sizeof(buffer.header)) != MMSYSERR_NOERROR) {
      return nullptr;
    }
    buffer.prepared = true;
  }
  return output;
}

WaveOutput::~WaveOutput() {
  if (Close()) return;
  static_cast<void>(ring_.release());
  static_cast<void>(event_.release());
}

bool WaveOutput::Close() {
  if (!device_) return true;
  // Unpreparing a queued buffer and closing a device that holds buffers both
  // fail, so every buffer is called back first.
  audio_.waveOutReset(device_);
  if (!Idle()) return false;
  for (Buffer& buffer : *ring_) {
    if (!buffer.prepared) continue;
    buffer.header.dwBufferLength = static_cast<DWORD>(bufferSamples_ * sizeof(std::int16_t));
    buffer.prepared = audio_.waveOutUnprepareHeader(device_, &buffer.header, sizeof(buffer.header)) != MMSYSERR_NOERROR;
  }
  // Should the close fail, the handle is lost, but the device holds none of
  // the buffers any more: they may go.
  audio_.waveOutClose(device_);
  device_ = nullptr;
  return true;
}

bool WaveOutput::Queued(const Buffer& buffer) { return (buffer.header.dwFlags & WHDR_INQUEUE) != 0; }

std::size_t WaveOutput::FreeBuffer() const {
  for (std::size_t i = 0; i < kBufferCount; ++i) {
    if (!Queued((*ring_)[i])) return i;
  }
  return kBufferCount;
}

bool WaveOutput::Idle() const {
  return std::none_of(ring_->begin(), ring_->end(), Queued);
}

bool WaveOutput::Write(std::size_t index, std::span<const std::int16_t> pcm) {
  Buffer& buffer = (*ring_)[index];
  const std::size_t length = std::min(pcm.size(), bufferSamples_);
  std::copy_n(pcm.begin(), length, buffer.data.get());
  buffer.header.dwBufferLength = static_cast<DWORD>(length * sizeof(std::int16_t));
  buffer.header.dwFlags &= ~static_cast<DWORD>(WHDR_DONE);
  return audio_.waveOutWrite(device_, &buffer.header, sizeof(buffer.header)) == MMSYSERR_NOERROR;
}

bool WaveOutput::Reset() { return audio_.waveOutReset(device_) == MMSYSERR_NOERROR; }

}  // namespace player
