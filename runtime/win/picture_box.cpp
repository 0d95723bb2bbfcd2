#include "runtime/win/picture_box.h"

#include <algorithm>

#include "runtime/core/twips.h"
#include "runtime/win/form.h"
#include "runtime/win/handles.h"
#include "runtime/win/picture.h"
#include "runtime/win/program.h"
#include "runtime/win/scaled_edge.h"
#include "runtime/win/win_error.h"

namespace rt {
namespace {

constexpr int kEdgeTwips = 30;

// The edge's width at the scale of the form that holds `box`.
int EdgeWidth(HWND box) {
  const Form* form = Form::FromWindow(box);
  return TwipsToPixels(kEdgeTwips, form ? form->dpi() : kLayoutDpi);
}

void PaintEdge(HWND box) {
  const HDC dc = ::GetWindowDC(box);
  if (!dc) return;
  RECT outer;
  if (::GetWindowRect(box, &outer)) {
    ::OffsetRect(&outer, -outer.left, -outer.top);
    DrawScaledEdge(dc, outer, EdgeWidth(box), EDGE_SUNKEN);
  }
  ::ReleaseDC(box, dc);
}

LRESULT HandleBoxMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCALCSIZE: {
      // The client area is the window less the edge on every side.
      auto* rect = reinterpret_cast<RECT*>(lParam);
      const int edge = EdgeWidth(hwnd);
      rect->left += edge;
      rect->top += edge;
      rect->right = std::max(rect->left, rect->right - edge);
      rect->bottom = std::max(rect->top, rect->bottom - edge);
      return 0;
    }
    case WM_NCPAINT:
      PaintEdge(hwnd);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PaintScope paint(hwnd);
      // Without a device context the box is drawn less: not at all, until
      // it is next uncovered; taken as painted, so that WM_PAINT does not
      // come back at once.
      if (!paint.dc()) {
        ::ValidateRect(hwnd, nullptr);
        return 0;
      }
      RECT client{};
      ::GetClientRect(hwnd, &client);
      ::FillRect(paint.dc(), &client, ::GetSysColorBrush(COLOR_BTNFACE));
      const Form* form = Form::FromWindow(hwnd);
      DrawBitmap(paint.dc(), form ? form->PictureOf(hwnd) : nullptr, 0, 0);
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

LRESULT CALLBACK PictureBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    return HandleBoxMessage(hwnd, message, wParam, lParam);
  } catch (...) {
    ReportCallbackException();
    return 0;
  }
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

HWND CreatePictureBox(HWND parent, int id) {
  return Check(::CreateWindowExW(0, kPictureBoxClass, L"",
                                 WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0,
                                 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 ::GetModuleHandleW(nullptr), nullptr),
               "CreateWindowExW");
}

void UpdatePictureBox(HWND box) {
  ::SetWindowPos(box, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ::RedrawWindow(box, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
}

}  // namespace rt
