// The probe's own versions of the runtime's test seams, linked in place of
// the runtime's: the device contexts and bitmaps its drawing borrows
// (refused at first in mode paint-fails), the table of screens (faked in the
// screen modes) and the lookup of system functions (playing Windows 8.1 in
// mode as-on-windows-8.1). In every other mode each does what the
// runtime's does. And operator new, which fails every request once
// RefuseMemoryFromNowOn has been called (mode out-of-memory).
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "runtime/win/display_scale.h"
#include "runtime/win/drawing_resources.h"
#include "runtime/win/system_functions.h"
#include "tests/e2e/runtime_probe/probe_form.h"
#include "tests/e2e/runtime_probe/probe_modes.h"

namespace probe {
namespace {

// In mode paint-fails: true (and counted on the window) for each of the
// first requests of its kind from the window `like` draws on.
bool Refuse(HDC like, const wchar_t* counter) {
  if (CurrentFault() != Fault::PaintFails) return false;
  const HWND window = ::WindowFromDC(like);
  if (!window) return false;
  const int refused = static_cast<int>(reinterpret_cast<INT_PTR>(::GetPropW(window, counter)));
  if (refused >= kRefusalsPerKind) return false;
  ::SetPropW(window, counter, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(refused + 1)));
  return true;
}

rt::Screen FakeScreen(const FakeArea& area, int dpi, bool primary) {
  return {{area.left, area.top, area.right, area.bottom}, dpi, primary};
}

// Set by RefuseMemoryFromNowOn: from then on operator new fails.
bool g_memoryRefused = false;

void* Allocate(std::size_t size) {
  if (g_memoryRefused) throw std::bad_alloc();
  if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
  throw std::bad_alloc();
}

HRESULT WINAPI FakeScaleForEveryMonitor(HMONITOR, int, UINT* dpiX, UINT* dpiY) {
  *dpiX = *dpiY = static_cast<UINT>(FakeScreenDpi(SystemDpi()));
  return S_OK;
}

}  // namespace

void RefuseMemoryFromNowOn() { g_memoryRefused = true; }

}  // namespace probe

void* operator new(std::size_t size) { return probe::Allocate(size); }
void* operator new[](std::size_t size) { return probe::Allocate(size); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }

namespace rt {

HDC CreateDrawingDc(HDC like) {
  if (probe::Refuse(like, probe::kRefusedDcsProperty)) return nullptr;
  return ::CreateCompatibleDC(like);
}

HBITMAP CreateDrawingBitmap(HDC like, int width, int height) {
  if (probe::Refuse(like, probe::kRefusedBitmapsProperty)) return nullptr;
  return ::CreateCompatibleBitmap(like, width, height);
}

std::vector<Screen> Screens() {
  using probe::Fault;
  const int system = probe::SystemDpi();
  const int fake = probe::FakeScreenDpi(system);
  switch (probe::CurrentFault()) {
    case Fault::CentredOnScreens:
    case Fault::ScaleChangesWhilePlacing:
      return {probe::FakeScreen(probe::kSecondaryScreen, system, false),
              probe::FakeScreen(probe::kPrimaryScreen, fake, true)};
    case Fault::PlacedOnScreens:
      return {probe::FakeScreen({-10000, -10000, probe::kScreenSplitX, 10000}, fake, false),
              probe::FakeScreen({probe::kScreenSplitX, -10000, 10000, 10000}, system, true)};
    default:
      return MonitorScreens();
  }
}

FARPROC FindSystemFunction(HMODULE module, const char* name) {
  if (probe::CurrentFault() == probe::Fault::AsOnWindows81) {
    // Windows 8.1 (and 10 before 1607) has none of these...
    for (const char* missing : {"SetProcessDpiAwarenessContext", "GetDpiForWindow",
                                "AdjustWindowRectExForDpi", "GetSystemMetricsForDpi"}) {
      if (std::strcmp(name, missing) == 0) return nullptr;
    }
    // ... and the window is on a screen whose scale is not the system's.
    if (std::strcmp(name, "GetDpiForMonitor") == 0) {
      auto* const fake = &probe::FakeScaleForEveryMonitor;
      return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(fake));
    }
  }
  return ::GetProcAddress(module, name);
}

}  // namespace rt
