// The system's two-pixel 3-D edges (a push button's frame, a sunken box
// edge) drawn as thick as a window's scale asks: the system draws its edge
// on a small square and each of its two rings is enlarged to half the
// thickness, corners included, so that the look stays the platform's. At
// two pixels the result is the system's own drawing.
//
// The enlarging borrows a memory device context and bitmap for each edge
// (rt::CreateDrawingDc, rt::CreateDrawingBitmap). Where the system refuses
// them (the process at its GDI handle quota, the session's pool used up),
// these draw less and never fail: the system's own two-pixel edge or frame,
// which needs no memory of its own; the next paint draws in full again.
#pragma once

#include <windows.h>

namespace rt {

// Draws `edge` (a DrawEdge edge such as EDGE_SUNKEN) along the inside of
// `rect`, `thickness` pixels wide; the area inside it is left as it is.
void DrawScaledEdge(HDC dc, const RECT& rect, int thickness, UINT edge);
// Draws the push-button frame DrawFrameControl draws for `pushButtonState`
// (0 or DFCS_PUSHED) filling `rect`, its edge `thickness` pixels wide.
void DrawScaledButtonFrame(HDC dc, const RECT& rect, int thickness, UINT pushButtonState);

}  // namespace rt
