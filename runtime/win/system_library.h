// Where the programs load DLLs from: the system folder only, never the
// program's own folder or the current folder (a disc anyone can burn).
#pragma once

#include <windows.h>

namespace rt {

// Call once at start-up, before anything loads a DLL. Where Windows has
// SetDefaultDllDirectories, every later load searches the system folder
// only; elsewhere the current folder is taken out of the search
// (SetDllDirectoryW(L"")) and LoadSystemLibrary names the full path.
// Throws RuntimeError when neither can be set.
void RestrictDllSearch();

// Loads the system DLL `name` (e.g. L"winmm.dll") from the system folder
// and nowhere else; its own imports are searched from there too. The module
// stays loaded for the life of the process. Throws RuntimeError
// CannotCreateObject when it cannot be loaded.
HMODULE LoadSystemLibrary(const wchar_t* name);

}  // namespace rt
