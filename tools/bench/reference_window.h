// The reference window the player is measured against: a top-level window
// with the player's frame style and client size (338x79 pixels) whose client
// area is filled with the player's background blue by the system, from the
// class brush. Nothing else: no picture, no icon, no controls.
#pragma once

#include <windows.h>

namespace bench {

// The player's background blue, RGB 0x477ACB.
inline constexpr COLORREF kBackgroundBlue = RGB(0x47, 0x7A, 0xCB);

// Called with the frame window once it exists, before it is shown; and with
// every WM_COMMAND it receives. Either may be null.
struct ReferenceWindowHooks {
  void (*created)(HWND window) = nullptr;
  void (*command)(HWND window, WPARAM wParam, LPARAM lParam) = nullptr;
};

// Registers the class, creates and shows the window and runs the message
// loop until the window is closed. Returns the exit code; 1 when the window
// could not be made.
int RunReferenceWindow(const wchar_t* caption, const ReferenceWindowHooks& hooks);

}  // namespace bench
