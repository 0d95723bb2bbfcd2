// The sound system's functions the playback component calls: winmm's waveOut
// functions, bound at run time from the system folder only, and the wait for
// the device's completion signal. winmm is not a KnownDLL, so a static import
// would let a DLL of the same name planted beside the program (on a disc
// anyone can burn) load into it; it is never looked up anywhere else.
//
// The component takes this table rather than calling winmm itself, so that a
// test can hand it a table of fakes and drive the device's failures.
#pragma once

#include <windows.h>
#include <mmsystem.h>

namespace player {

struct SystemAudio {
  decltype(&::waveOutOpen) waveOutOpen;
  decltype(&::waveOutPrepareHeader) waveOutPrepareHeader;
  decltype(&::waveOutWrite) waveOutWrite;
  decltype(&::waveOutReset) waveOutReset;
  decltype(&::waveOutUnprepareHeader) waveOutUnprepareHeader;
  decltype(&::waveOutClose) waveOutClose;
  // Waits while sound plays: for a request or for the device to finish a
  // buffer. kernel32's WaitForMultipleObjects.
  decltype(&::WaitForMultipleObjects) waitForMultipleObjects;
};

// Gives the sound system's table: null when it is not available.
using AudioLoader = const SystemAudio* (*)();

// Loads winmm from the system folder on the first call and keeps it for the
// life of the process; later calls give the same table, or null again when
// the library or one of its functions is missing. Thread-safe.
const SystemAudio* LoadSystemAudio();

}  // namespace player
