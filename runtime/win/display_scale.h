// The display scale as Windows reports it: the process's declaration that
// it draws for each screen's scale itself, a window's dots per inch and the
// frame and icon metrics at a given scale. Every conversion of twips to
// pixels goes through rt::TwipsToPixels with the scale these give.
#pragma once

#include <windows.h>

#include <vector>

#include "runtime/core/screens.h"

namespace rt {

// Declares the process aware of each screen's scale: per-monitor v2 where
// Windows has it, then per-monitor (Windows 8.1 and 10, and Wine), then
// system-aware (Windows 7). The manifest declares the same; when it already
// took effect the calls here fail and change nothing, which is fine.
void DeclareDpiAwareness();

// The scale `window` is shown at: its own where Windows keeps one per
// window (10 1607 on), else its screen's (8.1 on), else the system's.
int WindowDpi(HWND window);

// The scale of `monitor`: its own where Windows keeps one per screen
// (GetDpiForMonitor, Windows 8.1 on), the system's otherwise.
int MonitorDpi(HMONITOR monitor);

// The screens of this desktop, each with its rectangle and scale, as the
// system reports them.
std::vector<Screen> MonitorScreens();

// The table of screens the layout decisions take: MonitorScreens(). It
// lives in a file of its own so that a test program can link its own in
// its place and fake any arrangement of screens and scales.
std::vector<Screen> Screens();

// The window rectangle around a client rectangle at `dpi`:
// AdjustWindowRectExForDpi (10 1607 on), else AdjustWindowRectEx, the
// system scale's frame, which is the one Windows before 1607 draws at every
// scale (rt::PlaceFrame checks the result against the client area anyway).
// Where neither answers, the client rectangle itself, which that check then
// corrects.
RECT FrameAroundClient(const RECT& client, DWORD style, DWORD exStyle, int dpi);

// GetSystemMetrics at `dpi` (e.g. SM_CXICON): GetSystemMetricsForDpi (10
// 1607 on), else the system scale's value converted to `dpi`.
int SystemMetricAtDpi(int index, int dpi);

}  // namespace rt
