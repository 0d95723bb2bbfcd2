#include "runtime/win/picture_box.h"

#include "runtime/win/handles.h"
#include "runtime/win/picture.h"
#include "runtime/win/win_error.h"

namespace rt {
namespace {

LRESULT CALLBACK PictureBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE: {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
      break;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PaintScope paint(hwnd);
      RECT client;
      ::GetClientRect(hwnd, &client);
      ::FillRect(paint.dc(), &client, ::GetSysColorBrush(COLOR_BTNFACE));
      DrawBitmap(paint.dc(), reinterpret_cast<HBITMAP>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA)),
                 0, 0);
      return 0;
    }
    case WM_COMMAND:
    case WM_DRAWITEM:
      // Controls inside the box belong to the window that owns the box.
      return ::SendMessageW(::GetParent(hwnd), message, wParam, lParam);
    default:
      break;
  }
  return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

void RegisterPictureBoxClass() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = PictureBoxProc;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kPictureBoxClass;
  Check(::RegisterClassExW(&wc), "RegisterClassExW");
}

HWND CreatePictureBox(HWND parent, int id, const RECT& outer, HBITMAP picture) {
  return Check(::CreateWindowExW(WS_EX_CLIENTEDGE, kPictureBoxClass, L"",
                                 WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                                 outer.left, outer.top, outer.right - outer.left,
                                 outer.bottom - outer.top, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 ::GetModuleHandleW(nullptr), picture),
               "CreateWindowExW");
}

}  // namespace rt
