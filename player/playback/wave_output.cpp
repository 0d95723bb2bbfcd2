#include "player/playback/wave_output.h"

#include <algorithm>
#include <cstring>

namespace player {

std::unique_ptr<WaveOutput> WaveOutput::Open(const WAVEFORMATEX& format) {
  std::unique_ptr<WaveOutput> output(new WaveOutput());
  output->event_ = UniqueEvent(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
  if (!output->event_) return nullptr;

  HWAVEOUT device = nullptr;
  if (Audio().waveOutOpen(&device, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(output->event_.get()), 0,
                    CALLBACK_EVENT) != MMSYSERR_NOERROR) {
    return nullptr;
  }
  output->device_ = UniqueWaveOut(device);

  const std::size_t align = std::max<std::size_t>(format.nBlockAlign, 1);
  output->bufferBytes_ = std::max<std::size_t>(format.nAvgBytesPerSec / 8 / align, 1) * align;
  for (Buffer& buffer : output->buffers_) {
    buffer.data.resize(output->bufferBytes_);
    buffer.header.lpData = reinterpret_cast<LPSTR>(buffer.data.data());
    buffer.header.dwBufferLength = static_cast<DWORD>(buffer.data.size());
    if (Audio().waveOutPrepareHeader(device, &buffer.header, sizeof(buffer.header)) != MMSYSERR_NOERROR) return nullptr;
    buffer.prepared = true;
  }
  return output;
}

WaveOutput::~WaveOutput() {
  if (!device_) return;
  Audio().waveOutReset(device_.get());
  for (Buffer& buffer : buffers_) {
    if (!buffer.prepared) continue;
    buffer.header.dwBufferLength = static_cast<DWORD>(buffer.data.size());
    Audio().waveOutUnprepareHeader(device_.get(), &buffer.header, sizeof(buffer.header));
  }
}

bool WaveOutput::Queued(const Buffer& buffer) const { return (buffer.header.dwFlags & WHDR_INQUEUE) != 0; }

std::size_t WaveOutput::FreeBuffer() const {
  for (std::size_t i = 0; i < kBufferCount; ++i) {
    if (!Queued(buffers_[i])) return i;
  }
  return kBufferCount;
}

bool WaveOutput::Idle() const {
  return std::none_of(buffers_.begin(), buffers_.end(), [this](const Buffer& b) { return Queued(b); });
}

bool WaveOutput::Write(std::size_t index, std::span<const std::uint8_t> pcm) {
  Buffer& buffer = buffers_[index];
  const std::size_t length = std::min(pcm.size(), buffer.data.size());
  std::memcpy(buffer.data.data(), pcm.data(), length);
  buffer.header.dwBufferLength = static_cast<DWORD>(length);
  buffer.header.dwFlags &= ~static_cast<DWORD>(WHDR_DONE);
  return Audio().waveOutWrite(device_.get(), &buffer.header, sizeof(buffer.header)) == MMSYSERR_NOERROR;
}

bool WaveOutput::Reset() { return Audio().waveOutReset(device_.get()) == MMSYSERR_NOERROR; }

}  // namespace player
