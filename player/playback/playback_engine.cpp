#include "player/playback/playback_engine.h"

#include <algorithm>
#include <new>
#include <span>
#include <system_error>

#include "runtime/core/runtime_error.h"

namespace player {
namespace {

// Longest wait before the playback thread looks for requests on its own.
constexpr DWORD kPollMilliseconds = 200;
// Most bytes read in search of one frame before the thread turns back to its
// requests, so that junk in a file never delays Stop for long.
constexpr std::uint64_t kScanPerFrame = 256 * 1024;

}  // namespace

PlaybackEngine::PlaybackEngine() : wake_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)) {
  if (!wake_) throw rt::RuntimeError(rt::ErrorNumber::CannotCreateObject, "CreateEventW");
  try {
    thread_ = std::thread([this] { Run(); });
  } catch (const std::system_error&) {
    throw rt::RuntimeError(rt::ErrorNumber::CannotCreateObject, "std::thread");
  }
}

PlaybackEngine::~PlaybackEngine() {
  Call(Action::Quit);
  thread_.join();
}

PlayResult PlaybackEngine::Open(std::wstring path) { return Call(Action::Open, std::move(path)); }
PlayResult PlaybackEngine::Play() { return Call(Action::Play); }
void PlaybackEngine::Stop() { Call(Action::Stop); }

PlayResult PlaybackEngine::Call(Action action, std::wstring path) {
  Request request{action, std::move(path), {}};
  std::future<PlayResult> result = request.done.get_future();
  {
    std::lock_guard lock(mutex_);
    requests_.push_back(&request);
  }
  // Should the wake-up fail, the thread still finds the request when its
  // wait times out.
  ::SetEvent(wake_.get());
  return result.get();
}

void PlaybackEngine::Run() {
  for (;;) {
    const HANDLE waits[2] = {wake_.get(), playing_ ? output_->event() : nullptr};
    if (::WaitForMultipleObjects(playing_ ? 2 : 1, waits, FALSE, kPollMilliseconds) == WAIT_FAILED) {
      // The device's event cannot be waited on: give up the sound rather
      // than spin, and keep serving requests.
      StopPlaying();
      ::Sleep(kPollMilliseconds);
    }

    std::deque<Request*> requests;
    {
      std::lock_guard lock(mutex_);
      requests.swap(requests_);
    }
    for (Request* request : requests) {
      const bool quit = request->action == Action::Quit;
      request->done.set_value(Carry(*request));
      if (quit) return;
    }
    if (playing_ && !Refill()) StopPlaying();
  }
}

PlayResult PlaybackEngine::Carry(const Request& request) {
  try {
    switch (request.action) {
      case Action::Open:
        return OpenTrack(request.path);
      case Action::Play:
        return StartPlaying();
      case Action::Stop:
        StopPlaying();
        return PlayResult::Ok;
      case Action::Quit:
        break;
    }
  } catch (const std::bad_alloc&) {
    // Out of memory for the decoder's buffers counts as the codec failing.
    Close();
    return PlayResult::CodecUnavailable;
  }
  // Quit: release the device, codec and file before the thread ends.
  Close();
  return PlayResult::Ok;
}

PlayResult PlaybackEngine::OpenTrack(const std::wstring& path) {
  Close();
  std::unique_ptr<Track> track;
  if (const PlayResult opened = Track::Open(path, track); opened != PlayResult::Ok) return opened;
  auto decoder = AcmDecoder::Open(track->format());
  if (!decoder) return PlayResult::CodecUnavailable;
  auto output = WaveOutput::Open(decoder->pcmFormat());
  if (!output) return PlayResult::DeviceUnavailable;
  track_ = std::move(track);
  decoder_ = std::move(decoder);
  decoderUsed_ = false;
  output_ = std::move(output);
  return PlayResult::Ok;
}

PlayResult PlaybackEngine::StartPlaying() {
  if (!track_) return PlayResult::NothingOpen;
  StopPlaying();
  if (!track_->Rewind()) return PlayResult::FileUnreadable;
  // A codec stream that has decoded holds back state from that run: start
  // from a fresh one. The stream Open made is still fresh and is kept.
  if (decoderUsed_) {
    decoder_.reset();
    decoder_ = AcmDecoder::Open(track_->format());
    if (!decoder_) {
      Close();
      return PlayResult::CodecUnavailable;
    }
    decoderUsed_ = false;
  }
  if (!output_) output_ = WaveOutput::Open(decoder_->pcmFormat());
  if (!output_) return PlayResult::DeviceUnavailable;
  playing_ = true;
  streamEnded_ = false;
  if (!Refill()) {
    StopPlaying();
    return PlayResult::DeviceUnavailable;
  }
  return PlayResult::Ok;
}

void PlaybackEngine::StopPlaying() {
  // After the reset every buffer is back; completion signals still pending
  // on the event find playing_ false and are ignored. A device that cannot
  // be reset is closed, which silences it; Play opens a new one.
  if (output_ && !output_->Reset()) output_.reset();
  playing_ = false;
  pcm_.clear();
}

void PlaybackEngine::Close() {
  StopPlaying();
  output_.reset();
  decoder_.reset();
  track_.reset();
}

bool PlaybackEngine::Refill() {
  const std::size_t capacity = output_->bufferBytes();
  try {
    for (std::size_t index = output_->FreeBuffer(); index != WaveOutput::kBufferCount;
         index = output_->FreeBuffer()) {
      while (pcm_.size() < capacity && !streamEnded_) {
        const auto frame = track_->NextFrame(kScanPerFrame);
        if (!frame && !track_->ended()) break;  // long junk: go on at the next wake-up
        decoderUsed_ = decoderUsed_ || frame.has_value();
        if (!frame || !decoder_->Decode(frame->bytes, pcm_)) streamEnded_ = true;
      }
      if (pcm_.empty() || (pcm_.size() < capacity && !streamEnded_)) break;
      const std::size_t length = std::min(capacity, pcm_.size());
      if (!output_->Write(index, std::span(pcm_).first(length))) return false;
      pcm_.erase(pcm_.begin(), pcm_.begin() + static_cast<std::ptrdiff_t>(length));
    }
  } catch (const std::bad_alloc&) {
    return false;
  }
  if (streamEnded_ && pcm_.empty() && output_->Idle()) playing_ = false;
  return true;
}

}  // namespace player
