#include "runtime/win/picture_button.h"

#include "runtime/core/twips.h"
#include "runtime/win/form.h"
#include "runtime/win/handles.h"
#include "runtime/win/picture.h"
#include "runtime/win/program.h"
#include "runtime/win/scaled_edge.h"
#include "runtime/win/win_error.h"

namespace rt {
namespace {

WNDPROC g_buttonProc = nullptr;  // the system BUTTON class's procedure

// The frame, the shift of a held face and the focus marker's inset and
// width, in twips: 2, 1 and 1 pixels at the layout scale.
constexpr int kFrameTwips = 30;
constexpr int kPressedShiftTwips = 15;
constexpr int kFocusMarkerTwips = 15;

void NotifyClicked(HWND button) {
  ::SendMessageW(::GetParent(button), WM_COMMAND,
                 MAKEWPARAM(::GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
}

bool IsRepeat(LPARAM keyData) { return (keyData & (1 << 30)) != 0; }

LRESULT HandleButtonMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  // An owner-drawn button turns the second press of a double-click into a
  // double-click notification, without the pressed look and without a click.
  // Here every press is a press: the action runs once for each release.
  if (message == WM_LBUTTONDBLCLK) message = WM_LBUTTONDOWN;
  // The drawing covers the whole button, frame and face, so erasing it
  // first would only be painted over.
  if (message == WM_ERASEBKGND) return 1;
  if (message == WM_KEYDOWN) {
    Form* form = Form::FromWindow(hwnd);
    switch (wParam) {
      case VK_RETURN:
        // Enter clicks the focused button only; there is no default button.
        if (!IsRepeat(lParam)) NotifyClicked(hwnd);
        return 0;
      case VK_TAB:
        if (form) form->MoveFocus(hwnd, (::GetKeyState(VK_SHIFT) & 0x8000) == 0);
        return 0;
      case VK_RIGHT:
      case VK_DOWN:
        if (form) form->MoveFocus(hwnd, true);
        return 0;
      case VK_LEFT:
      case VK_UP:
        if (form) form->MoveFocus(hwnd, false);
        return 0;
      default:
        break;
    }
  }
  return ::CallWindowProcW(g_buttonProc, hwnd, message, wParam, lParam);
}

LRESULT CALLBACK PictureButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    return HandleButtonMessage(hwnd, message, wParam, lParam);
  } catch (...) {
    ReportCallbackException();
    return 0;
  }
}

}  // namespace

void RegisterPictureButtonClass() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  Check(::GetClassInfoExW(nullptr, L"BUTTON", &wc), "GetClassInfoExW");
  g_buttonProc = wc.lpfnWndProc;
  wc.lpfnWndProc = PictureButtonProc;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.lpszClassName = kPictureButtonClass;
  Check(::RegisterClassExW(&wc), "RegisterClassExW");
}

void DrawPictureButton(const DRAWITEMSTRUCT& item, HBITMAP face, int dpi) {
  const HDC dc = item.hDC;
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;
  const int frame = TwipsToPixels(kFrameTwips, dpi);
  DrawScaledButtonFrame(dc, item.rcItem, frame, pressed ? DFCS_PUSHED : 0);

  RECT inner = item.rcItem;
  ::InflateRect(&inner, -frame, -frame);
  BITMAP info{};
  if (face && ::GetObjectW(face, sizeof info, &info)) {
    SavedDcState saved(dc);
    ::IntersectClipRect(dc, inner.left, inner.top, inner.right, inner.bottom);
    // Centred on the area inside the frame; the excess of a larger face is
    // cut off evenly on both sides. Held down, the face shifts down and right.
    const int shift = pressed ? TwipsToPixels(kPressedShiftTwips, dpi) : 0;
    const int x = inner.left + (inner.right - inner.left - info.bmWidth) / 2 + shift;
    const int y = inner.top + (inner.bottom - inner.top - info.bmHeight) / 2 + shift;
    DrawBitmap(dc, face, x, y);
  }
  if (item.itemState & ODS_FOCUS) {
    // The system's dotted marker, one ring per pixel of its scaled width.
    const int marker = TwipsToPixels(kFocusMarkerTwips, dpi);
    RECT focus = inner;
    ::InflateRect(&focus, -marker, -marker);
    for (int ring = 0; ring < marker; ++ring) {
      ::DrawFocusRect(dc, &focus);
      ::InflateRect(&focus, -1, -1);
    }
  }
}

}  // namespace rt
