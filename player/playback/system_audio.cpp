#include "player/playback/system_audio.h"

#include "runtime/win/system_library.h"

namespace player {
namespace {

// Guards the table and whether it is bound. Both are constant-initialised,
// so that nothing but this lock runs before the first call.
SRWLOCK bindLock = SRWLOCK_INIT;
SystemAudio boundAudio{};
bool bound = false;

template <class Function>
bool Bind(HMODULE module, const char* name, Function& function) {
  const FARPROC address = ::GetProcAddress(module, name);
  function = reinterpret_cast<Function>(reinterpret_cast<void*>(address));
  return address != nullptr;
}

bool BindSystemAudio(SystemAudio& audio) {
  HMODULE winmm = nullptr;
  try {
    winmm = rt::LoadSystemLibrary(L"winmm.dll");
  } catch (...) {
    return false;  // no sound system, or no memory to say why: silent for now
  }
  audio.waitForMultipleObjectsEx = &::WaitForMultipleObjectsEx;
  return Bind(winmm, "waveOutOpen", audio.waveOutOpen) &&
         Bind(winmm, "waveOutPrepareHeader", audio.waveOutPrepareHeader) &&
         Bind(winmm, "waveOutWrite", audio.waveOutWrite) && Bind(winmm, "waveOutReset", audio.waveOutReset) &&
         Bind(winmm, "waveOutUnprepareHeader", audio.waveOutUnprepareHeader) &&
         Bind(winmm, "waveOutClose", audio.waveOutClose);
}

}  // namespace

const SystemAudio* LoadSystemAudio() {
  ::AcquireSRWLockExclusive(&bindLock);
  if (!bound) bound = BindSystemAudio(boundAudio);
  const SystemAudio* const audio = bound ? &boundAudio : nullptr;
  ::ReleaseSRWLockExclusive(&bindLock);
  return audio;
}

}  // namespace player
