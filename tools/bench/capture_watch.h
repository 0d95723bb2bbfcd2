// Watches the sound capture (raw signed 16-bit little-endian samples that
// the ALSA file sink appends) for the first sound after a mark.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "tools/bench/stopwatch.h"

namespace bench {

struct FirstSound {
  double dataMs;   // when the capture first grew past the mark
  double soundMs;  // when a sample louder than near-silence first arrived
};

class CaptureWatch {
 public:
  // Marks the capture's current end (0 when it does not exist yet).
  explicit CaptureWatch(std::wstring path);

  // Polls every millisecond until a loud sample arrives after the mark; both
  // times are read from `clock`. Throws std::runtime_error after 10 s.
  FirstSound WaitForSound(const Stopwatch& clock) const;

 private:
  std::uint64_t Size() const;

  std::wstring path_;
  std::uint64_t mark_ = 0;
};

}  // namespace bench
