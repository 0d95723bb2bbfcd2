#include "player/playback/system_audio.h"

#include <optional>

#include "runtime/core/runtime_error.h"
#include "runtime/win/system_library.h"

namespace player {
namespace {

template <class Function>
bool Bind(HMODULE module, const char* name, Function& function) {
  const FARPROC address = ::GetProcAddress(module, name);
  function = reinterpret_cast<Function>(reinterpret_cast<void*>(address));
  return address != nullptr;
}

std::optional<SystemAudio> BindSystemAudio() {
  HMODULE winmm = nullptr;
  try {
    winmm = rt::LoadSystemLibrary(L"winmm.dll");
  } catch (const rt::RuntimeError&) {
    return std::nullopt;  // no sound system: the player stays silent
  }
  SystemAudio audio{};
  const bool bound = Bind(winmm, "waveOutOpen", audio.waveOutOpen) &&
                     Bind(winmm, "waveOutPrepareHeader", audio.waveOutPrepareHeader) &&
                     Bind(winmm, "waveOutWrite", audio.waveOutWrite) &&
                     Bind(winmm, "waveOutReset", audio.waveOutReset) &&
                     Bind(winmm, "waveOutUnprepareHeader", audio.waveOutUnprepareHeader) &&
                     Bind(winmm, "waveOutClose", audio.waveOutClose);
  if (!bound) return std::nullopt;
  audio.waitForMultipleObjects = &::WaitForMultipleObjects;
  return audio;
}

}  // namespace

const SystemAudio* LoadSystemAudio() {
  static const std::optional<SystemAudio> audio = BindSystemAudio();
  return audio ? &*audio : nullptr;
}

}  // namespace player
