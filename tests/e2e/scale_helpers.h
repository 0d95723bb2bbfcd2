// What the tests of drawing and display scale share: the scale this test
// program runs at, the conversion of twips as the programs promise it, a
// snapshot of a window's client area as the screen shows it, and
// WM_DPICHANGED sent by hand (Wine never sends it).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace e2e {

// The conversion as the programs promise it: twips x dpi / 1440 to the
// nearest pixel, halves up (every value here is positive).
int Scaled(int twips, int dpi);

struct Twips {
  int left, top, width, height;
};
RECT ScaledRect(const Twips& t, int dpi);

// The scale this test program runs at: it is per-monitor aware, so the
// screen's device context reports the scale LogPixels set.
int TestDpi();

// The scale a WM_DPICHANGED moves the windows to: from 96 dpi up to 144,
// from any other scale back to 96, so that the windows stay on the desktop.
int OtherDpi(int dpi);

// `child`'s window rectangle relative to `parent`'s client area.
RECT WindowRectIn(HWND child, HWND parent);
std::string Describe(const RECT& r);
void ExpectRect(const RECT& actual, const RECT& expected, const std::string& what);

// The client area of a window as the screen shows it, read in one go.
class ClientSnapshot {
 public:
  explicit ClientSnapshot(HWND window);
  // Pixel at (x, y) of the client area; CLR_INVALID outside it.
  COLORREF Pixel(int x, int y) const;

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<std::uint32_t> pixels_;
};

// A child's client area within a snapshot of its window's.
class ChildPixels {
 public:
  ChildPixels(const ClientSnapshot& shot, HWND child, HWND window);
  COLORREF Pixel(int x, int y) const { return shot_.Pixel(origin_.left + x, origin_.top + y); }

 private:
  const ClientSnapshot& shot_;
  RECT origin_;
};

// Sends WM_DPICHANGED to another process's window as Windows would, with the
// suggested rectangle at the same address in both processes (Wine may or may
// not copy it across), and waits for the window to handle it. Fails the
// test (fatally) when it cannot. Without `waitForAnswer`, gives the window a
// second and goes on whether it answered or not.
void SendDpiChanged(HWND window, DWORD pid, int dpi, const RECT& suggested,
                    bool waitForAnswer = true);

// A rectangle at (8, 8) as large as `window`'s scaled from `from` to `to`.
RECT SuggestedRect(HWND window, int from, int to);

}  // namespace e2e
