#include "tests/e2e/fake_sound_system.h"

#include <algorithm>
#include <deque>
#include <map>
#include <mutex>

namespace e2e {
namespace {

// Each device opened gets a handle of its own, so that a device given up
// and kept can be told from the next one.
constexpr std::uintptr_t kFirstDevice = 0x5AFE;

struct HeldBuffer {
  HWAVEOUT device;
  WAVEHDR* header;
};

struct FakeState {
  std::mutex mutex;
  FakeSoundSettings settings;
  FakeSoundRecord record;
  std::map<HWAVEOUT, HANDLE> events;  // each open device's completion event
  std::map<HWAVEOUT, int> resets;     // resets of each open device
  std::deque<HeldBuffer> held;        // queued headers, oldest first
  std::uintptr_t nextDevice = kFirstDevice;
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
  *device = reinterpret_cast<HWAVEOUT>(s.nextDevice++);
  s.events[*device] = reinterpret_cast<HANDLE>(callback);
  s.resets[*device] = 0;
  s.record.format = *format;
  ++s.record.opens;
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI FakePrepare(HWAVEOUT, LPWAVEHDR header, UINT) {
  FakeState& s = State();
  std::lock_guard lock(s.mutex);
  ++s.record.buffersPrepared;
  header->dwFlags = WHDR_PREPARED;
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI FakeWrite(HWAVEOUT device, LPWAVEHDR header, UINT) {
  FakeState& s = State();
  std::lock_guard lock(s.mutex);
  const int write = s.record.writes++;
  if (s.settings.failWriteFrom >= 0 && write >= s.settings.failWriteFrom) return MMSYSERR_ERROR;
  const auto* samples = reinterpret_cast<const std::int16_t*>(header->lpData);
  s.record.written.insert(s.record.written.end(), samples, samples + header->dwBufferLength / sizeof(std::int16_t));
  header->dwFlags = (header->dwFlags & ~static_cast<DWORD>(WHDR_DONE)) | WHDR_INQUEUE;
  if (s.settings.holdBuffers) {
    s.held.push_back({device, header});
  } else {
    Finish(header);
    ::SetEvent(s.events[device]);
  }
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI FakeReset(HWAVEOUT device) {
  FakeState& s = State();
  std::lock_guard lock(s.mutex);
  ++s.record.resets;
  ++s.resets[device];
  if (s.settings.failReset) return MMSYSERR_NODRIVER;
  std::erase_if(s.held, [&](const HeldBuffer& held) {
    if (held.device == device) Finish(held.header);
    return held.device == device;
  });
  ::SetEvent(s.events[device]);
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
  --s.record.buffersPrepared;
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI FakeClose(HWAVEOUT device) {
  FakeState& s = State();
  std::lock_guard lock(s.mutex);
  if (std::any_of(s.held.begin(), s.held.end(), [&](const HeldBuffer& held) { return held.device == device; })) {
    return WAVERR_STILLPLAYING;
  }
  s.events.erase(device);
  ++s.record.closes;
  s.record.resetsBeforeClose = s.resets[device];
  s.resets.erase(device);
  return MMSYSERR_NOERROR;
}

DWORD WINAPI FakeWait(DWORD count, const HANDLE* handles, BOOL all, DWORD timeout, BOOL alertable) {
  {
    FakeState& s = State();
    std::lock_guard lock(s.mutex);
    if (s.settings.failWait) return WAIT_FAILED;
  }
  return ::WaitForMultipleObjectsEx(count, handles, all, timeout, alertable);
}

const player::SystemAudio kFakeSound = {
    .waveOutOpen = FakeOpen,
    .waveOutPrepareHeader = FakePrepare,
    .waveOutWrite = FakeWrite,
    .waveOutReset = FakeReset,
    .waveOutUnprepareHeader = FakeUnprepare,
    .waveOutClose = FakeClose,
    .waitForMultipleObjectsEx = FakeWait,
};

}  // namespace

void ResetFakeSound(const FakeSoundSettings& settings) {
  FakeState& s = State();
  std::lock_guard lock(s.mutex);
  s.settings = settings;
  s.record = {};
  s.held.clear();
  s.events.clear();
  s.resets.clear();
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
  const HeldBuffer oldest = s.held.front();
  s.held.pop_front();
  Finish(oldest.header);
  ::SetEvent(s.events[oldest.device]);
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
