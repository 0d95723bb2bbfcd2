// Picture boxes: a child area with a sunken edge (2 pixels at the layout
// scale, as wide as its window's scale makes it) that shows its picture at
// the inner top-left corner and clips its children to the inner area. The
// picture is the form's (Form::PictureOf), asked for at each paint, so that
// the box never holds a picture the form has let go of.
#pragma once

#include <windows.h>

namespace rt {

inline constexpr wchar_t kPictureBoxClass[] = L"RtPictureBox";

void RegisterPictureBoxClass();

// Creates an empty picture box at the parent's origin; UpdatePictureBox and
// a move give it its picture and place.
HWND CreatePictureBox(HWND parent, int id);

// Shows the form's picture for the box again, and takes the edge width of
// the form's current scale: call after the form's scale changed.
void UpdatePictureBox(HWND box);

}  // namespace rt
