// The display scale as Windows reports it: the process's declaration that
// it draws for each screen's scale itself, a window's dots per inch and the
// frame and icon metrics at a given scale. Every conversion of twips to
// pixels goes through rt::TwipsToPixels with the scale these give.
#pragma once

#include <windows.h>

namespace rt {

// Declares the process aware of each screen's scale: per-monitor v2 where
// Windows has it, then per-monitor (Windows 8.1 and 10, and Wine), then
// system-aware (Windows 7). The manifest declares the same; when it already
// took effect the calls here fail and change nothing, which is fine.
void DeclareDpiAwareness();

// The scale `window` is shown at: its own where Windows keeps one per
// window, the system's otherwise.
int WindowDpi(HWND window);

// The window rectangle around a client rectangle at `dpi`.
RECT FrameAroundClient(const RECT& client, DWORD style, DWORD exStyle, int dpi);

// GetSystemMetrics at `dpi` (e.g. SM_CXICON).
int SystemMetricAtDpi(int index, int dpi);

}  // namespace rt
