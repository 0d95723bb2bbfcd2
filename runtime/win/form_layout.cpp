#include "runtime/win/form_layout.h"

#include "runtime/win/display_scale.h"

namespace rt {
namespace {

SIZE DescribedClient(const WindowDescription& description, int dpi) {
  return {TwipsToPixels(description.client.width, dpi),
          TwipsToPixels(description.client.height, dpi)};
}

SIZE FrameSize(const WindowDescription& description, int dpi) {
  const FrameStyles styles = StylesOf(description);
  const SIZE client = DescribedClient(description, dpi);
  const RECT outer =
      FrameAroundClient({0, 0, client.cx, client.cy}, styles.style, styles.exStyle, dpi);
  return {outer.right - outer.left, outer.bottom - outer.top};
}

}  // namespace

FrameStyles StylesOf(const WindowDescription& d) {
  DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_CLIPCHILDREN;
  DWORD exStyle = WS_EX_WINDOWEDGE;
  if (d.controlBox) style |= WS_SYSMENU;
  switch (d.frameStyle) {
    case FrameStyle::FixedSingle:
      if (d.minButton) style |= WS_MINIMIZEBOX;
      if (d.maxButton) style |= WS_MAXIMIZEBOX;
      break;
    case FrameStyle::FixedDialog:
      exStyle |= WS_EX_DLGMODALFRAME;
      break;
    case FrameStyle::FixedToolWindow:
      exStyle |= WS_EX_TOOLWINDOW;
      break;
  }
  return {style, exStyle};
}

RECT ControlRect(const ControlDescription& control, int dpi) {
  const PixelRect r = ToPixels(control.rect, dpi);
  return {r.left, r.top, r.left + r.width, r.top + r.height};
}

bool PlaceFrame(HWND window, const WindowDescription& description, int dpi,
                const FramePlace& place) {
  const SIZE size = FrameSize(description, dpi);
  POINT topLeft = place.topLeft;
  if (place.centre) {
    const ScreenPoint centred = FrameTopLeft({place.screen}, true, {}, size.cx, size.cy);
    topLeft = {centred.x, centred.y};
  }
  if (!::SetWindowPos(window, nullptr, topLeft.x, topLeft.y, size.cx, size.cy,
                      SWP_NOZORDER | SWP_NOACTIVATE)) {
    return false;
  }
  SettleFrame(window, description, dpi, place);
  return true;
}

void SettleFrame(HWND window, const WindowDescription& description, int dpi,
                 const FramePlace& place) {
  CorrectFrame(window, description, dpi);
  if (!place.centre) return;
  // Centred again when the correction changed the frame's size.
  RECT frame;
  if (!::GetWindowRect(window, &frame)) return;
  const ScreenPoint centred = FrameTopLeft({place.screen}, true, {}, frame.right - frame.left,
                                           frame.bottom - frame.top);
  if (centred.x != frame.left || centred.y != frame.top) {
    ::SetWindowPos(window, nullptr, centred.x, centred.y, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void PlaceRestoredFrame(HWND window, const WindowDescription& description, int dpi) {
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  if (!::GetWindowPlacement(window, &placement)) return;
  const SIZE size = FrameSize(description, dpi);
  RECT& restored = placement.rcNormalPosition;
  restored.right = restored.left + size.cx;
  restored.bottom = restored.top + size.cy;
  // It stays minimized, and stays where it is in the Z order.
  placement.showCmd = ::IsWindowVisible(window) ? SW_SHOWMINNOACTIVE : SW_HIDE;
  ::SetWindowPlacement(window, &placement);
}

void CorrectFrame(HWND window, const WindowDescription& description, int dpi) {
  const SIZE wanted = DescribedClient(description, dpi);
  RECT frame;
  RECT client;
  // Unmeasured, the frame stays as it is.
  if (!::GetWindowRect(window, &frame) || !::GetClientRect(window, &client)) return;
  const int dx = wanted.cx - client.right;
  const int dy = wanted.cy - client.bottom;
  if (dx != 0 || dy != 0) {
    ::SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left + dx,
                   frame.bottom - frame.top + dy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

}  // namespace rt
