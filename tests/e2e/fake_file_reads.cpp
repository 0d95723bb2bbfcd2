#include "tests/e2e/fake_file_reads.h"

#include <list>
#include <mutex>
#include <new>
#include <thread>

namespace e2e {
namespace {

constexpr ULONG_PTR kStatusPending = 0x00000103;
constexpr ULONG_PTR kStatusCancelled = 0xC0000120;

// A read the fake holds: the real read is done at once, the caller sees it
// complete once `cancel` is set or the hold has passed.
struct HeldRead {
  OVERLAPPED* overlapped;
  HANDLE cancel;
};

struct FakeState {
  std::mutex mutex;
  FakeReadSettings settings;
  FakeReadRecord record;
  std::list<HeldRead> held;
};

FakeState& State() {
  static FakeState state;
  return state;
}

// Reads what the real file holds at the caller's offset, waiting for it.
BOOL ReadNow(HANDLE file, void* buffer, DWORD size, DWORD* read, const OVERLAPPED& at) {
  OVERLAPPED own{};
  own.Offset = at.Offset;
  own.OffsetHigh = at.OffsetHigh;
  if (!::ReadFile(file, buffer, size, nullptr, &own) && ::GetLastError() != ERROR_IO_PENDING) return FALSE;
  return ::GetOverlappedResult(file, &own, read, TRUE);
}

// Completes `overlapped` as the system does, after `hold` unless cancelled.
void CompleteLater(HeldRead held, DWORD hold, BOOL ok, DWORD read, DWORD error) {
  const bool cancelled = ::WaitForSingleObject(held.cancel, hold) == WAIT_OBJECT_0;
  FakeState& s = State();
  {
    std::lock_guard lock(s.mutex);
    s.held.remove_if([&](const HeldRead& h) { return h.overlapped == held.overlapped; });
    --s.record.held;
  }
  ::CloseHandle(held.cancel);
  held.overlapped->InternalHigh = cancelled || !ok ? 0 : read;
  held.overlapped->Internal = cancelled ? kStatusCancelled : ok ? 0 : 0xC0000000 | error;
  ::SetEvent(held.overlapped->hEvent);
}

BOOL WINAPI FakeReadFile(HANDLE file, LPVOID buffer, DWORD size, LPDWORD read, LPOVERLAPPED overlapped) {
  FakeState& s = State();
  std::unique_lock lock(s.mutex);
  const int call = s.record.reads++;
  const FakeReadSettings settings = s.settings;
  if (settings.throwFrom >= 0 && call >= settings.throwFrom) throw std::bad_alloc();
  if (settings.failFrom >= 0 && call >= settings.failFrom) {
    ::SetLastError(ERROR_NOT_READY);
    return FALSE;
  }
  if (settings.holdFrom < 0 || call < settings.holdFrom || !overlapped) {
    lock.unlock();
    return ::ReadFile(file, buffer, size, read, overlapped);
  }
  if (settings.holdInCall) {
    ++s.record.held;
    lock.unlock();
    ::Sleep(settings.holdMilliseconds);
    const BOOL ok = ::ReadFile(file, buffer, size, read, overlapped);
    const DWORD error = ::GetLastError();
    lock.lock();
    --s.record.held;
    ::SetLastError(error);
    return ok;
  }
  DWORD got = 0;
  const BOOL ok = ReadNow(file, buffer, size, &got, *overlapped);
  const DWORD error = ok ? 0 : ::GetLastError();
  const HeldRead held{overlapped, ::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  s.held.push_back(held);
  ++s.record.held;
  overlapped->Internal = kStatusPending;
  ::ResetEvent(overlapped->hEvent);
  std::thread([=] { CompleteLater(held, settings.holdMilliseconds, ok, got, error); }).detach();
  ::SetLastError(ERROR_IO_PENDING);
  return FALSE;
}

BOOL WINAPI FakeCancelIoEx(HANDLE file, LPOVERLAPPED overlapped) {
  FakeState& s = State();
  std::lock_guard lock(s.mutex);
  for (const HeldRead& held : s.held) {
    if (overlapped && held.overlapped != overlapped) continue;
    ++s.record.cancels;
    if (!s.settings.ignoreCancel) ::SetEvent(held.cancel);
    return TRUE;
  }
  return ::CancelIoEx(file, overlapped);
}

}  // namespace

const player::FileReads kFakeReads = {FakeReadFile, FakeCancelIoEx};

void ResetFakeReads(const FakeReadSettings& settings) {
  FakeState& s = State();
  std::lock_guard lock(s.mutex);
  s.settings = settings;
  const int held = s.record.held;
  s.record = {};
  s.record.held = held;
}

void SetFakeReads(const FakeReadSettings& settings) {
  FakeState& s = State();
  std::lock_guard lock(s.mutex);
  s.settings = settings;
}

FakeReadRecord FakeReads() {
  FakeState& s = State();
  std::lock_guard lock(s.mutex);
  return s.record;
}

}  // namespace e2e
