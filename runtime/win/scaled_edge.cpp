#include "runtime/win/scaled_edge.h"

#include "runtime/win/drawing_resources.h"
#include "runtime/win/handles.h"
#include "runtime/win/win_error.h"

namespace rt {
namespace {

// The system's edges are two rings of one pixel; the sample square keeps a
// two-pixel inside so that the fill colour can be taken from it as well.
constexpr int kRing = 2;
constexpr int kSample = 3 * kRing;

template <class DrawSample>
void Enlarge(HDC dc, const RECT& rect, int thickness, bool fillInside, DrawSample drawSample) {
  UniqueMemoryDc sample(Check(CreateDrawingDc(dc), "CreateCompatibleDC"));
  UniqueBitmap pixels(Check(CreateDrawingBitmap(dc, kSample, kSample), "CreateCompatibleBitmap"));
  SelectScope select(sample.get(), pixels.get());
  RECT square{0, 0, kSample, kSample};
  drawSample(sample.get(), &square);

  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  const int t = thickness;
  // Nine pieces: each corner, each side and (if asked) the inside, taken from the
  // matching part of the sample and enlarged pixel by pixel.
  const int targetX[3] = {rect.left, rect.left + t, rect.right - t};
  const int targetY[3] = {rect.top, rect.top + t, rect.bottom - t};
  const int targetW[3] = {t, width - 2 * t, t};
  const int targetH[3] = {t, height - 2 * t, t};
  const int sourceAt[3] = {0, kRing, kSample - kRing};
  const int previousMode = ::SetStretchBltMode(dc, COLORONCOLOR);
  for (int row = 0; row < 3; ++row) {
    for (int column = 0; column < 3; ++column) {
      if (targetW[column] <= 0 || targetH[row] <= 0) continue;
      if (row == 1 && column == 1 && !fillInside) continue;
      ::StretchBlt(dc, targetX[column], targetY[row], targetW[column], targetH[row],
                   sample.get(), sourceAt[column], sourceAt[row], kRing, kRing, SRCCOPY);
    }
  }
  ::SetStretchBltMode(dc, previousMode);
}

}  // namespace

void DrawScaledEdge(HDC dc, const RECT& rect, int thickness, UINT edge) {
  Enlarge(dc, rect, thickness, false, [edge](HDC sample, RECT* square) {
    ::FillRect(sample, square, ::GetSysColorBrush(COLOR_BTNFACE));
    ::DrawEdge(sample, square, edge, BF_RECT);
  });
}

void DrawScaledButtonFrame(HDC dc, const RECT& rect, int thickness, UINT pushButtonState) {
  Enlarge(dc, rect, thickness, true, [pushButtonState](HDC sample, RECT* square) {
    ::DrawFrameControl(sample, square, DFC_BUTTON, DFCS_BUTTONPUSH | pushButtonState);
  });
}

}  // namespace rt
