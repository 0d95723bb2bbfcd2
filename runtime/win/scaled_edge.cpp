#include "runtime/win/scaled_edge.h"

#include "runtime/win/drawing_resources.h"
#include "runtime/win/handles.h"

namespace rt {
namespace {

// The system's edges are two rings of one pixel; the sample square keeps a
// two-pixel inside so that the fill colour can be taken from it as well.
constexpr int kRing = 2;
constexpr int kSample = 3 * kRing;

// Draws the sample `drawSample` makes, enlarged to `rect` with rings
// `thickness` wide. False, having drawn nothing, when the device context or
// bitmap for the sample is refused.
template <class DrawSample>
bool Enlarge(HDC dc, const RECT& rect, int thickness, bool fillInside, DrawSample drawSample) {
  UniqueMemoryDc sample(CreateDrawingDc(dc));
  if (!sample) return false;
  UniqueBitmap pixels(CreateDrawingBitmap(dc, kSample, kSample));
  if (!pixels) return false;
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
  return true;
}

}  // namespace

void DrawScaledEdge(HDC dc, const RECT& rect, int thickness, UINT edge) {
  const bool enlarged = Enlarge(dc, rect, thickness, false, [edge](HDC sample, RECT* square) {
    ::FillRect(sample, square, ::GetSysColorBrush(COLOR_BTNFACE));
    ::DrawEdge(sample, square, edge, BF_RECT);
  });
  if (enlarged) return;
  // Drawn less: the band in the button colour and the system's own edge
  // along its outside, which need no memory of their own.
  const HBRUSH face = ::GetSysColorBrush(COLOR_BTNFACE);
  const RECT bands[4] = {
      {rect.left, rect.top, rect.right, rect.top + thickness},
      {rect.left, rect.bottom - thickness, rect.right, rect.bottom},
      {rect.left, rect.top, rect.left + thickness, rect.bottom},
      {rect.right - thickness, rect.top, rect.right, rect.bottom},
  };
  for (const RECT& band : bands) ::FillRect(dc, &band, face);
  RECT outside = rect;
  ::DrawEdge(dc, &outside, edge, BF_RECT);
}

void DrawScaledButtonFrame(HDC dc, const RECT& rect, int thickness, UINT pushButtonState) {
  const bool enlarged =
      Enlarge(dc, rect, thickness, true, [pushButtonState](HDC sample, RECT* square) {
        ::DrawFrameControl(sample, square, DFC_BUTTON, DFCS_BUTTONPUSH | pushButtonState);
      });
  if (enlarged) return;
  // Drawn less: the system's own frame, two pixels wide, filled inside.
  RECT frame = rect;
  ::DrawFrameControl(dc, &frame, DFC_BUTTON, DFCS_BUTTONPUSH | pushButtonState);
}

}  // namespace rt
