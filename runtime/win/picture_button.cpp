#include "runtime/win/picture_button.h"

#include "runtime/win/form.h"
#include "runtime/win/handles.h"
#include "runtime/win/picture.h"
#include "runtime/win/win_error.h"

namespace rt {
namespace {

WNDPROC g_buttonProc = nullptr;  // the system BUTTON class's procedure

constexpr int kFrameWidth = 2;

void NotifyClicked(HWND button) {
  ::SendMessageW(::GetParent(button), WM_COMMAND,
                 MAKEWPARAM(::GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
}

bool IsRepeat(LPARAM keyData) { return (keyData & (1 << 30)) != 0; }

LRESULT CALLBACK PictureButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
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

void DrawPictureButton(const DRAWITEMSTRUCT& item, HBITMAP face) {
  const HDC dc = item.hDC;
  RECT frame = item.rcItem;
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;
  ::DrawFrameControl(dc, &frame, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));

  RECT inner = item.rcItem;
  ::InflateRect(&inner, -kFrameWidth, -kFrameWidth);
  BITMAP info{};
  if (face && ::GetObjectW(face, sizeof info, &info)) {
    SavedDcState saved(dc);
    ::IntersectClipRect(dc, inner.left, inner.top, inner.right, inner.bottom);
    // Centred on the area inside the frame; the excess of a larger face is
    // cut off evenly on both sides. Held down, the face shifts by a pixel.
    const int shift = pressed ? 1 : 0;
    const int x = inner.left + (inner.right - inner.left - info.bmWidth) / 2 + shift;
    const int y = inner.top + (inner.bottom - inner.top - info.bmHeight) / 2 + shift;
    DrawBitmap(dc, face, x, y);
  }
  if (item.itemState & ODS_FOCUS) {
    RECT focus = inner;
    ::InflateRect(&focus, -1, -1);
    ::DrawFocusRect(dc, &focus);
  }
}

}  // namespace rt
