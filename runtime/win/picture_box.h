// Picture boxes: a child area with a sunken 2-pixel edge that shows its
// picture at the inner top-left corner and clips its children to the inner
// area. The picture is borrowed from the form that owns the box.
#pragma once

#include <windows.h>

namespace rt {

inline constexpr wchar_t kPictureBoxClass[] = L"RtPictureBox";

void RegisterPictureBoxClass();

// Creates a picture box showing `picture` (borrowed; may be null).
HWND CreatePictureBox(HWND parent, int id, const RECT& outer, HBITMAP picture);

}  // namespace rt
