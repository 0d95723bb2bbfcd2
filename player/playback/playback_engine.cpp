#include "player/playback/playback_engine.h"

#include <process.h>

#include <algorithm>
#include <span>
#include <utility>

#include "player/playback/thread_wake.h"
#include "runtime/core/runtime_error.h"

namespace player {
namespace {

// Longest wait before the playback thread looks for requests on its own:
// requests and the device wake it sooner, so this only matters should a
// wake-up be lost. Longer than a device buffer plays, so that while a track
// plays the device's signals alone wake the thread.
constexpr DWORD kPollMilliseconds = 2000;
// A device that finishes no buffer for this long, four times the longest
// buffer's length, is gone (unplugged, or its driver hangs): playback ends.
constexpr DWORD kDeviceSilentMilliseconds = 4000;
// Pause after a failed wait, so that a wait that keeps failing never spins.
constexpr DWORD kRetryMilliseconds = 200;
// How often a request whose wake-up failed sends it again.
constexpr DWORD kWakeRetryMilliseconds = 50;
// How often a wait for the disc looks whether the read has completed
// without its signal.
constexpr DWORD kReadLookMilliseconds = 50;
// Most bytes read in search of one frame before the thread turns back to its
// requests, so that junk in a file never delays Stop for long.
constexpr std::uint64_t kScanPerFrame = 256 * 1024;

// Puts `item` into an empty slot of `kept`; should there be none, it is
// destroyed, which gives its buffers up for lost.
template <class Item, std::size_t N>
void Keep(std::array<std::unique_ptr<Item>, N>& kept, std::unique_ptr<Item> item) noexcept {
  for (std::unique_ptr<Item>& slot : kept) {
    if (!slot) {
      slot = std::move(item);
      return;
    }
  }
}

template <class Item, std::size_t N>
bool HasRoom(const std::array<std::unique_ptr<Item>, N>& kept) {
  return std::any_of(kept.begin(), kept.end(), [](const std::unique_ptr<Item>& slot) { return !slot; });
}

// The engine's event or thread could not be made: a lack of memory is
// reported as such, anything else as the component that cannot be created.
[[noreturn]] void ThrowCannotStart(const char* failedCall) {
  const rt::ErrorNumber cause = rt::ErrorNumberFromSystemError(::GetLastError());
  throw rt::RuntimeError(
      cause == rt::ErrorNumber::OutOfMemory ? cause : rt::ErrorNumber::CannotCreateObject, failedCall);
}

}  // namespace

PlaybackEngine::PlaybackEngine(AudioLoader loadAudio, const FileReads& reads)
    : loadAudio_(loadAudio), reads_(reads), wake_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)) {
  if (!wake_) ThrowCannotStart("CreateEventW");
  // _beginthreadex rather than CreateThread: the C runtime's data for the
  // thread is allocated here, where a failure comes back as a value, not at
  // its first use on the thread, where it would end the process.
  thread_ = UniqueEvent(reinterpret_cast<HANDLE>(::_beginthreadex(nullptr, 0, &ThreadMain, this, 0, nullptr)));
  if (!thread_) ThrowCannotStart("_beginthreadex");
}

PlaybackEngine::~PlaybackEngine() {
  Call(Action::Quit);
  // Once Quit is done the thread touches the engine no more.
  ::WaitForSingleObject(thread_.get(), INFINITE);
}

PlayResult PlaybackEngine::Open(std::wstring path) { return Call(Action::Open, std::move(path)); }
PlayResult PlaybackEngine::Play() { return Call(Action::Play); }
void PlaybackEngine::Stop() { Call(Action::Stop); }

PlayResult PlaybackEngine::Call(Action action, std::wstring path) {
  Request request{action, std::move(path)};
  ::AcquireSRWLockExclusive(&lock_);
  (lastRequest_ ? lastRequest_->next : firstRequest_) = &request;
  lastRequest_ = &request;
  requestWaiting_.store(true, std::memory_order_relaxed);
  ::ReleaseSRWLockExclusive(&lock_);
  // Should the wake-up fail, it is sent again every kWakeRetryMilliseconds
  // while the request waits, so that the thread does not sleep through its
  // whole poll; should every one fail, the thread still finds the request
  // when its wait times out.
  const bool woken = Wake();
  ::AcquireSRWLockExclusive(&lock_);
  while (!request.done) {
    if (!::SleepConditionVariableSRW(&requestDone_, &lock_, woken ? INFINITE : kWakeRetryMilliseconds, 0)) {
      Wake();
    }
  }
  ::ReleaseSRWLockExclusive(&lock_);
  return request.result;
}

bool PlaybackEngine::Wake() { return WakeThread(wake_.get(), thread_.get()); }

unsigned WINAPI PlaybackEngine::ThreadMain(void* engine) {
  // A read from a drive without its disc then fails (ERROR_NOT_READY)
  // instead of raising the system's "no disk" box, which would hold this
  // thread and every request behind it. Should the call fail, the thread
  // runs on in the process's mode.
  ::SetThreadErrorMode(SEM_FAILCRITICALERRORS, nullptr);
  static_cast<PlaybackEngine*>(engine)->Run();
  return 0;
}

void PlaybackEngine::Run() noexcept {
  for (;;) {
    const Waited waited = Wait();
    if (waited == Waited::Failed) {
      // The wait cannot be relied on: give up the sound and the device whose
      // signal it waited for, rather than spin, and keep serving requests.
      // Play opens a new device.
      StopPlaying();
      GiveUp(std::move(output_));
      ::Sleep(kRetryMilliseconds);
    } else if (waited == Waited::TimedOut && playing_ && !output_->Idle()) {
      // The device holds buffers and has finished none for the whole wait:
      // it is gone.
      StopPlaying();
      GiveUp(std::move(output_));
    }

    bool quit = false;
    for (Request* request = TakeRequests(); request;) {
      Request* const next = request->next;  // `request` ends with Complete
      quit = quit || request->action == Action::Quit;
      Complete(request, Carry(*request));
      request = next;
    }
    if (quit) return;
    ReleaseKept();
    try {
      if (playing_ && !Refill()) StopPlaying();
    } catch (...) {
      // No memory for the sound being decoded: playback falls silent and
      // the engine goes on serving requests.
      StopPlaying();
    }
  }
}

PlaybackEngine::Request* PlaybackEngine::TakeRequests() {
  ::AcquireSRWLockExclusive(&lock_);
  Request* const first = std::exchange(firstRequest_, nullptr);
  lastRequest_ = nullptr;
  requestWaiting_.store(false, std::memory_order_relaxed);
  ::ReleaseSRWLockExclusive(&lock_);
  return first;
}

void PlaybackEngine::Complete(Request* request, PlayResult result) {
  ::AcquireSRWLockExclusive(&lock_);
  request->result = result;
  request->done = true;
  ::ReleaseSRWLockExclusive(&lock_);
  ::WakeAllConditionVariable(&requestDone_);
}

PlaybackEngine::Waited PlaybackEngine::Wait() {
  // A request taken in the middle of a wait on the disc already consumed
  // the wake-up.
  if (requestWaiting_.load(std::memory_order_relaxed)) return Waited::Woken;
  if (!playing_) {
    switch (::WaitForSingleObjectEx(wake_.get(), kPollMilliseconds, TRUE)) {
      case WAIT_FAILED:
        return Waited::Failed;
      case WAIT_TIMEOUT:
        return Waited::TimedOut;
      default:
        return Waited::Woken;
    }
  }
  HANDLE waits[3] = {wake_.get(), output_->event(), track_->pendingRead()};
  const DWORD count = waits[2] ? 3 : 2;
  // While the device holds nothing and the file is still being searched
  // for a frame, nothing will signal: look again at once.
  const bool idle = output_->Idle();
  const DWORD timeout = idle && !streamEnded_ && count == 2 ? 0 : idle ? kPollMilliseconds : kDeviceSilentMilliseconds;
  switch (audio_->waitForMultipleObjectsEx(count, waits, FALSE, timeout, TRUE)) {
    case WAIT_FAILED:
      return Waited::Failed;
    case WAIT_TIMEOUT:
      return timeout == 0 ? Waited::Woken : Waited::TimedOut;
    default:
      return Waited::Woken;
  }
}

PlayResult PlaybackEngine::Carry(const Request& request) noexcept {
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
  } catch (...) {
    // No memory for the file's, the decoder's or the device's buffers: the
    // sound cannot be prepared.
    Close();
    return PlayResult::DeviceUnavailable;
  }
  // Quit: release the device and the file before the thread ends.
  Close();
  return PlayResult::Ok;
}

bool PlaybackEngine::WaitForRead(const Track& track, ULONGLONG start) const {
  const ULONGLONG waited = ::GetTickCount64() - start;
  if (waited >= kDiscPatienceMilliseconds) return false;
  const DWORD slice = static_cast<DWORD>(std::min<ULONGLONG>(kDiscPatienceMilliseconds - waited, kReadLookMilliseconds));
  return ::WaitForSingleObject(track.pendingRead(), slice) != WAIT_FAILED;
}

PlayResult PlaybackEngine::OpenTrack(const std::wstring& path) {
  Close();
  ReleaseKept();
  if (!HasRoom(keptTracks_)) return PlayResult::FileUnreadable;  // the disc has not answered earlier reads
  std::unique_ptr<Track> track;
  if (const PlayResult opened = Track::Open(path, reads_, track); opened != PlayResult::Ok) return opened;
  const ULONGLONG start = ::GetTickCount64();
  std::optional<PlayResult> found;
  while (!(found = track->FindFormat()) && WaitForRead(*track, start)) {
  }
  if (!found) {
    GiveUp(std::move(track));
    return PlayResult::FileUnreadable;  // the disc did not answer in time
  }
  if (*found != PlayResult::Ok) return *found;
  if (!audio_) audio_ = loadAudio_();
  if (!audio_) return PlayResult::DeviceUnavailable;
  track_ = std::move(track);
  output_ = OpenDevice();
  if (!output_) {
    track_.reset();
    return PlayResult::DeviceUnavailable;
  }
  if (!decoder_) decoder_ = std::make_unique<mp3::Decoder>();
  pcm_.reserve(output_->bufferSamples() + mp3::kMaxFrameSamples);
  startSamples_ = static_cast<std::size_t>(std::max(track_->format().sampleRate / 8, 1) * track_->format().channels);
  return PlayResult::Ok;
}

std::unique_ptr<WaveOutput> PlaybackEngine::OpenDevice() {
  ReleaseKept();
  if (!HasRoom(keptDevices_)) return nullptr;  // the devices given up still hold their buffers
  return WaveOutput::Open(*audio_, track_->format().sampleRate, track_->format().channels);
}

PlayResult PlaybackEngine::StartPlaying() {
  if (!track_) return PlayResult::NothingOpen;
  StopPlaying();
  track_->Rewind();
  decoder_->Reset();
  if (!output_) output_ = OpenDevice();
  if (!output_) return PlayResult::DeviceUnavailable;
  playing_ = true;
  streamEnded_ = false;
  writes_ = 0;
  const ULONGLONG start = ::GetTickCount64();
  for (;;) {
    if (!Refill()) {
      StopPlaying();
      return PlayResult::DeviceUnavailable;
    }
    // The first sound is queued, or the disc keeps it waiting: the thread
    // goes on without the caller.
    if (writes_ >= WaveOutput::kBufferCount || !playing_ || !track_->pendingRead() || !WaitForRead(*track_, start)) {
      break;
    }
  }
  if (writes_ == 0 && track_->failed()) {
    StopPlaying();
    return PlayResult::FileUnreadable;
  }
  return PlayResult::Ok;
}

void PlaybackEngine::StopPlaying() noexcept {
  // After the reset every buffer is back; completion signals still pending
  // on the event find playing_ false and are ignored. A device that cannot
  // be reset is given up, which silences it; Play opens a new one.
  if (output_ && !output_->Reset()) GiveUp(std::move(output_));
  playing_ = false;
  pcm_.clear();
}

void PlaybackEngine::Close() noexcept {
  GiveUp(std::move(output_));
  playing_ = false;
  pcm_.clear();
  GiveUp(std::move(track_));
}

void PlaybackEngine::GiveUp(std::unique_ptr<WaveOutput> output) noexcept {
  if (output && !output->Close()) Keep(keptDevices_, std::move(output));
}

void PlaybackEngine::GiveUp(std::unique_ptr<Track> track) noexcept {
  if (!track) return;
  track->Rewind();  // cancels a read in flight, whose data is then dropped
  if (!track->ReadSettled()) Keep(keptTracks_, std::move(track));
}

void PlaybackEngine::ReleaseKept() noexcept {
  for (std::unique_ptr<WaveOutput>& device : keptDevices_) {
    if (device && device->Close()) device.reset();
  }
  for (std::unique_ptr<Track>& track : keptTracks_) {
    if (track && track->ReadSettled()) track.reset();
  }
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
      // At the end, or a read failed: what was decoded plays out. Or a read
      // is in flight, or long junk: go on after a look at the requests.
      streamEnded_ = track_->ended() || track_->failed();
      return;
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
