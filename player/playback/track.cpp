#include "player/playback/track.h"

#include <algorithm>
#include <cstdint>
#include <span>
#include <utility>

namespace player {
namespace {

// A file whose first audio frame is not within this many bytes after its
// tags is not treated as MP3; bounds the time FindFormat takes on any file.
constexpr std::uint64_t kMaxScanBeforeFirstFrame = 1024 * 1024;

}  // namespace

const FileReads kSystemFileReads = {&::ReadFile, &::CancelIoEx};

PlayResult Track::Open(const std::wstring& path, const FileReads& reads, std::unique_ptr<Track>& track) {
  track.reset();
  UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN | FILE_FLAG_OVERLAPPED, nullptr));
  if (!file) return PlayResult::FileUnreadable;
  auto read = std::make_unique<Read>();
  read->done = UniqueEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!read->done) return PlayResult::DeviceUnavailable;
  track.reset(new Track(std::move(file), reads, std::move(read)));
  return PlayResult::Ok;
}

Track::~Track() {
  if (!inFlight_) return;
  // Only the engine's own end gets here with a read in flight: the system
  // may still write into the chunk, so it is given up for lost.
  reads_.cancelIoEx(file_.get(), &read_->overlapped);
  static_cast<void>(read_.release());
}

std::optional<PlayResult> Track::FindFormat() {
  const std::uint64_t budget = kMaxScanBeforeFirstFrame - std::min(kMaxScanBeforeFirstFrame, bytesRead_);
  const std::optional<mp3::Frame> first = NextFrame(budget);
  if (!first) {
    if (inFlight_) return std::nullopt;
    return failed_ ? PlayResult::FileUnreadable : PlayResult::NotMp3;
  }
  format_ = first->header;
  Rewind();
  return PlayResult::Ok;
}

void Track::Rewind() {
  if (inFlight_) {
    reads_.cancelIoEx(file_.get(), &read_->overlapped);
    dropRead_ = true;
  }
  offset_ = 0;
  bytesRead_ = 0;
  parser_ = mp3::StreamParser();
  ended_ = false;
  failed_ = false;
  formatChanged_ = false;
}

void Track::StartRead() {
  offset_ += parser_.TakePendingSkip();
  OVERLAPPED& overlapped = read_->overlapped;
  overlapped = OVERLAPPED{};
  overlapped.Offset = static_cast<DWORD>(offset_);
  overlapped.OffsetHigh = static_cast<DWORD>(offset_ >> 32);
  overlapped.hEvent = read_->done.get();
  // Completed at once or not, the result is taken from the OVERLAPPED.
  if (reads_.readFile(file_.get(), read_->chunk.data(), static_cast<DWORD>(read_->chunk.size()), nullptr,
                      &overlapped) ||
      ::GetLastError() == ERROR_IO_PENDING) {
    inFlight_ = true;
  } else if (::GetLastError() == ERROR_HANDLE_EOF) {
    ended_ = true;
    parser_.Finish();
  } else {
    failed_ = true;
  }
}

void Track::CollectRead() {
  DWORD read = 0;
  if (!::GetOverlappedResult(file_.get(), &read_->overlapped, &read, FALSE)) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_IO_INCOMPLETE) return;
    inFlight_ = false;
    if (std::exchange(dropRead_, false)) return;
    if (error != ERROR_HANDLE_EOF) {
      failed_ = true;
      return;
    }
    read = 0;
  } else {
    inFlight_ = false;
    if (std::exchange(dropRead_, false)) return;
  }
  offset_ += read;
  bytesRead_ += read;
  if (read == 0) {
    ended_ = true;
    parser_.Finish();
  } else {
    parser_.Feed(std::span(read_->chunk).first(read));
  }
}

bool Track::ReadSettled() {
  if (inFlight_) CollectRead();
  return !inFlight_;
}

std::optional<mp3::Frame> Track::NextFrame(std::uint64_t scanLimit) {
  const std::uint64_t start = bytesRead_;
  for (;;) {
    if (formatChanged_ || failed_) return std::nullopt;
    if (auto frame = parser_.Next()) {
      if (format_.sampleRate != 0 && (frame->header.sampleRate != format_.sampleRate ||
                                      frame->header.channels != format_.channels)) {
        formatChanged_ = true;
        return std::nullopt;
      }
      return frame;
    }
    if (ended_ || bytesRead_ - start >= scanLimit) return std::nullopt;
    if (!inFlight_) StartRead();
    if (inFlight_) {
      CollectRead();
      if (inFlight_) return std::nullopt;
    }
  }
}

}  // namespace player
