#include "tests/e2e/program_under_test.h"

#include <cstdio>
#include <stdexcept>
#include <string>

#include "tests/e2e/fixture_paths.h"
#include "tests/e2e/window_probe.h"

namespace e2e {
namespace {

constexpr int kStartAttempts = 3;

// Loads `dll` into the suspended `process`: a thread of the process runs
// LoadLibraryW on its path. kernel32 lies at the same address in every
// process of one bitness, so this process's LoadLibraryW is the target's.
bool LoadInto(HANDLE process, const std::wstring& dll) {
  const SIZE_T bytes = (dll.size() + 1) * sizeof(wchar_t);
  void* remotePath = ::VirtualAllocEx(process, nullptr, bytes, MEM_COMMIT, PAGE_READWRITE);
  if (!remotePath) return false;
  bool loaded = false;
  const auto loadLibrary = reinterpret_cast<LPTHREAD_START_ROUTINE>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "LoadLibraryW")));
  if (::WriteProcessMemory(process, remotePath, dll.c_str(), bytes, nullptr)) {
    if (const HANDLE thread =
            ::CreateRemoteThread(process, nullptr, 0, loadLibrary, remotePath, 0, nullptr)) {
      DWORD module = 0;  // the low half of the module's address; 0 when it failed
      loaded = ::WaitForSingleObject(thread, 15000) == WAIT_OBJECT_0 &&
               ::GetExitCodeThread(thread, &module) && module != 0;
      ::CloseHandle(thread);
    }
  }
  ::VirtualFreeEx(process, remotePath, 0, MEM_RELEASE);
  return loaded;
}

}  // namespace

ProgramUnderTest::ProgramUnderTest(const std::wstring& path, const std::wstring& currentFolder,
                                   const std::wstring& arguments, const std::wstring& injectedDll,
                                   const std::function<void()>& beforeRun) {
  std::wstring commandLine = L"\"" + path + L"\"";
  if (!arguments.empty()) commandLine += L" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  const DWORD flags = injectedDll.empty() ? 0 : CREATE_SUSPENDED;
  // Wine now and then refuses a start just after the program before ended
  // (seen once in a CI run); such a refusal is retried, and said, before
  // the test is failed with the system's error code.
  DWORD error = ERROR_SUCCESS;
  for (int attempt = 1; attempt <= kStartAttempts; ++attempt) {
    if (::CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, flags,
                         nullptr, currentFolder.c_str(), &startup, &process)) {
      error = ERROR_SUCCESS;
      break;
    }
    error = ::GetLastError();
    std::fprintf(stderr, "[ RETRY    ] CreateProcessW failed with error %lu (attempt %d of %d)\n",
                 error, attempt, kStartAttempts);
    ::Sleep(250);
  }
  if (error != ERROR_SUCCESS) {
    throw std::runtime_error("CreateProcessW failed for the program under test with error " +
                             std::to_string(error));
  }
  if (!injectedDll.empty()) {
    if (!LoadInto(process.hProcess, injectedDll)) {
      ::TerminateProcess(process.hProcess, 255);
      ::CloseHandle(process.hThread);
      ::CloseHandle(process.hProcess);
      throw std::runtime_error("the DLL did not load into the program under test");
    }
    if (beforeRun) beforeRun();
    ::ResumeThread(process.hThread);
  }
  ::CloseHandle(process.hThread);
  process_ = process.hProcess;
  pid_ = process.dwProcessId;
}

ProgramUnderTest::~ProgramUnderTest() {
  if (IsRunning()) {
    ::TerminateProcess(process_, 255);
    ::WaitForSingleObject(process_, 5000);
  }
  ::CloseHandle(process_);
}

HWND ProgramUnderTest::WaitForWindow(const wchar_t* className, DWORD timeoutMs) const {
  HWND found = nullptr;
  WaitUntil([&] {
    found = FindTopLevelWindow(pid_, className);
    return found != nullptr;
  }, timeoutMs);
  return found;
}

bool ProgramUnderTest::WaitForExit(DWORD timeoutMs) const {
  return ::WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0;
}

bool ProgramUnderTest::IsRunning() const {
  return ::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

DWORD ProgramUnderTest::ExitCode() const {
  DWORD code = 0;
  ::GetExitCodeProcess(process_, &code);
  return code;
}

std::unique_ptr<ProgramUnderTest> StartRuntimeProbe(const std::wstring& mode) {
  const std::wstring folder = L"C:\\runtime-probe";
  ::CreateDirectoryW(folder.c_str(), nullptr);
  return std::make_unique<ProgramUnderTest>(BuiltFile(L"tests\\e2e\\runtime_probe.exe"), folder,
                                            mode);
}

}  // namespace e2e
