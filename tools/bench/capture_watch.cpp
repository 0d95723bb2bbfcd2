#include "tools/bench/capture_watch.h"

#include <cstdlib>
#include <stdexcept>
#include <utility>
#include <vector>

namespace bench {
namespace {

constexpr double kSoundTimeoutMs = 10000.0;
// About -50 dBFS: above the decoder's rounding noise, far below the music.
constexpr int kNearSilence = 100;

bool HasLoudSample(const std::vector<char>& bytes) {
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto sample = static_cast<std::int16_t>(static_cast<unsigned char>(bytes[i]) |
                                                  (static_cast<unsigned char>(bytes[i + 1]) << 8));
    if (std::abs(sample) > kNearSilence) return true;
  }
  return false;
}

}  // namespace

CaptureWatch::CaptureWatch(std::wstring path) : path_(std::move(path)) { mark_ = Size(); }

std::uint64_t CaptureWatch::Size() const {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExW(path_.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

FirstSound CaptureWatch::WaitForSound(const Stopwatch& clock) const {
  FirstSound first{-1.0, -1.0};
  // Samples start at even offsets: the sink appends whole frames.
  std::uint64_t scanned = mark_;
  for (;;) {
    const std::uint64_t size = Size() & ~std::uint64_t{1};
    if (size > scanned) {
      const double now = clock.ElapsedMs();
      if (first.dataMs < 0) first.dataMs = now;
      const HANDLE file = ::CreateFileW(path_.c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
      if (file != INVALID_HANDLE_VALUE) {
        std::vector<char> bytes(static_cast<std::size_t>(size - scanned));
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(scanned);
        DWORD read = 0;
        const bool ok = ::SetFilePointerEx(file, at, nullptr, FILE_BEGIN) &&
                        ::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
        ::CloseHandle(file);
        bytes.resize(ok ? read & ~DWORD{1} : 0);
        if (HasLoudSample(bytes)) {
          first.soundMs = now;
          return first;
        }
        scanned += bytes.size();
      }
    }
    if (clock.ElapsedMs() > kSoundTimeoutMs) throw std::runtime_error("no sound arrived");
    ::Sleep(1);
  }
}

}  // namespace bench
