#include "tests/e2e/program_under_test.h"

#include <stdexcept>

#include "tests/e2e/fixture_paths.h"
#include "tests/e2e/window_probe.h"

namespace e2e {

ProgramUnderTest::ProgramUnderTest(const std::wstring& path, const std::wstring& currentFolder,
                                   const std::wstring& arguments) {
  std::wstring commandLine = L"\"" + path + L"\"";
  if (!arguments.empty()) commandLine += L" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        currentFolder.c_str(), &startup, &process)) {
    throw std::runtime_error("CreateProcessW failed for the program under test");
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
