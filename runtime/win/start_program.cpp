#include <windows.h>
#include <shellapi.h>

#include "runtime/core/app_path.h"
#include "runtime/win/handles.h"
#include "runtime/win/program.h"

namespace rt {

StartOutcome StartProgram(std::wstring_view path, int showState) {
  const std::wstring application = WithExecutableExtension(path);
  // Passing the full name as the application name, and quoting it in the
  // command line, keeps a folder name with spaces from being cut short.
  std::wstring commandLine = QuoteForCommandLine(application);

  const auto direct = [&]() -> std::uint32_t {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showState);
    PROCESS_INFORMATION process{};
    // The program gets the system's default error mode, not the one this
    // program runs with (which keeps the "no disk" box away from it).
    if (!::CreateProcessW(application.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                          CREATE_DEFAULT_ERROR_MODE, nullptr, nullptr, &startup, &process)) {
      return ::GetLastError();
    }
    UniqueKernelHandle processHandle(process.hProcess);
    UniqueKernelHandle threadHandle(process.hThread);
    return 0;
  };
  // The shell asks for elevation, which CreateProcessW cannot do.
  const auto elevated = [&]() -> std::uint32_t {
    SHELLEXECUTEINFOW execute{};
    execute.cbSize = sizeof execute;
    execute.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    execute.lpFile = application.c_str();
    execute.nShow = showState;
    return ::ShellExecuteExW(&execute) ? 0 : ::GetLastError();
  };
  return StartWithElevationFallback(direct, elevated);
}

}  // namespace rt
