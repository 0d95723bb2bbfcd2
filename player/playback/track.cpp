#include "player/playback/track.h"

#include <cstdint>
#include <span>

namespace player {
namespace {

// A file whose first audio frame is not within this many bytes after its
// tags is not treated as MP3; bounds the time Open takes on any file.
constexpr std::uint64_t kMaxScanBeforeFirstFrame = 1024 * 1024;

}  // namespace

PlayResult Track::Open(const std::wstring& path, std::unique_ptr<Track>& track) {
  track.reset();
  UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return PlayResult::FileUnreadable;

  std::unique_ptr<Track> opened(new Track(std::move(file)));
  const std::optional<mp3::Frame> first = opened->NextFrame(kMaxScanBeforeFirstFrame);
  if (!first) return PlayResult::NotMp3;
  opened->format_ = first->header;
  if (!opened->Rewind()) return PlayResult::FileUnreadable;
  track = std::move(opened);
  return PlayResult::Ok;
}

bool Track::Rewind() {
  LARGE_INTEGER start{};
  if (!::SetFilePointerEx(file_.get(), start, nullptr, FILE_BEGIN)) return false;
  parser_ = mp3::StreamParser();
  ended_ = false;
  formatChanged_ = false;
  return true;
}

std::optional<mp3::Frame> Track::NextFrame(std::uint64_t scanLimit) {
  if (formatChanged_) return std::nullopt;
  for (std::uint64_t scanned = 0;;) {
    if (auto frame = parser_.Next()) {
      if (format_.sampleRate != 0 && (frame->header.sampleRate != format_.sampleRate ||
                                      frame->header.channels != format_.channels)) {
        formatChanged_ = true;
        return std::nullopt;
      }
      return frame;
    }
    if (ended_ || scanned >= scanLimit) return std::nullopt;

    LARGE_INTEGER skip{};
    skip.QuadPart = static_cast<LONGLONG>(parser_.TakePendingSkip());
    DWORD read = 0;
    if ((skip.QuadPart != 0 && !::SetFilePointerEx(file_.get(), skip, nullptr, FILE_CURRENT)) ||
        !::ReadFile(file_.get(), chunk_.data(), static_cast<DWORD>(chunk_.size()), &read, nullptr)) {
      ended_ = true;
      return std::nullopt;
    }
    scanned += read;
    if (read == 0) {
      ended_ = true;
      parser_.Finish();
    } else {
      parser_.Feed(std::span(chunk_).first(read));
    }
  }
}

}  // namespace player
