// Functions newer than Windows 7 SP1 without updates, bound at run time in
// this one place, so that the programs start on every Windows from 7 SP1 on.
// Each entry holds what GetProcAddress found, or nullptr on a Windows that
// lacks the function; the comment beside each entry names the first Windows
// that has it and what the program does without it. Nothing else calls
// these functions directly: tests/imports checks that the executables
// import nothing newer than Windows 7.
#pragma once

#include <windows.h>

namespace rt {

struct SystemFunctions {
  // kernel32: Windows 8; Windows 7 and Vista with KB2533623. Where it is
  // missing, LoadLibraryExW rejects the LOAD_LIBRARY_SEARCH_* flags as well:
  // RestrictDllSearch falls back to SetDllDirectoryW(L"") and
  // LoadSystemLibrary to the DLL's full path in the system folder.
  BOOL(WINAPI* setDefaultDllDirectories)(DWORD directoryFlags) = nullptr;
};

// This process's table: bound on first use (thread-safe) and kept for the
// life of the process.
const SystemFunctions& System();

}  // namespace rt
