// Runs the end-to-end tests, aware of the display scale, and leaves the exit
// code in E2E_RESULT_FILE, because the virtual desktop that hosts this
// program does not pass it on.
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

namespace {

// The tests measure other processes' windows in physical pixels, which Wine
// gives only to a caller that is per-monitor aware itself (per-monitor v2
// is refused by Wine 8).
void BecomePerMonitorAware() {
  using SetContext = BOOL(WINAPI*)(HANDLE);
  const auto setContext = reinterpret_cast<SetContext>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "SetProcessDpiAwarenessContext")));
  const HANDLE perMonitorAware = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-3));
  if (!setContext || !setContext(perMonitorAware)) ::SetProcessDPIAware();
}

}  // namespace

int main(int argc, char** argv) {
  BecomePerMonitorAware();
  testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  wchar_t resultFile[1024] = {};
  if (::GetEnvironmentVariableW(L"E2E_RESULT_FILE", resultFile, 1024)) {
    std::ofstream(std::filesystem::path(resultFile)) << result << "\n";
  }
  return result;
}
