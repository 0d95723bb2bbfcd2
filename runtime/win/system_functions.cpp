#include "runtime/win/system_functions.h"

namespace rt {
namespace {

// Sets `function` to the export `name` of `module`, or nullptr when this
// Windows does not have it.
template <class Function>
void Bind(HMODULE module, const char* name, Function& function) {
  const FARPROC address = module ? FindSystemFunction(module, name) : nullptr;
  function = reinterpret_cast<Function>(reinterpret_cast<void*>(address));
}

SystemFunctions BindSystemFunctions() {
  // kernel32 is mapped into every process; the handle needs no release.
  const HMODULE kernel32 = ::GetModuleHandleW(L"kernel32.dll");
  SystemFunctions functions;
  Bind(kernel32, "SetDefaultDllDirectories", functions.setDefaultDllDirectories);
  // user32 is mapped into every process that has windows; no release either.
  const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
  Bind(user32, "SetProcessDpiAwarenessContext", functions.setProcessDpiAwarenessContext);
  Bind(user32, "GetDpiForWindow", functions.getDpiForWindow);
  Bind(user32, "AdjustWindowRectExForDpi", functions.adjustWindowRectExForDpi);
  Bind(user32, "GetSystemMetricsForDpi", functions.getSystemMetricsForDpi);
  // shcore.dll exists from Windows 8.1 on (elsewhere the load fails and the
  // entries stay null); it stays loaded for the process. Where
  // SetDefaultDllDirectories is missing, so is shcore, and the loader would
  // not take the flag that keeps the search to the system folder.
  if (functions.setDefaultDllDirectories) {
    const HMODULE shcore =
        ::LoadLibraryExW(L"shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    Bind(shcore, "SetProcessDpiAwareness", functions.setProcessDpiAwareness);
    Bind(shcore, "GetDpiForMonitor", functions.getDpiForMonitor);
  }
#ifdef RT_TEST_WITHOUT_DEFAULT_DLL_DIRECTORIES
  // Test builds only: behave as on Windows 7 without KB2533623.
  functions.setDefaultDllDirectories = nullptr;
#endif
  return functions;
}

}  // namespace

const SystemFunctions& System() {
  static const SystemFunctions functions = BindSystemFunctions();
  return functions;
}

}  // namespace rt
