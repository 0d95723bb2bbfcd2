#include "runtime/win/form_layout.h"

#include "runtime/win/display_scale.h"

namespace rt {

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

void PlaceFrame(HWND window, const WindowDescription& description, int dpi, POINT topLeft,
                bool centre) {
  const FrameStyles styles = StylesOf(description);
  const int clientWidth = TwipsToPixels(description.client.width, dpi);
  const int clientHeight = TwipsToPixels(description.client.height, dpi);
  const RECT outer =
      FrameAroundClient({0, 0, clientWidth, clientHeight}, styles.style, styles.exStyle, dpi);
  const int width = outer.right - outer.left;
  const int height = outer.bottom - outer.top;
  if (centre) {
    topLeft = {(::GetSystemMetrics(SM_CXSCREEN) - width) / 2,
               (::GetSystemMetrics(SM_CYSCREEN) - height) / 2};
  }
  ::SetWindowPos(window, nullptr, topLeft.x, topLeft.y, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  RECT client;
  ::GetClientRect(window, &client);
  const int dx = clientWidth - client.right;
  const int dy = clientHeight - client.bottom;
  if (dx != 0 || dy != 0) {
    ::SetWindowPos(window, nullptr, 0, 0, width + dx, height + dy,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

}  // namespace rt
