#include "runtime/win/drawing_resources.h"

namespace rt {

HDC CreateDrawingDc(HDC like) { return ::CreateCompatibleDC(like); }

HBITMAP CreateDrawingBitmap(HDC like, int width, int height) {
  return ::CreateCompatibleBitmap(like, width, height);
}

}  // namespace rt
