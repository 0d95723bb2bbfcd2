// A program under test, started as a separate process. The destructor ends
// it if the test left it running, so that one test never leaks into the next.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

namespace e2e {

class ProgramUnderTest {
 public:
  // Starts `path` with `currentFolder` as its current folder, and
  // `arguments` after the quoted path on its command line. With
  // `injectedDll`, the program starts suspended, loads that DLL (through a
  // thread of its own that calls LoadLibraryW), calls `beforeRun`, and only
  // then runs its first instruction; throws when the DLL does not load.
  // `beforeRun` must not throw.
  ProgramUnderTest(const std::wstring& path, const std::wstring& currentFolder,
                   const std::wstring& arguments = L"", const std::wstring& injectedDll = L"",
                   const std::function<void()>& beforeRun = {});
  ~ProgramUnderTest();
  ProgramUnderTest(const ProgramUnderTest&) = delete;
  ProgramUnderTest& operator=(const ProgramUnderTest&) = delete;

  DWORD pid() const { return pid_; }
  // Waits up to `timeoutMs` for a visible top-level window of the program
  // whose class is `className`; null when none appears.
  HWND WaitForWindow(const wchar_t* className, DWORD timeoutMs = 15000) const;
  bool WaitForExit(DWORD timeoutMs = 10000) const;
  bool IsRunning() const;
  DWORD ExitCode() const;

 private:
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
};

// Starts the runtime probe (tests/e2e/runtime_probe) in `mode`, e.g.
// L"paint-fails", from a folder of its own.
std::unique_ptr<ProgramUnderTest> StartRuntimeProbe(const std::wstring& mode);

}  // namespace e2e
