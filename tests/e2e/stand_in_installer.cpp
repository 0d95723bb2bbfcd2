// Stands in for an edition installer: appends one record of how it was
// started (its own path, command line, initial show state, current folder)
// to the file named by E2E_RECORD_FILE, then exits.
#include <windows.h>

#include <string>

namespace {

std::string ToUtf8(const std::wstring& text) {
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(),
                        size, nullptr, nullptr);
  return utf8;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  wchar_t recordFile[MAX_PATH] = {};
  if (!::GetEnvironmentVariableW(L"E2E_RECORD_FILE", recordFile, MAX_PATH)) return 2;

  wchar_t module[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, module, MAX_PATH);
  wchar_t folder[MAX_PATH] = {};
  ::GetCurrentDirectoryW(MAX_PATH, folder);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  ::GetStartupInfoW(&startup);
  const int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1;

  const std::string record = "module=" + ToUtf8(module) + "\ncmdline=" +
                             ToUtf8(::GetCommandLineW()) + "\nshow=" + std::to_string(show) +
                             "\ncwd=" + ToUtf8(folder) + "\nend\n";
  // Appends are atomic per write, so records of concurrent starts never mix.
  const HANDLE file = ::CreateFileW(recordFile, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 3;
  DWORD written = 0;
  const BOOL ok = ::WriteFile(file, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
  ::CloseHandle(file);
  return ok ? 0 : 4;
}
