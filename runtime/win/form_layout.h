// Where a form's frame and controls go at a scale: the window styles a
// description asks for, the frame around the described client size and the
// pixel rectangle of each control. Sizes come from rt::TwipsToPixels at the
// form's dots per inch and from nowhere else.
#pragma once

#include <windows.h>

#include "runtime/core/description.h"

namespace rt {

struct FrameStyles {
  DWORD style;
  DWORD exStyle;
};

FrameStyles StylesOf(const WindowDescription& description);

// The control's rectangle at `dpi`, relative to its parent's client area.
RECT ControlRect(const ControlDescription& control, int dpi);

// Gives `window` the frame around the described client size at `dpi`. Its
// top-left corner goes to `topLeft`; a window that starts centred is centred
// on the screen instead when `centre` is set. The frame's metrics are the
// window manager's: the client area is checked afterwards and the frame
// corrected until it has exactly the described size.
void PlaceFrame(HWND window, const WindowDescription& description, int dpi, POINT topLeft,
                bool centre);

}  // namespace rt
