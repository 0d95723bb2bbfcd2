// Reads chunks of one file on a thread of its own, so that a read the system
// does not return from at once (a drive spinning up, a disc taken out, a read
// carried out inside the call) holds that thread and never the reader's
// owner, who waits on completed() together with whatever else it serves.
//
// The file, the chunk and the read's OVERLAPPED are shared by the owner and
// the thread; the last of them to let go frees them. So an owner may drop a
// reader whose read is still held: the read ends on the thread, into memory
// that is still there, and then the thread frees everything and ends.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <optional>
#include <span>

#include "player/playback/file_reads.h"
#include "player/playback/win_handles.h"

namespace player {

class ChunkReader {
 public:
  static constexpr std::size_t kChunkBytes = 16 * 1024;

  // What a completed read gave: `error` is ERROR_SUCCESS, or the error it
  // failed with (ERROR_HANDLE_EOF past the end, ERROR_OPERATION_ABORTED when
  // cancelled); `bytes` are valid until the next Start. `thrown` is what the
  // read function threw, if anything.
  struct Outcome {
    DWORD error;
    std::span<const std::uint8_t> bytes;
    std::exception_ptr thrown;
  };

  // Takes `file` (opened for overlapped reads), to read it through `reads`
  // (borrowed; it must outlive the thread), and starts the thread. Null when
  // the thread, its events or its memory cannot be had.
  static std::unique_ptr<ChunkReader> Make(UniqueFile file, const FileReads& reads);
  ChunkReader(const ChunkReader&) = delete;
  ChunkReader& operator=(const ChunkReader&) = delete;
  // Cancels the read in flight, if any, and lets go without waiting for it.
  ~ChunkReader();

  // Asks for the chunk at `offset`; no read may be in flight.
  void Start(std::uint64_t offset);
  // Asks the system to end the read in flight early; its outcome still
  // comes through Take.
  void Cancel();
  // The outcome of the read in flight once it has completed, and from then
  // on nothing is in flight; empty while it has not.
  std::optional<Outcome> Take();
  bool inFlight() const { return inFlight_; }
  // Auto reset: signalled when a read completes. A wait on it may see a
  // completion already taken; Take tells.
  HANDLE completed() const;

 private:
  struct Shared;
  explicit ChunkReader(Shared* shared) : shared_(shared) {}
  // Wakes the thread for a request or its release (WakeThread).
  void Wake() const;
  static unsigned WINAPI ThreadMain(void* shared);
  static void Read(Shared& shared) noexcept;
  static void Release(Shared* shared) noexcept;

  Shared* shared_;
  UniqueEvent thread_;  // the reading thread
  bool inFlight_ = false;
};

}  // namespace player
