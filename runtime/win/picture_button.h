// Picture buttons: standard owner-drawn push buttons (so that clicks, the
// space bar, capture and accessibility behave as users expect) under a
// superclass that adds Enter, Tab and arrow-key handling, drawn with the
// platform's raised frame and a face picture.
#pragma once

#include <windows.h>

namespace rt {

inline constexpr wchar_t kPictureButtonClass[] = L"RtPictureButton";

void RegisterPictureButtonClass();

// Draws the raised (or, while held, pressed) frame, the face centred on the
// button and clipped to the area inside the frame, and the focus marker;
// frame, shift and marker are as wide as the window's scale `dpi` makes them.
void DrawPictureButton(const DRAWITEMSTRUCT& item, HBITMAP face, int dpi);

}  // namespace rt
