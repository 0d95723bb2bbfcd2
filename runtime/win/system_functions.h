// Functions newer than Windows 7 SP1 without updates, bound at run time in
// this one place, so that the programs start on every Windows from 7 SP1 on.
// Each entry holds what GetProcAddress (through FindSystemFunction) found,
// or nullptr on a Windows that lacks the function; the comment beside each entry names the first Windows
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

  // Display scale. user32, Windows 10 1703 (not 1607, which has the three
  // functions further down but not this one). Without it:
  // SetProcessDpiAwareness below, else the system-aware SetProcessDPIAware
  // of Windows 7.
  BOOL(WINAPI* setProcessDpiAwarenessContext)(HANDLE context) = nullptr;
  // shcore, Windows 8.1, as is the next one. shcore is loaded only where
  // SetDefaultDllDirectories is there to keep it to the system folder.
  // Without it: SetProcessDPIAware.
  HRESULT(WINAPI* setProcessDpiAwareness)(int awareness) = nullptr;
  // The scale of one screen (MONITOR_DPI_TYPE 0, the effective one). Without
  // it (Windows 7): every screen has the system scale, which is all a
  // system-aware process sees there.
  HRESULT(WINAPI* getDpiForMonitor)(HMONITOR monitor, int dpiType, UINT* dpiX,
                                    UINT* dpiY) = nullptr;
  // user32, Windows 10 1607. Without them (Windows 7, 8.1, 10 1507 and
  // 1511): a window's scale is its screen's, from MonitorFromWindow and
  // GetDpiForMonitor above (else the system's); frames come from
  // AdjustWindowRectEx, which gives the system scale's frame, as Windows
  // before 1607 draws it at every scale; and metrics from GetSystemMetrics,
  // which answers at the system scale, converted to the window's.
  UINT(WINAPI* getDpiForWindow)(HWND window) = nullptr;
  BOOL(WINAPI* adjustWindowRectExForDpi)(RECT* rect, DWORD style, BOOL menu, DWORD exStyle,
                                         UINT dpi) = nullptr;
  int(WINAPI* getSystemMetricsForDpi)(int index, UINT dpi) = nullptr;
};

// This process's table: bound on first use and kept for the life of the
// process. The first use is RunProgram's, on the window thread before any
// other thread exists (the runtime's statics have no thread-safe guard:
// cmake/window-thread.cmake); other threads only read it.
const SystemFunctions& System();

// The export `name` of the loaded `module`, or null where this Windows lacks
// it: GetProcAddress. Every entry of the table is looked up through it. It
// lives in a file of its own so that a test program can link its own in its
// place and so play an older Windows.
FARPROC FindSystemFunction(HMODULE module, const char* name);

}  // namespace rt
