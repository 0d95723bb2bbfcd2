#include "runtime/win/display_scale.h"

#include <exception>

#include "runtime/core/twips.h"
#include "runtime/win/system_functions.h"

namespace rt {
namespace {

// The values of DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE(_V2) and
// PROCESS_PER_MONITOR_DPI_AWARE, which older SDK headers lack.
const HANDLE kPerMonitorAwareV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));
const HANDLE kPerMonitorAware = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-3));
constexpr int kProcessPerMonitorDpiAware = 2;
// MDT_EFFECTIVE_DPI: the scale the user chose for the screen.
constexpr int kEffectiveDpi = 0;

// The system's scale; the layout scale when the screen's device context is
// refused (GDI used up), so that the window is laid out, if at 100%.
int SystemDpi() {
  const HDC screen = ::GetDC(nullptr);
  if (!screen) return kLayoutDpi;
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
  ::ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kLayoutDpi;
}

struct ScreenList {
  std::vector<Screen> screens;
  std::exception_ptr error;  // carried past EnumDisplayMonitors, never through it
};

BOOL CALLBACK AddScreen(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
  auto& list = *reinterpret_cast<ScreenList*>(data);
  try {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!::GetMonitorInfoW(monitor, &info)) return TRUE;
    const RECT& r = info.rcMonitor;
    list.screens.push_back({{r.left, r.top, r.right, r.bottom},
                            MonitorDpi(monitor),
                            (info.dwFlags & MONITORINFOF_PRIMARY) != 0});
    return TRUE;
  } catch (...) {
    list.error = std::current_exception();
    return FALSE;
  }
}

}  // namespace

void DeclareDpiAwareness() {
  const SystemFunctions& system = System();
  if (system.setProcessDpiAwarenessContext) {
    // Per-monitor v2 needs Windows 10 1703; Wine refuses it as well.
    if (system.setProcessDpiAwarenessContext(kPerMonitorAwareV2) ||
        system.setProcessDpiAwarenessContext(kPerMonitorAware)) {
      return;
    }
  }
  if (system.setProcessDpiAwareness &&
      SUCCEEDED(system.setProcessDpiAwareness(kProcessPerMonitorDpiAware))) {
    return;
  }
  ::SetProcessDPIAware();
}

int WindowDpi(HWND window) {
  const SystemFunctions& system = System();
  if (system.getDpiForWindow) {
    if (const UINT dpi = system.getDpiForWindow(window)) return static_cast<int>(dpi);
  }
  // Windows 8.1, 10 1507 and 1511: the scale of the screen that holds (the
  // most of) the window; Windows 7: the system's.
  return MonitorDpi(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST));
}

int MonitorDpi(HMONITOR monitor) {
  const SystemFunctions& system = System();
  UINT dpiX = 0;
  UINT dpiY = 0;
  if (monitor && system.getDpiForMonitor &&
      SUCCEEDED(system.getDpiForMonitor(monitor, kEffectiveDpi, &dpiX, &dpiY)) && dpiX > 0) {
    return static_cast<int>(dpiX);
  }
  return SystemDpi();
}

std::vector<Screen> MonitorScreens() {
  ScreenList list;
  ::EnumDisplayMonitors(nullptr, nullptr, AddScreen, reinterpret_cast<LPARAM>(&list));
  if (list.error) std::rethrow_exception(list.error);
  return std::move(list.screens);
}

RECT FrameAroundClient(const RECT& client, DWORD style, DWORD exStyle, int dpi) {
  RECT frame = client;
  const SystemFunctions& system = System();
  if (system.adjustWindowRectExForDpi &&
      system.adjustWindowRectExForDpi(&frame, style, FALSE, exStyle, static_cast<UINT>(dpi))) {
    return frame;
  }
  frame = client;
  if (::AdjustWindowRectEx(&frame, style, FALSE, exStyle)) return frame;
  // No frame metrics at all: the client rectangle, which the check of the
  // client area afterwards grows by the frame the window manager draws.
  return client;
}

int SystemMetricAtDpi(int index, int dpi) {
  const SystemFunctions& system = System();
  if (system.getSystemMetricsForDpi) {
    return system.getSystemMetricsForDpi(index, static_cast<UINT>(dpi));
  }
  // GetSystemMetrics answers at the system's scale, whatever the window's;
  // converted to `dpi` like Windows converts its own, to the nearest pixel.
  const int value = ::GetSystemMetrics(index);
  const int systemDpi = SystemDpi();
  if (dpi == systemDpi || systemDpi <= 0) return value;
  return static_cast<int>((static_cast<long long>(value) * dpi + systemDpi / 2) / systemDpi);
}

}  // namespace rt
