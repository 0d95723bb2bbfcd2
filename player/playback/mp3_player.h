// The MP3 playback component hosted by the player window.
//
// Dispatch identifiers:
//   17 Open(path As Text, options As Text): stops what plays, opens the file
//      and a sound device for its format (the first frame's sample rate and
//      channel count). Returns Integer 0, or a PlayResult code.
//   18 Play(): plays the opened file from its start to its end (or to a
//      change of sample rate or channel count inside it, or to a read that
//      fails) and returns at once; after the end, Play starts it again.
//      Returns Integer 0, or a PlayResult code.
//   21 Stop(): silences playback. Returns empty.
// Any other identifier throws RuntimeError MethodNotSupported. Playback runs
// on the component's own thread; destroying the component stops it. No call
// waits long for the disc or the sound device (PlaybackEngine).
#pragma once

#include <cstdint>
#include <memory>

#include "runtime/core/component.h"

namespace player {

inline constexpr rt::DispatchId kOpenDispatchId = 17;
inline constexpr rt::DispatchId kPlayDispatchId = 18;
inline constexpr rt::DispatchId kStopDispatchId = 21;

// 3 is given no more: it was the system's MP3 codec refusing a stream, and
// the component decodes on its own. The other codes keep their numbers.
enum class PlayResult : std::int16_t {
  Ok = 0,
  FileUnreadable = 1,     // missing, not accessible, or a read failed
  NotMp3 = 2,             // no MPEG audio Layer III stream in the file
  DeviceUnavailable = 4,  // no sound system or device, it refused the
                          // format, or no memory or handles for the
                          // sound's or the file's buffers
  NothingOpen = 5,        // Play without a successful Open
};

// The sound system is loaded at the first Open, not here; when it is missing
// every Open gives DeviceUnavailable and the component stays silent.
// Throws RuntimeError CannotCreateObject when the playback thread cannot start
// (OutOfMemory when for want of memory).
std::unique_ptr<rt::Component> CreateMp3Player();

}  // namespace player
