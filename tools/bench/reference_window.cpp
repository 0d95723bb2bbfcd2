#include "tools/bench/reference_window.h"

namespace bench {
namespace {

constexpr wchar_t kClassName[] = L"BenchReferenceWindow";
constexpr int kClientWidth = 338;
constexpr int kClientHeight = 79;
// The player's frame: fixed single border with a caption, system menu and
// minimize box, no maximize box.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kExStyle = WS_EX_WINDOWEDGE;

const ReferenceWindowHooks* g_hooks = nullptr;  // borrowed for the life of the loop

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (g_hooks->command) g_hooks->command(window, wParam, lParam);
      return 0;
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
    default:
      return ::DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace

int RunReferenceWindow(const wchar_t* caption, const ReferenceWindowHooks& hooks) {
  g_hooks = &hooks;
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = ::CreateSolidBrush(kBackgroundBlue);
  wc.lpszClassName = kClassName;
  if (!wc.hbrBackground || !::RegisterClassExW(&wc)) return 1;

  RECT outer{0, 0, kClientWidth, kClientHeight};
  if (!::AdjustWindowRectEx(&outer, kStyle, FALSE, kExStyle)) return 1;
  const HWND window = ::CreateWindowExW(kExStyle, kClassName, caption, kStyle, CW_USEDEFAULT,
                                        CW_USEDEFAULT, outer.right - outer.left,
                                        outer.bottom - outer.top, nullptr, nullptr, instance, nullptr);
  if (!window) return 1;
  if (hooks.created) hooks.created(window);
  ::ShowWindow(window, SW_SHOW);
  ::SetForegroundWindow(window);

  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

}  // namespace bench
