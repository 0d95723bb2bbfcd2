// What the runtime probe and the tests that drive it agree on: the fake
// screens some of its modes lay its window out on, the scales they fake,
// and the window properties in which the probe tells what it did. Plain
// values only, so that both sides can include it.
#pragma once

namespace probe {

// The scale a fake screen (or a fake GetDpiForMonitor) gives: half as large
// again as the one the system runs at, so that a window laid out at the
// system's scale shows up. Larger, not smaller: Wine draws every frame at
// the system's scale, whose smallest width would not let a window of a
// smaller scale shrink to its size.
constexpr int FakeScreenDpi(int systemDpi) { return systemDpi * 3 / 2; }

// Modes centred-on-screens and scale-changes-while-placing: two screens,
// listed with the secondary first. The primary one has the fake scale; the
// secondary one, to its left, the system's.
struct FakeArea {
  int left, top, right, bottom;
};
inline constexpr FakeArea kPrimaryScreen = {0, 0, 800, 600};
inline constexpr FakeArea kSecondaryScreen = {-800, 0, 0, 600};

// Mode placed-on-screens: the desktop cut in two at this x: the part to
// the left, where the window manager puts a new window, is a secondary
// screen with the fake scale; the part to the right the primary screen,
// with the system's.
inline constexpr int kScreenSplitX = 512;

// Mode scale-changes-while-placing: the scale WM_DPICHANGED announces from
// inside the first SetWindowPos that places the hidden window, as Windows
// does when that moves it onto a screen of another scale: neither the
// system's nor the fake primary screen's.
constexpr int AnnouncedDpi(int systemDpi) { return systemDpi * 5 / 4; }

// Window properties (integers) the probe sets on its form once loaded...
inline constexpr wchar_t kLayoutDpiProperty[] = L"probe.layoutDpi";  // Form::dpi()
inline constexpr wchar_t kWindowDpiProperty[] = L"probe.windowDpi";  // rt::WindowDpi
inline constexpr wchar_t kBigIconProperty[] = L"probe.bigIcon";      // its icons' widths
inline constexpr wchar_t kSmallIconProperty[] = L"probe.smallIcon";
inline constexpr wchar_t kErrorModeProperty[] = L"probe.errorMode";  // GetThreadErrorMode
// ... and, in mode paint-fails, on each control whose drawing asked for a
// device context or bitmap: how many of each it was refused. Two of each
// are refused per control, then every request is granted.
inline constexpr wchar_t kRefusedDcsProperty[] = L"probe.refusedDcs";
inline constexpr wchar_t kRefusedBitmapsProperty[] = L"probe.refusedBitmaps";
inline constexpr int kRefusalsPerKind = 2;

// The controls of the drawn form (every mode above, and paint-fails): the
// window text of its button and its picture box.
inline constexpr wchar_t kButtonText[] = L"Click";
inline constexpr wchar_t kBoxText[] = L"Box";

}  // namespace probe
