#include "player/playback/playback_engine.h"

#include <algorithm>
#include <new>
#include <span>
#include <system_error>

#include "runtime/core/runtime_error.h"

namespace player {
namespace {

// Longest wait before the playback thread looks for requests on its own:
// requests and the device wake it sooner, so this only matters should a
// wake-up be lost. Longer than a device buffer plays, so that while a track
// plays the device's signals alone wake the thread.
constexpr DWORD kPollMilliseconds = 2000;
// Pause after a failed wait, so that a wait that keeps failing never spins.
constexpr DWORD kRetryMilliseconds = 200;
// Most bytes read in search of one frame before the thread turns back to its
// requests, so that junk in a file never delays Stop for long.
constexpr std::uint64_t kScanPerFrame = 256 * 1024;

}  // namespace

PlaybackEngine::PlaybackEngine(AudioLoader loadAudio)
    : loadAudio_(loadAudio), wake_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)) {
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
    requestWaiting_.store(true, std::memory_order_relaxed);
  }
  // Should the wake-up fail, the thread still finds the request when its
  // wait times out.
  ::SetEvent(wake_.get());
  return result.get();
}

void PlaybackEngine::Run() {
  for (;;) {
    if (!Wait()) {
      // The wait cannot be relied on: give up the sound and the device whose
      // signal it waited for, rather than spin, and keep serving requests.
      // Play opens a new device.
      StopPlaying();
      output_.reset();
      ::Sleep(kRetryMilliseconds);
    }

    std::deque<Request*> requests;
    {
      std::lock_guard lock(mutex_);
      requests.swap(requests_);
      requestWaiting_.store(false, std::memory_order_relaxed);
    }
    for (Request* request : requests) {
      const bool quit = request->action == Action::Quit;
      request->done.set_value(Carry(*request));
      if (quit) return;
    }
    if (playing_ && !Refill()) StopPlaying();
  }
}

bool PlaybackEngine::Wait() {
  if (!playing_) return ::WaitForSingleObject(wake_.get(), kPollMilliseconds) != WAIT_FAILED;
  // While the device holds nothing and the file is still being searched for
  // a frame, the device has nothing to signal: look again at once.
  const DWORD timeout = output_->Idle() && !streamEnded_ ? 0 : kPollMilliseconds;
  const HANDLE waits[2] = {wake_.get(), output_->event()};
  return audio_->waitForMultipleObjects(2, waits, FALSE, timeout) != WAIT_FAILED;
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
    // No memory for the file's, the decoder's or the device's buffers: the
    // sound cannot be prepared.
    Close();
    return PlayResult::DeviceUnavailable;
  }
  // Quit: release the device and the file before the thread ends.
  Close();
  return PlayResult::Ok;
}

PlayResult PlaybackEngine::OpenTrack(const std::wstring& path) {
  Close();
  std::unique_ptr<Track> track;
  if (const PlayResult opened = Track::Open(path, track); opened != PlayResult::Ok) return opened;
  if (!audio_) audio_ = loadAudio_();
  if (!audio_) return PlayResult::DeviceUnavailable;
  auto output = WaveOutput::Open(*audio_, track->format().sampleRate, track->format().channels);
  if (!output) return PlayResult::DeviceUnavailable;
  if (!decoder_) decoder_ = std::make_unique<mp3::Decoder>();
  pcm_.reserve(output->bufferSamples() + mp3::kMaxFrameSamples);
  startSamples_ = static_cast<std::size_t>(std::max(track->format().sampleRate / 8, 1) * track->format().channels);
  track_ = std::move(track);
  output_ = std::move(output);
  return PlayResult::Ok;
}

PlayResult PlaybackEngine::StartPlaying() {
  if (!track_) return PlayResult::NothingOpen;
  StopPlaying();
  if (!track_->Rewind()) return PlayResult::FileUnreadable;
  decoder_->Reset();
  if (!output_) output_ = WaveOutput::Open(*audio_, track_->format().sampleRate, track_->format().channels);
  if (!output_) return PlayResult::DeviceUnavailable;
  playing_ = true;
  streamEnded_ = false;
  writes_ = 0;
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
  output_.reset();  // resets the device once, then closes it
  playing_ = false;
  pcm_.clear();
  track_.reset();
}

bool PlaybackEngine::Refill() {
  for (std::size_t index = output_->FreeBuffer(); index != WaveOutput::kBufferCount;
       index = output_->FreeBuffer()) {
    const std::size_t want = writes_ < WaveOutput::kBufferCount ? startSamples_ : output_->bufferSamples();
    DecodeUntil(want);
    if (pcm_.empty() || (pcm_.size() < want && !streamEnded_)) break;
    const std::size_t length = std::min(want, pcm_.size());
    if (!output_->Write(index, std::span(pcm_).first(length))) return false;
    ++writes_;
    pcm_.erase(pcm_.begin(), pcm_.begin() + static_cast<std::ptrdiff_t>(length));
  }
  if (streamEnded_ && pcm_.empty() && output_->Idle()) playing_ = false;
  return true;
}

void PlaybackEngine::DecodeUntil(std::size_t samples) {
  while (pcm_.size() < samples && !streamEnded_ && !requestWaiting_.load(std::memory_order_relaxed)) {
    const std::optional<mp3::Frame> frame = track_->NextFrame(kScanPerFrame);
    if (!frame) {
      streamEnded_ = track_->ended();
      return;  // at the end, or long junk: go on after a look at the requests
    }
    // The track gives frames of its own format only, so each fills the
    // sample frame buffer at most.
    const std::size_t count = static_cast<std::size_t>(frame->header.samplesPerFrame * frame->header.channels);
    const std::span<float> decoded = std::span(frameSamples_).first(count);
    decoder_->Decode(*frame, decoded);
    const std::size_t queued = pcm_.size();
    pcm_.resize(queued + count);
    mp3::ToPcm16(decoded, std::span(pcm_).subspan(queued));
  }
}

}  // namespace player
