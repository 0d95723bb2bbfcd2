// The MP3 playback component hosted by the player window.
//
// Dispatch identifiers:
//   17 Open(path As Text, options As Text): stops what plays, opens the file
//      and prepares its decoder and sound device. Returns Integer 0, or a
//      PlayResult code.
//   18 Play(): plays the opened file from its start and returns at once.
//      Returns Integer 0, or a PlayResult code.
//   21 Stop(): silences playback. Returns empty.
// Any other identifier throws RuntimeError MethodNotSupported. Playback runs
// on the component's own thread; destroying the component stops it.
#pragma once

#include <cstdint>
#include <memory>

#include "runtime/core/component.h"

namespace player {

enum class PlayResult : std::int16_t {
  Ok = 0,
  FileUnreadable = 1,     // missing, not accessible, or a read failed
  NotMp3 = 2,             // no MPEG audio Layer III stream in the file
  CodecUnavailable = 3,   // the system's MP3 codec refused the stream
  DeviceUnavailable = 4,  // no sound device, or it refused the format
  NothingOpen = 5,        // Play without a successful Open
};

// Throws RuntimeError CannotCreateObject when the playback thread cannot start.
std::unique_ptr<rt::Component> CreateMp3Player();

}  // namespace player
