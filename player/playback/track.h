// An MP3 file read in bounded chunks and split into audio frames.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "player/mp3/stream_parser.h"
#include "player/playback/mp3_player.h"
#include "player/playback/win_handles.h"

namespace player {

class Track {
 public:
  // Opens `path` (passed to CreateFileW unchanged) and finds its first audio
  // frame. On failure returns FileUnreadable or NotMp3 and leaves `track`
  // empty.
  static PlayResult Open(const std::wstring& path, std::unique_ptr<Track>& track);

  // The header of the first audio frame: the stream's format.
  const mp3::FrameHeader& format() const { return format_; }

  // Goes back to the start of the file. False when the file cannot seek.
  bool Rewind();

  // The next audio frame; empty at the end of the stream, when a read fails,
  // or once `scanLimit` bytes were read without finding a frame (ended()
  // tells these apart). The frame's bytes are valid until the next call.
  // The stream ends at the first frame whose sample rate or channel count
  // differs from format(): the sound device plays one format, and what
  // follows such a change is not played.
  std::optional<mp3::Frame> NextFrame(std::uint64_t scanLimit);

  // True once the end of the file or a change of format was reached, or a
  // read failed.
  bool ended() const { return ended_ || formatChanged_; }

 private:
  explicit Track(UniqueFile file) : file_(std::move(file)) {}

  UniqueFile file_;
  mp3::StreamParser parser_;
  std::array<std::uint8_t, 16 * 1024> chunk_{};
  bool ended_ = false;          // end of file, or a read failed
  bool formatChanged_ = false;  // a frame of another format was found
  mp3::FrameHeader format_;     // sampleRate 0 until Open found the first frame
};

}  // namespace player
