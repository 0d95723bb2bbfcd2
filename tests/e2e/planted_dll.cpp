// Planted beside the player as winmm.dll, as an attacker would on a disc:
// when anything loads it, it appends its own path to the file named by
// E2E_PLANT_MARKER.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  wchar_t marker[MAX_PATH] = {};
  if (!::GetEnvironmentVariableW(L"E2E_PLANT_MARKER", marker, MAX_PATH)) return TRUE;
  wchar_t self[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameW(instance, self, MAX_PATH);
  const HANDLE file = ::CreateFileW(marker, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    ::WriteFile(file, self, length * sizeof(wchar_t), &written, nullptr);
    ::CloseHandle(file);
  }
  return TRUE;
}
