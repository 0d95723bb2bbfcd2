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
  std::unique_ptr<ChunkReader> reader = ChunkReader::Make(std::move(file), reads);
  if (!reader) return PlayResult::DeviceUnavailable;
  track.reset(new Track(std::move(reader)));
  return PlayResult::Ok;
}

std::optional<PlayResult> Track::FindFormat() {
  const std::uint64_t budget = kMaxScanBeforeFirstFrame - std::min(kMaxScanBeforeFirstFrame, bytesRead_);
  const std::optional<mp3::Frame> first = NextFrame(budget);
  if (!first) {
    if (reader_->inFlight()) return std::nullopt;
    return failed_ ? PlayResult::FileUnreadable : PlayResult::NotMp3;
  }
  format_ = first->header;
  Rewind();
  return PlayResult::Ok;
}

void Track::Rewind() {
  if (reader_->inFlight()) {
    reader_->Cancel();
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
  reader_->Start(offset_);
}

void Track::CollectRead() {
  const std::optional<ChunkReader::Outcome> outcome = reader_->Take();
  if (!outcome || std::exchange(dropRead_, false)) return;
  if (outcome->thrown) std::rethrow_exception(outcome->thrown);
  if (outcome->error != ERROR_SUCCESS && outcome->error != ERROR_HANDLE_EOF) {
    failed_ = true;
    return;
  }
  offset_ += outcome->bytes.size();
  bytesRead_ += outcome->bytes.size();
  if (outcome->bytes.empty()) {
    ended_ = true;
    parser_.Finish();
  } else {
    parser_.Feed(outcome->bytes);
  }
}

bool Track::ReadSettled() {
  if (reader_->inFlight() && reader_->Take()) dropRead_ = false;
  return !reader_->inFlight();
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
    if (!reader_->inFlight()) StartRead();
    if (reader_->inFlight()) {
      CollectRead();
      if (reader_->inFlight()) return std::nullopt;
    }
  }
}

}  // namespace player
