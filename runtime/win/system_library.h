// Where the programs load DLLs from: the system folder, not the program's
// own folder or the current folder (a disc anyone can burn); with one limit
// on Windows 7 and Vista without update KB2533623, stated below.
#pragma once

#include <windows.h>

namespace rt {

// Call once at start-up, before anything loads a DLL. Where Windows has
// SetDefaultDllDirectories (Windows 8 on; 7 and Vista with KB2533623),
// every later load searches the system folder only. Elsewhere the current
// folder is taken out of the search (SetDllDirectoryW(L"")) and
// LoadSystemLibrary names the full path.
//
// The limit, which no API lifts on such a system: there the program's own
// folder (the disc) still comes first for any DLL that a system DLL loads
// by bare name, for example the sound drivers that winmm opens. The
// programs' own loads stay in the system folder; what a system DLL loads is
// out of their hands.
//
// Throws RuntimeError when neither can be set.
void RestrictDllSearch();

// Loads the system DLL `name` (e.g. L"winmm.dll") from the system folder
// and nowhere else; its own imports are searched from there too. The module
// stays loaded for the life of the process. Throws RuntimeError
// CannotCreateObject when it cannot be loaded.
HMODULE LoadSystemLibrary(const wchar_t* name);

}  // namespace rt
