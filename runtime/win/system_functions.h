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

  // Display scale. user32, Windows 10 1607 (per-monitor v2 contexts from
  // 1703). Without it: SetProcessDpiAwareness below, else the system-aware
  // SetProcessDPIAware of Windows 7.
  BOOL(WINAPI* setProcessDpiAwarenessContext)(HANDLE context) = nullptr;
  // shcore, Windows 8.1; bound only where the function above is missing.
  // Without it: SetProcessDPIAware.
  HRESULT(WINAPI* setProcessDpiAwareness)(int awareness) = nullptr;
  // user32, Windows 10 1607. Without them: the system scale from the screen's
  // device context, AdjustWindowRectEx and GetSystemMetrics, which are right
  // for a system-aware process.
  UINT(WINAPI* getDpiForWindow)(HWND window) = nullptr;
  BOOL(WINAPI* adjustWindowRectExForDpi)(RECT* rect, DWORD style, BOOL menu, DWORD exStyle,
                                         UINT dpi) = nullptr;
  int(WINAPI* getSystemMetricsForDpi)(int index, UINT dpi) = nullptr;
};

// This process's table: bound on first use (thread-safe) and kept for the
// life of the process.
const SystemFunctions& System();

}  // namespace rt
