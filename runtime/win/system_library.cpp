#include "runtime/win/system_library.h"

#include <string>

#include "runtime/core/runtime_error.h"
#include "runtime/win/system_functions.h"
#include "runtime/win/win_error.h"

namespace rt {
namespace {

// The system folder with a trailing separator, e.g. L"C:\\Windows\\system32\\".
std::wstring SystemFolder() {
  std::wstring folder(MAX_PATH, L'\0');
  for (;;) {
    const UINT length = ::GetSystemDirectoryW(folder.data(), static_cast<UINT>(folder.size()));
    if (length == 0) ThrowLastError("GetSystemDirectoryW");
    if (length < folder.size()) {
      folder.resize(length);
      if (folder.back() != L'\\') folder.push_back(L'\\');
      return folder;
    }
    folder.resize(length);
  }
}

}  // namespace

void RestrictDllSearch() {
  const SystemFunctions& system = System();
  if (system.setDefaultDllDirectories &&
      system.setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
    return;
  }
  Check(::SetDllDirectoryW(L""), "SetDllDirectoryW");
}

HMODULE LoadSystemLibrary(const wchar_t* name) {
  // The LOAD_LIBRARY_SEARCH_* flags came with SetDefaultDllDirectories;
  // older loaders reject them. There, a full path loads exactly that file,
  // and LOAD_WITH_ALTERED_SEARCH_PATH searches its imports from its folder.
  const HMODULE module =
      System().setDefaultDllDirectories
          ? ::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)
          : ::LoadLibraryExW((SystemFolder() + name).c_str(), nullptr,
                             LOAD_WITH_ALTERED_SEARCH_PATH);
  if (!module) throw RuntimeError(ErrorNumber::CannotCreateObject, "LoadLibraryExW");
  return module;
}

}  // namespace rt
