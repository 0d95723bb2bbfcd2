#include "tests/e2e/scale_helpers.h"

#include <gtest/gtest.h>

#include "tests/e2e/window_probe.h"

namespace e2e {

int Scaled(int twips, int dpi) { return (twips * dpi + 720) / 1440; }

RECT ScaledRect(const Twips& t, int dpi) {
  const int left = Scaled(t.left, dpi);
  const int top = Scaled(t.top, dpi);
  return {left, top, left + Scaled(t.width, dpi), top + Scaled(t.height, dpi)};
}

int TestDpi() {
  const HDC screen = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
  ::ReleaseDC(nullptr, screen);
  return dpi;
}

int OtherDpi(int dpi) { return dpi == 96 ? 144 : 96; }

RECT WindowRectIn(HWND child, HWND parent) {
  RECT r = WindowRectOnScreen(child);
  ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

std::string Describe(const RECT& r) {
  return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" +
         std::to_string(r.right) + "," + std::to_string(r.bottom) + ")";
}

void ExpectRect(const RECT& actual, const RECT& expected, const std::string& what) {
  EXPECT_TRUE(EqualRect(&actual, &expected))
      << what << ": " << Describe(actual) << ", expected " << Describe(expected);
}

ClientSnapshot::ClientSnapshot(HWND window) {
  const RECT r = ClientRectOnScreen(window);
  width_ = Width(r);
  height_ = Height(r);
  pixels_.resize(static_cast<std::size_t>(width_) * height_);
  const HDC screen = ::GetDC(nullptr);
  const HDC memory = ::CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width_;
  info.bmiHeader.biHeight = -height_;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  const HGDIOBJ previous = ::SelectObject(memory, bitmap);
  ::BitBlt(memory, 0, 0, width_, height_, screen, r.left, r.top, SRCCOPY);
  ::GdiFlush();
  const auto* source = static_cast<const std::uint32_t*>(bits);
  pixels_.assign(source, source + pixels_.size());
  ::SelectObject(memory, previous);
  ::DeleteObject(bitmap);
  ::DeleteDC(memory);
  ::ReleaseDC(nullptr, screen);
}

COLORREF ClientSnapshot::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
  const std::uint32_t p = pixels_[static_cast<std::size_t>(y) * width_ + x];
  return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

ChildPixels::ChildPixels(const ClientSnapshot& shot, HWND child, HWND window)
    : shot_(shot), origin_(ClientRectIn(child, window)) {}

void SendDpiChanged(HWND window, DWORD pid, int dpi, const RECT& suggested,
                    bool waitForAnswer) {
  const HANDLE process = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid);
  ASSERT_NE(process, nullptr);
  // An address free in both: taken here first, then asked for there.
  void* shared = nullptr;
  for (std::uintptr_t address = 0x30000000; address < 0x70000000 && !shared;
       address += 0x01000000) {
    void* local = ::VirtualAlloc(reinterpret_cast<void*>(address), sizeof suggested,
                                 MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (!local) continue;
    if (::VirtualAllocEx(process, local, sizeof suggested, MEM_RESERVE | MEM_COMMIT,
                         PAGE_READWRITE) == local) {
      shared = local;
    } else {
      ::VirtualFree(local, 0, MEM_RELEASE);
    }
  }
  ASSERT_NE(shared, nullptr) << "no address free in both processes";
  void* const local = shared;
  void* const remote = shared;
  *static_cast<RECT*>(local) = suggested;
  ASSERT_TRUE(::WriteProcessMemory(process, remote, &suggested, sizeof suggested, nullptr));
  DWORD_PTR ignored = 0;
  const bool answered =
      ::SendMessageTimeoutW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                            reinterpret_cast<LPARAM>(remote), SMTO_ABORTIFHUNG,
                            waitForAnswer ? 5000 : 1000, &ignored) != 0;
  if (waitForAnswer) {
    EXPECT_TRUE(answered) << "WM_DPICHANGED got no answer";
  }
  ::CloseHandle(process);
  ::Sleep(400);  // let the repaint reach the screen
}

RECT SuggestedRect(HWND window, int from, int to) {
  const RECT r = WindowRectOnScreen(window);
  return {8, 8, 8 + Width(r) * to / from, 8 + Height(r) * to / from};
}

}  // namespace e2e
