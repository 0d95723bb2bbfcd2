#include "player/playback/system_audio.h"

#include "runtime/core/runtime_error.h"
#include "runtime/win/system_library.h"

namespace player {
namespace {

template <class Function>
void Bind(HMODULE module, const char* name, Function& function) {
  const FARPROC address = ::GetProcAddress(module, name);
  if (!address) throw rt::RuntimeError(rt::ErrorNumber::CannotCreateObject, "GetProcAddress");
  function = reinterpret_cast<Function>(reinterpret_cast<void*>(address));
}

SystemAudio LoadSystemAudio() {
  const HMODULE winmm = rt::LoadSystemLibrary(L"winmm.dll");
  const HMODULE msacm = rt::LoadSystemLibrary(L"msacm32.dll");
  SystemAudio audio{};
  Bind(winmm, "waveOutOpen", audio.waveOutOpen);
  Bind(winmm, "waveOutPrepareHeader", audio.waveOutPrepareHeader);
  Bind(winmm, "waveOutWrite", audio.waveOutWrite);
  Bind(winmm, "waveOutReset", audio.waveOutReset);
  Bind(winmm, "waveOutUnprepareHeader", audio.waveOutUnprepareHeader);
  Bind(winmm, "waveOutClose", audio.waveOutClose);
  Bind(msacm, "acmFormatSuggest", audio.acmFormatSuggest);
  Bind(msacm, "acmStreamOpen", audio.acmStreamOpen);
  Bind(msacm, "acmStreamSize", audio.acmStreamSize);
  Bind(msacm, "acmStreamPrepareHeader", audio.acmStreamPrepareHeader);
  Bind(msacm, "acmStreamConvert", audio.acmStreamConvert);
  Bind(msacm, "acmStreamUnprepareHeader", audio.acmStreamUnprepareHeader);
  Bind(msacm, "acmStreamClose", audio.acmStreamClose);
  return audio;
}

}  // namespace

const SystemAudio& Audio() {
  static const SystemAudio audio = LoadSystemAudio();
  return audio;
}

}  // namespace player
