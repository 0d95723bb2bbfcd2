#include "player/playback/chunk_reader.h"

#include <process.h>

#include <array>
#include <atomic>
#include <new>
#include <utility>

#include "player/playback/thread_wake.h"

namespace player {
namespace {

// Longest the thread waits before it looks for a request or its release on
// its own: both wake it at once, so this only matters should a wake-up be
// lost. As long as the playback thread's own poll.
constexpr DWORD kLookMilliseconds = 2000;
// How often a read whose wait failed looks again whether the system is done
// with its chunk.
constexpr DWORD kSettlePollMilliseconds = 50;

}  // namespace

struct ChunkReader::Shared {
  Shared(UniqueFile file, const FileReads& reads, UniqueEvent ask, UniqueEvent completed, UniqueEvent io)
      : file(std::move(file)), reads(reads), ask(std::move(ask)), completed(std::move(completed)), io(std::move(io)) {}

  const UniqueFile file;
  const FileReads& reads;
  const UniqueEvent ask;        // auto reset; set with `asked` or `released`
  const UniqueEvent completed;  // auto reset; set with `done`
  const UniqueEvent io;         // manual reset; the OVERLAPPED's event
  // Written by the owner before `asked`, then by the thread until `done`,
  // then read by the owner.
  OVERLAPPED overlapped{};
  std::array<std::uint8_t, kChunkBytes> chunk{};
  DWORD bytes = 0;
  DWORD error = ERROR_SUCCESS;
  std::exception_ptr thrown;
  std::atomic<bool> asked{false};
  std::atomic<bool> done{false};
  std::atomic<bool> released{false};  // the owner let go
  std::atomic<int> holders{2};        // the owner and the thread
};

std::unique_ptr<ChunkReader> ChunkReader::Make(UniqueFile file, const FileReads& reads) {
  UniqueEvent ask(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
  UniqueEvent completed(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
  UniqueEvent io(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!ask || !completed || !io) return nullptr;
  std::unique_ptr<Shared> shared(
      new (std::nothrow) Shared(std::move(file), reads, std::move(ask), std::move(completed), std::move(io)));
  if (!shared) return nullptr;
  std::unique_ptr<ChunkReader> reader(new (std::nothrow) ChunkReader(shared.get()));
  if (!reader) return nullptr;
  // _beginthreadex rather than CreateThread: the C runtime's data for the
  // thread is made here, where a failure comes back as a value.
  reader->thread_ =
      UniqueEvent(reinterpret_cast<HANDLE>(::_beginthreadex(nullptr, 0, &ThreadMain, shared.get(), 0, nullptr)));
  if (!reader->thread_) {
    reader->shared_ = nullptr;
    return nullptr;
  }
  static_cast<void>(shared.release());  // the thread and the reader hold it now
  return reader;
}

ChunkReader::~ChunkReader() {
  if (!shared_) return;
  Cancel();
  shared_->released.store(true, std::memory_order_release);
  Wake();
  Release(shared_);
}

HANDLE ChunkReader::completed() const { return shared_->completed.get(); }

void ChunkReader::Start(std::uint64_t offset) {
  Shared& shared = *shared_;
  shared.overlapped = OVERLAPPED{};
  shared.overlapped.Offset = static_cast<DWORD>(offset);
  shared.overlapped.OffsetHigh = static_cast<DWORD>(offset >> 32);
  shared.overlapped.hEvent = shared.io.get();
  shared.bytes = 0;
  shared.error = ERROR_SUCCESS;
  shared.thrown = nullptr;
  shared.done.store(false, std::memory_order_relaxed);
  shared.asked.store(true, std::memory_order_release);
  Wake();
  inFlight_ = true;
}

void ChunkReader::Wake() const {
  // Should neither go, the thread still looks within kLookMilliseconds.
  WakeThread(shared_->ask.get(), thread_.get());
}

void ChunkReader::Cancel() {
  if (inFlight_) shared_->reads.cancelIoEx(shared_->file.get(), &shared_->overlapped);
}

std::optional<ChunkReader::Outcome> ChunkReader::Take() {
  if (!inFlight_ || !shared_->done.load(std::memory_order_acquire)) return std::nullopt;
  inFlight_ = false;
  return Outcome{shared_->error, std::span(shared_->chunk).first(shared_->bytes),
                 std::exchange(shared_->thrown, nullptr)};
}

unsigned WINAPI ChunkReader::ThreadMain(void* context) {
  // A read from a drive without its disc then fails (ERROR_NOT_READY)
  // instead of raising the system's "no disk" box on this thread.
  ::SetThreadErrorMode(SEM_FAILCRITICALERRORS, nullptr);
  Shared& shared = *static_cast<Shared*>(context);
  while (!shared.released.load(std::memory_order_acquire)) {
    if (shared.asked.exchange(false, std::memory_order_acquire)) {
      Read(shared);
      shared.done.store(true, std::memory_order_release);
      ::SetEvent(shared.completed.get());  // should it fail, the owner finds `done` at its next look
    } else if (::WaitForSingleObjectEx(shared.ask.get(), kLookMilliseconds, TRUE) == WAIT_FAILED) {
      ::Sleep(kLookMilliseconds);  // a wait that keeps failing never spins
    }
  }
  Release(&shared);
  return 0;
}

void ChunkReader::Read(Shared& shared) noexcept {
  try {
    DWORD bytes = 0;
    BOOL read = shared.reads.readFile(shared.file.get(), shared.chunk.data(), static_cast<DWORD>(shared.chunk.size()),
                                      nullptr, &shared.overlapped);
    // Completed at once or not, the result is taken from the OVERLAPPED.
    if (read || ::GetLastError() == ERROR_IO_PENDING) {
      read = ::GetOverlappedResult(shared.file.get(), &shared.overlapped, &bytes, TRUE);
      if (!read) {
        shared.error = ::GetLastError();
        // A wait that failed leaves the read in flight: the chunk is the
        // system's until it completes.
        while (!HasOverlappedIoCompleted(&shared.overlapped)) ::Sleep(kSettlePollMilliseconds);
      }
    } else {
      shared.error = ::GetLastError();
    }
    shared.bytes = read ? bytes : 0;
  } catch (...) {
    shared.thrown = std::current_exception();
  }
}

void ChunkReader::Release(Shared* shared) noexcept {
  if (shared->holders.fetch_sub(1, std::memory_order_acq_rel) == 1) delete shared;
}

}  // namespace player
