// An MP3 file read in bounded chunks and split into audio frames.
//
// Reads run on the track's own reading thread (ChunkReader) and are never
// waited for here: while one is in flight the track gives no frame, and its
// owner waits on pendingRead() together with whatever else it serves, so
// that a disc spinning up or taken out never holds it. A track may be
// destroyed with a read in flight; the read then ends on the reading thread.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "player/mp3/stream_parser.h"
#include "player/playback/chunk_reader.h"
#include "player/playback/file_reads.h"
#include "player/playback/mp3_player.h"

namespace player {

class Track {
 public:
  // Opens `path` (passed to CreateFileW unchanged) for reading through
  // `reads` (borrowed; it must outlive the track). Reads nothing yet.
  // FileUnreadable when it cannot be opened, DeviceUnavailable when there are
  // no events or no memory for its reads.
  static PlayResult Open(const std::wstring& path, const FileReads& reads, std::unique_ptr<Track>& track);
  Track(const Track&) = delete;
  Track& operator=(const Track&) = delete;

  // Looks for the first audio frame, whose header becomes format(), then
  // goes back to the start. Ok when found; NotMp3 when the file ends, or
  // its first 1 MiB after the tags holds none; FileUnreadable when a read
  // failed; empty while a read is in flight (call again once pendingRead()
  // is signalled). Rethrows what a read threw.
  std::optional<PlayResult> FindFormat();

  // The header of the first audio frame: the stream's format.
  const mp3::FrameHeader& format() const { return format_; }

  // Goes back to the start of the file. Never waits: a read in flight is
  // cancelled, and what it brings is dropped.
  void Rewind();

  // The next audio frame; empty at the end of the stream, when a read
  // failed, while a read is in flight, or once `scanLimit` bytes were read
  // in this call without finding a frame (ended(), failed() and
  // pendingRead() tell these apart). Rethrows what a read threw. The
  // frame's bytes are valid until the next call. The stream ends at the first frame whose sample rate or
  // channel count differs from format(): the sound device plays one format,
  // and what follows such a change is not played.
  std::optional<mp3::Frame> NextFrame(std::uint64_t scanLimit);

  // True once the end of the file or a change of format was reached.
  bool ended() const { return ended_ || formatChanged_; }
  // True once a read failed: the file gives nothing more until Rewind.
  bool failed() const { return failed_; }
  // Signalled when the read in flight completes; null when none is. A wait
  // on it may end for a read already taken: NextFrame or FindFormat tells.
  HANDLE pendingRead() const { return reader_->inFlight() ? reader_->completed() : nullptr; }
  // Drops the result of a read that has completed; true when no read is in
  // flight any more. For a track given up, which is kept until settled: that
  // bounds the reads left held on a disc that does not answer.
  bool ReadSettled();

 private:
  explicit Track(std::unique_ptr<ChunkReader> reader) : reader_(std::move(reader)) {}
  // Starts reading the next chunk, after what the parser asks to skip.
  void StartRead();
  // Takes the result of the read in flight, when it has completed. Rethrows
  // what the read threw, unless the read was dropped.
  void CollectRead();

  std::unique_ptr<ChunkReader> reader_;
  std::uint64_t offset_ = 0;     // where the next read starts
  std::uint64_t bytesRead_ = 0;  // since the last Rewind
  mp3::StreamParser parser_;
  bool dropRead_ = false;       // the read in flight was given up by Rewind
  bool ended_ = false;          // end of file
  bool failed_ = false;         // a read failed
  bool formatChanged_ = false;  // a frame of another format was found
  mp3::FrameHeader format_;     // sampleRate 0 until FindFormat found the first frame
};

}  // namespace player
