// A program the driver starts and measures: started with CreateProcessW in
// its own folder, as a user's double click would, and ended by closing its
// window (terminated if it does not end within a few seconds).
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "tools/bench/stopwatch.h"

namespace bench {

class LaunchedProgram {
 public:
  // Starts `exe`; the stopwatch starts just before CreateProcessW. Throws
  // std::runtime_error when the program cannot start.
  explicit LaunchedProgram(const std::wstring& exe);
  ~LaunchedProgram();
  LaunchedProgram(const LaunchedProgram&) = delete;
  LaunchedProgram& operator=(const LaunchedProgram&) = delete;

  DWORD pid() const { return pid_; }
  const Stopwatch& sinceStart() const { return sinceStart_; }

  // Waits until the program's visible top-level window shows the background
  // blue at two points of its client area that no control covers. Returns
  // the milliseconds from the start; throws std::runtime_error after 30 s.
  double WaitForFirstPaint();

  // The window WaitForFirstPaint found.
  HWND window() const { return window_; }

  // The program's working set now, in KiB; empty when it cannot be read.
  std::optional<std::uint64_t> WorkingSetKiB() const;

  // Posts WM_CLOSE to the window and waits for the program to end; ends it
  // by force after 5 s.
  void Close();

 private:
  bool ShowsBackground() const;

  Stopwatch sinceStart_;
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
  HWND window_ = nullptr;
};

}  // namespace bench
