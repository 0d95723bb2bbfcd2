// Owning types for the handles the playback component holds, on the
// runtime's one owning template. The waveOut device is owned by WaveOutput.
#pragma once

#include "runtime/win/handles.h"

namespace player {

using UniqueFile = rt::UniqueFile;
using UniqueEvent = rt::UniqueKernelHandle;

}  // namespace player
