// Owning types for the multimedia handles the playback component holds, on
// the runtime's one owning template; files and events use the runtime's own.
#pragma once

#include "player/playback/system_audio.h"
#include "runtime/win/handles.h"

namespace player {

inline void CloseAcmStream(HACMSTREAM h) { Audio().acmStreamClose(h, 0); }

// Closing a device that still has buffers queued fails, so the device is
// reset (every buffer returned) first.
inline void ResetAndCloseWaveOut(HWAVEOUT h) {
  Audio().waveOutReset(h);
  Audio().waveOutClose(h);
}

using UniqueFile = rt::UniqueFile;
using UniqueEvent = rt::UniqueKernelHandle;
using UniqueAcmStream = rt::UniqueHandle<HACMSTREAM, rt::NullIsInvalid<HACMSTREAM, CloseAcmStream>>;
using UniqueWaveOut = rt::UniqueHandle<HWAVEOUT, rt::NullIsInvalid<HWAVEOUT, ResetAndCloseWaveOut>>;

}  // namespace player
