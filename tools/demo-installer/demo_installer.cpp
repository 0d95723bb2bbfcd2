// Stands in for an edition's real installer on the demo disc: says which
// edition would be installed, judged by the folder it was started from, and
// exits when its message is closed.
#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  std::wstring module(MAX_PATH, L'\0');
  module.resize(::GetModuleFileNameW(nullptr, module.data(), MAX_PATH));
  const bool traditional = module.find(L"\\Setupft\\") != std::wstring::npos;
  const std::wstring message =
      std::wstring(traditional ? L"繁体版" : L"简体版") +
      L"\n\nThe demo disc has no real installer. This program stands in for the " +
      (traditional ? L"traditional" : L"simplified") + L"-script edition's installer:\n" + module;
  ::MessageBoxW(nullptr, message.c_str(), L"Setup", MB_OK | MB_ICONINFORMATION);
  return 0;
}
