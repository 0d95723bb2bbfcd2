// Reading and driving another process's windows: finding them, their
// styles, rectangles, texts, focus and the pixels they put on the screen;
// clicking buttons (a posted BM_CLICK, which always lands in a Wine virtual
// desktop where synthesized mouse clicks may be lost) and typing keys.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace e2e {

// Polls `condition` every 50 ms until it holds or `timeoutMs` passes.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);

// Visible top-level windows of process `pid`, optionally of one class.
std::vector<HWND> TopLevelWindows(DWORD pid, const wchar_t* className = nullptr);
HWND FindTopLevelWindow(DWORD pid, const wchar_t* className);

std::wstring ClassOf(HWND hwnd);
// Window text read with WM_GETTEXT, which works across processes.
std::wstring TextOf(HWND hwnd);
std::vector<HWND> ChildWindows(HWND parent);  // direct children, in stacking order
// Direct or deeper child whose window text is `text`; null when none.
HWND ChildByText(HWND parent, const std::wstring& text);

RECT WindowRectOnScreen(HWND hwnd);
RECT ClientRectOnScreen(HWND hwnd);
// A child's client rectangle relative to `ancestor`'s client area.
RECT ClientRectIn(HWND child, HWND ancestor);
int Width(const RECT& r);
int Height(const RECT& r);

COLORREF ScreenPixel(int x, int y);
// Pixel at (x, y) of `hwnd`'s client area, as drawn on the screen.
COLORREF ClientPixel(HWND hwnd, int x, int y);

// The window with the keyboard focus in the thread that owns `hwnd`.
HWND FocusedWindow(HWND hwnd);

void PostClick(HWND button);
// Brings `target` to the foreground, then types `vk` (with Shift if asked).
void PressKey(HWND target, WORD vk, bool shift = false);
// Asks the window to close, as its close box does.
void PostClose(HWND hwnd);

}  // namespace e2e
