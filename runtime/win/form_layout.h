// Where a form's frame and controls go at a scale: the window styles a
// description asks for, the frame around the described client size and the
// pixel rectangle of each control. Sizes come from rt::TwipsToPixels at the
// form's dots per inch and from nowhere else.
#pragma once

#include <windows.h>

#include "runtime/core/description.h"
#include "runtime/core/screens.h"

namespace rt {

struct FrameStyles {
  DWORD style;
  DWORD exStyle;
};

FrameStyles StylesOf(const WindowDescription& description);

// The control's rectangle at `dpi`, relative to its parent's client area.
RECT ControlRect(const ControlDescription& control, int dpi);

// Where a layout puts the frame: centred on a screen, or with its top-left
// corner at a point.
struct FramePlace {
  bool centre = false;
  ScreenArea screen;  // when centred
  POINT topLeft{};    // otherwise
};

// Gives `window` the frame around the described client size at `dpi`, put
// at `place`. The frame's metrics are the window manager's: the client area
// is checked afterwards and the frame corrected until it has exactly the
// described size (SettleFrame). False, with the system's last error, when
// the system refused to size the frame.
bool PlaceFrame(HWND window, const WindowDescription& description, int dpi,
                const FramePlace& place);

// Corrects the frame of `window` where it is (CorrectFrame); a centred one
// is then centred again on its screen as corrected.
void SettleFrame(HWND window, const WindowDescription& description, int dpi,
                 const FramePlace& place);

// For a minimized window, which SetWindowPos would not change where it is
// restored: its restore rectangle takes the frame around the described
// client size at `dpi`, keeping its top-left corner. Its client area can be
// checked only once it is restored (CorrectFrame).
void PlaceRestoredFrame(HWND window, const WindowDescription& description, int dpi);

// Checks the client area of `window` against the described size at `dpi`
// and corrects the frame, where it is, until they match.
void CorrectFrame(HWND window, const WindowDescription& description, int dpi);

}  // namespace rt
