#include "tests/e2e/fake_sound_system.h"

#include <algorithm>
#include <deque>
#include <mutex>

namespace e2e {
namespace {

HWAVEOUT const kDevice = reinterpret_cast<HWAVEOUT>(static_cast<std::uintptr_t>(0x5AFE));

struct FakeState {
  std::mutex mutex;
  FakeSoundSettings settings;
  FakeSoundRecord record;
  HANDLE event = nullptr;       // the last opened device's completion event
  std::deque<WAVEHDR*> held;    // queued headers, oldest first
  int resetsSinceOpen = 0;
  int missingLoads = 0;
};

FakeState& State() {
  static FakeState state;
  return state;
}

void Finish(WAVEHDR* header) {
  header->dwFlags = (header->dwFlags & ~static_cast<DWORD>(WHDR_INQUEUE)) | WHDR_DONE;
}

MMRESULT WINAPI FakeOpen(LPHWAVEOUT device, UINT, LPCWAVEFORMATEX format, DWORD_PTR callback, DWORD_PTR,
                         DWORD flags) {
  FakeState& s = State();
  std::lock_guard lock(s.mutex);
  if (s.settings.failOpen || (flags & CALLBACK_TYPEMASK) != CALLBACK_EVENT) return MMSYSERR_NODRIVER;
  s.event = reinterpret_cast<HANDLE>(callback);
  s.resetsSinceOpen = 0;
  s.record.format = *format;
  ++s.record.opens;
  *device = kDevice;
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI FakePrepare(HWAVEOUT, LPWAVEHDR header, UINT) {
  header->dwFlags = WHDR_PREPARED;
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI FakeWrite(HWAVEOUT, LPWAVEHDR header, UINT) {
  FakeState& s = State();
  std::lock_guard lock(s.mutex);
  const int write = s.record.writes++;
  if (s.settings.failWriteFrom >= 0 && write >= s.settings.failWriteFrom) return MMSYSERR_ERROR;
  const auto* samples = reinterpret_cast<const std::int16_t*>(header->lpData);
  s.record.written.insert(s.record.written.end(), samples, samples + header->dwBufferLength / sizeof(std::int16_t));
  header->dwFlags = (header->dwFlags & ~static_cast<DWORD>(WHDR_DONE)) | WHDR_INQUEUE;
  if (s.settings.holdBuffers) {
    s.held.push_back(header);
  } else {
    Finish(header);
    ::SetEvent(s.event);
  }
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI FakeReset(HWAVEOUT) {
  FakeState& s = State();
  std::lock_guard lock(s.mutex);
  ++s.record.resets;
  ++s.resetsSinceOpen;
  if (s.settings.failReset) return MMSYSERR_ERROR;
  for (WAVEHDR* header : s.held) Finish(header);
  s.held.clear();
  ::SetEvent(s.event);
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI FakeUnprepare(HWAVEOUT, LPWAVEHDR header, UINT) {
  FakeState& s = State();
  std::lock_guard lock(s.mutex);
  if (header->dwFlags & WHDR_INQUEUE) {
    ++s.record.unpreparedWhileQueued;
    return WAVERR_STILLPLAYING;
  }
  header->dwFlags &= ~static_cast<DWORD>(WHDR_PREPARED);
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI FakeClose(HWAVEOUT) {
  FakeState& s = State();
  std::lock_guard lock(s.mutex);
  if (!s.held.empty()) return WAVERR_STILLPLAYING;
  s.event = nullptr;
  ++s.record.closes;
  s.record.resetsBeforeClose = s.resetsSinceOpen;
  return MMSYSERR_NOERROR;
}

DWORD WINAPI FakeWait(DWORD count, const HANDLE* handles, BOOL all, DWORD timeout) {
  {
    FakeState& s = State();
    std::lock_guard lock(s.mutex);
    if (s.settings.failWait) return WAIT_FAILED;
  }
  return ::WaitForMultipleObjects(count, handles, all, timeout);
}

const player::SystemAudio kFakeSound = {
    .waveOutOpen = FakeOpen,
    .waveOutPrepareHeader = FakePrepare,
    .waveOutWrite = FakeWrite,
    .waveOutReset = FakeReset,
    .waveOutUnprepareHeader = FakeUnprepare,
    .waveOutClose = FakeClose,
    .waitForMultipleObjects = FakeWait,
};

}  // namespace

void ResetFakeSound(const FakeSoundSettings& settings) {
  FakeState& s = State();
  std::lock_guard lock(s.mutex);
  s.settings = settings;
  s.record = {};
  s.held.clear();
  s.event = nullptr;
  s.missingLoads = 0;
}

void SetFakeSound(const FakeSoundSettings& settings) {
  FakeState& s = State();
  std::lock_guard lock(s.mutex);
  s.settings = settings;
}

FakeSoundRecord FakeSound() {
  FakeState& s = State();
  std::lock_guard lock(s.mutex);
  return s.record;
}

void FinishOldestHeldBuffer() {
  FakeState& s = State();
  std::lock_guard lock(s.mutex);
  if (s.held.empty()) return;
  Finish(s.held.front());
  s.held.pop_front();
  ::SetEvent(s.event);
}

const player::SystemAudio* LoadFakeSound() { return &kFakeSound; }

const player::SystemAudio* LoadMissingSound() {
  FakeState& s = State();
  std::lock_guard lock(s.mutex);
  ++s.missingLoads;
  return nullptr;
}

int CountedMissingLoads() {
  FakeState& s = State();
  std::lock_guard lock(s.mutex);
  return s.missingLoads;
}

}  // namespace e2e
