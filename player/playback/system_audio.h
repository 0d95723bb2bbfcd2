// The audio functions of winmm and msacm32, bound at run time from the
// system folder only. Neither library is a KnownDLL, so a static import
// would let a DLL of the same name planted beside the program (on a disc
// anyone can burn) load into it; these are never looked up anywhere else.
#pragma once

#include <windows.h>
#include <mmsystem.h>
#include <mmreg.h>
#include <msacm.h>

namespace player {

struct SystemAudio {
  decltype(&::waveOutOpen) waveOutOpen;
  decltype(&::waveOutPrepareHeader) waveOutPrepareHeader;
  decltype(&::waveOutWrite) waveOutWrite;
  decltype(&::waveOutReset) waveOutReset;
  decltype(&::waveOutUnprepareHeader) waveOutUnprepareHeader;
  decltype(&::waveOutClose) waveOutClose;
  decltype(&::acmFormatSuggest) acmFormatSuggest;
  decltype(&::acmStreamOpen) acmStreamOpen;
  decltype(&::acmStreamSize) acmStreamSize;
  decltype(&::acmStreamPrepareHeader) acmStreamPrepareHeader;
  decltype(&::acmStreamConvert) acmStreamConvert;
  decltype(&::acmStreamUnprepareHeader) acmStreamUnprepareHeader;
  decltype(&::acmStreamClose) acmStreamClose;
};

// Loads both libraries from the system folder on first use and keeps them
// for the life of the process. Throws RuntimeError CannotCreateObject when a
// library or function is missing.
const SystemAudio& Audio();

}  // namespace player
