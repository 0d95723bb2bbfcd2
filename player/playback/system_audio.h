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
  // buffer. kernel32's WaitForMultipleObjectsEx, alertable, so that a
  // request whose wake-up event could not be set wakes it by an APC.
  decltype(&::WaitForMultipleObjectsEx) waitForMultipleObjectsEx;
};

// Gives the sound system's table: null when it is not available.
using AudioLoader = const SystemAudio* (*)();

// Loads winmm from the system folder and keeps it for the life of the
// process: once a call has bound the table, every later call gives it; a
// call that finds the library or one of its functions missing gives null,
// and the next call tries again. Thread-safe, on an SRW lock.
const SystemAudio* LoadSystemAudio();

}  // namespace player
