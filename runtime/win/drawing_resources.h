// The memory device contexts and bitmaps that the runtime's drawing borrows
// for one paint (the enlarged edges, a picture's copy to the screen). Either
// may be refused, as when the process has reached its GDI handle quota or
// other programs have used up the session's GDI pool: the caller then draws
// less, and never fails. These two live in a file of their own so that a
// test program can link its own in their place and refuse them.
#pragma once

#include <windows.h>

namespace rt {

// CreateCompatibleDC(`like`): null when refused.
HDC CreateDrawingDc(HDC like);
// CreateCompatibleBitmap(`like`, width, height): null when refused.
HBITMAP CreateDrawingBitmap(HDC like, int width, int height);

}  // namespace rt
