#include "runtime/win/display_scale.h"

#include "runtime/win/system_functions.h"
#include "runtime/win/win_error.h"

namespace rt {
namespace {

// The values of DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE(_V2) and
// PROCESS_PER_MONITOR_DPI_AWARE, which older SDK headers lack.
const HANDLE kPerMonitorAwareV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));
const HANDLE kPerMonitorAware = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-3));
constexpr int kProcessPerMonitorDpiAware = 2;

int SystemDpi() {
  const HDC screen = ::GetDC(nullptr);
  if (!screen) ThrowLastError("GetDC");
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
  ::ReleaseDC(nullptr, screen);
  return dpi;
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
  return SystemDpi();
}

RECT FrameAroundClient(const RECT& client, DWORD style, DWORD exStyle, int dpi) {
  RECT frame = client;
  const SystemFunctions& system = System();
  if (system.adjustWindowRectExForDpi) {
    Check(system.adjustWindowRectExForDpi(&frame, style, FALSE, exStyle, static_cast<UINT>(dpi)),
          "AdjustWindowRectExForDpi");
  } else {
    Check(::AdjustWindowRectEx(&frame, style, FALSE, exStyle), "AdjustWindowRectEx");
  }
  return frame;
}

int SystemMetricAtDpi(int index, int dpi) {
  const SystemFunctions& system = System();
  if (system.getSystemMetricsForDpi) {
    return system.getSystemMetricsForDpi(index, static_cast<UINT>(dpi));
  }
  return ::GetSystemMetrics(index);
}

}  // namespace rt
