#include <windows.h>

#include <string_view>

#include "runtime/win/program.h"
#include "tests/e2e/runtime_probe/probe_form.h"
#include "tests/e2e/runtime_probe/probe_modes.h"

namespace {

// Mode scale-changes-while-placing: when the hidden form is first given a
// size, announces another scale from inside that SetWindowPos, as Windows
// does when it moves a window onto a screen of another scale. (Wine never
// sends WM_DPICHANGED.) The suggested rectangle is the window's, scaled.
LRESULT CALLBACK AnnounceScaleWhilePlacing(int code, WPARAM wParam, LPARAM lParam) {
  static bool announced = false;
  const auto& sent = *reinterpret_cast<const CWPRETSTRUCT*>(lParam);
  wchar_t className[16] = {};
  if (code == HC_ACTION && !announced && sent.message == WM_WINDOWPOSCHANGED &&
      ::GetClassNameW(sent.hwnd, className, 16) && std::wstring_view(className) == L"RtForm" &&
      !::IsWindowVisible(sent.hwnd)) {
    RECT r{};
    ::GetWindowRect(sent.hwnd, &r);
    if (r.right > r.left) {
      announced = true;
      const int from = probe::SystemDpi();
      const int to = probe::AnnouncedDpi(from);
      RECT suggested{r.left, r.top, r.left + (r.right - r.left) * to / from,
                     r.top + (r.bottom - r.top) * to / from};
      ::SendMessageW(sent.hwnd, WM_DPICHANGED, MAKEWPARAM(to, to),
                     reinterpret_cast<LPARAM>(&suggested));
    }
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
  static constexpr rt::ProjectDescriptor kProject{.title = L"probe"};
  probe::SetCurrentFault(probe::FaultNamed(commandLine));
  if (probe::CurrentFault() == probe::Fault::ScaleChangesWhilePlacing) {
    ::SetWindowsHookExW(WH_CALLWNDPROCRET, AnnounceScaleWhilePlacing, nullptr,
                        ::GetCurrentThreadId());
  }
  static probe::ProbeForm form(probe::CurrentFault());
  return rt::RunProgram(kProject, form);
}
