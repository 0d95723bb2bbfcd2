// fault_injector.dll: loaded into a program under test before its first
// instruction runs, it makes a chosen system call fail, as the system would
// fail it, and counts every call of each function in its table.
//
// It puts a wrapper of its own in place of each function of the table in
// the program's import address table, and hands out the same wrapper where
// the program binds a function at run time through GetProcAddress (the
// table of late-bound system functions, winmm's waveOut functions). Each
// wrapper has its function's own signature and calling convention, so x86's
// stdcall stack stays balanced. A failing call returns the function's
// documented failure value and sets a plausible last error; every other call
// goes on to the system's function.
//
// What it counts and what it fails is shared with the test through a file
// (tests/e2e/fault_injector.h). The shipped programs are not changed for it.
#include <windows.h>
#include <mmsystem.h>
#include <objbase.h>
#include <shellapi.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <type_traits>

#include "player/playback/system_audio.h"
#include "runtime/win/system_functions.h"
#include "tests/e2e/fault_injector.h"

namespace {

// One function the injector can fail: where it lives, what it returns when
// it fails (0 for a null pointer) and the last error it leaves. `real` is the system's function,
// found in the import table or through GetProcAddress; `wrapper` replaces it.
struct Row {
  const char* module;
  const char* name;
  INT_PTR failure;
  DWORD lastError;
  void* wrapper;
  void* volatile real;
};

extern Row rows[];
e2e::FaultFile* shared = nullptr;
DWORD mainThread = 0;  // the thread that runs main
// Allocations the C runtime still makes before main, once __wgetmainargs
// has returned: it copies the argument vector, one allocation for the table
// and one for each argument, and checks none of them.
volatile LONG startupAllocationsLeft = -1;
int mallocRow = -1;
void MarkMain();

// True when this call of row `id` is to fail; counts it either way.
bool ShouldFail(int id) {
  if (!shared) return false;
  e2e::FaultRecord& record = shared->record[id];
  if (!shared->reachedMain) {
    ::InterlockedIncrement(&record.startupCalls);
    if (id == mallocRow && startupAllocationsLeft > 0 && ::InterlockedDecrement(&startupAllocationsLeft) == 0) {
      MarkMain();
    }
    return false;
  }
  LONG call = ::InterlockedIncrement(&record.calls);
  if (::GetCurrentThreadId() != mainThread) {
    const LONG threadCall = ::InterlockedIncrement(&record.threadCalls);
    if (record.otherThreads) call = threadCall;
  } else if (record.otherThreads) {
    return false;
  }
  const LONG failAt = record.failAt;
  if (failAt == 0 || call < failAt || (call > failAt && !record.failLater)) return false;
  ::InterlockedIncrement(&record.failed);
  if (record.holdMs > 0) ::Sleep(static_cast<DWORD>(record.holdMs));
  ::SetLastError(rows[id].lastError);
  return true;
}

template <class R>
R FailureValue(int id) {
  if constexpr (std::is_pointer_v<R>) {
    return reinterpret_cast<R>(rows[id].failure);
  } else {
    return static_cast<R>(rows[id].failure);
  }
}

template <int Id, class Function, bool CRuntime>
struct Wrapper;

template <int Id, class R, class... Args>
struct Wrapper<Id, R(WINAPI*)(Args...), false> {
  static R WINAPI Call(Args... args) {
    if (ShouldFail(Id)) return FailureValue<R>(Id);
    return reinterpret_cast<R(WINAPI*)(Args...)>(rows[Id].real)(args...);
  }
};

template <int Id, class R, class... Args>
struct Wrapper<Id, R (*)(Args...), true> {
  static R Call(Args... args) {
    if (ShouldFail(Id)) {
      errno = ENOMEM;
      return FailureValue<R>(Id);
    }
    return reinterpret_cast<R (*)(Args...)>(rows[Id].real)(args...);
  }
};

constexpr int kFirstRow = __COUNTER__ + 1;

// A system function, found by its declaration in the Windows headers, or by
// `type`, the pointer type through which the program calls it.
#define SYSTEM_ROW(module, function, failure, error) \
  TYPED_ROW(module, function, decltype(&::function), failure, error)
#define TYPED_ROW(module, function, type, failure, error)                                      \
  Row {                                                                                        \
    module, #function, static_cast<INT_PTR>(failure), error,                                   \
        reinterpret_cast<void*>(&Wrapper<__COUNTER__ - kFirstRow, type, false>::Call), nullptr \
  }
// A C runtime function (cdecl on x86), with its signature.
#define CRT_ROW(function, type, failure)                                                    \
  Row {                                                                                     \
    "msvcrt.dll", #function, static_cast<INT_PTR>(failure), ERROR_NOT_ENOUGH_MEMORY,        \
        reinterpret_cast<void*>(&Wrapper<__COUNTER__ - kFirstRow, type, true>::Call), nullptr \
  }

constexpr INT_PTR kInvalidHandle = -1;
constexpr INT_PTR kMinusOne = -1;  // WAIT_FAILED, TLS_OUT_OF_INDEXES, (DWORD)-1, GetMessage's error
using SystemFunctions = rt::SystemFunctions;
using SystemAudio = player::SystemAudio;

// Functions whose failure is documented. Left out: functions that cannot
// fail (GetLastError, GetCurrentProcess, Sleep, critical sections), that
// fail only on an invalid argument (TlsGetValue, OffsetRect), whose failure
// value is an answer too (IsWindowVisible, GetParent, ShowWindow, PeekMessage),
// that pass messages on (DefWindowProc, DispatchMessage, SendMessage), the
// C runtime's start-up and its string and memory functions, the unwinder's
// functions, which only a crash reaches, and FormatMessageA, which only
// words a system error that is already being reported.
Row rows[] = {
    SYSTEM_ROW("kernel32.dll", CreateFileW, kInvalidHandle, ERROR_NOT_READY),
    SYSTEM_ROW("kernel32.dll", ReadFile, FALSE, ERROR_NOT_READY),
    SYSTEM_ROW("kernel32.dll", SetFilePointerEx, FALSE, ERROR_NOT_READY),
    SYSTEM_ROW("kernel32.dll", CloseHandle, FALSE, ERROR_INVALID_HANDLE),
    SYSTEM_ROW("kernel32.dll", CreateProcessW, FALSE, ERROR_NOT_READY),
    SYSTEM_ROW("kernel32.dll", GetModuleFileNameW, 0, ERROR_NOT_ENOUGH_MEMORY),
    SYSTEM_ROW("kernel32.dll", GetSystemDirectoryW, 0, ERROR_NOT_ENOUGH_MEMORY),
    SYSTEM_ROW("kernel32.dll", FindResourceW, 0, ERROR_NOT_READY),
    SYSTEM_ROW("kernel32.dll", LoadResource, 0, ERROR_NOT_READY),
    SYSTEM_ROW("kernel32.dll", SizeofResource, 0, ERROR_NOT_READY),
    SYSTEM_ROW("kernel32.dll", LockResource, 0, ERROR_NOT_READY),
    SYSTEM_ROW("kernel32.dll", LoadLibraryW, 0, ERROR_MOD_NOT_FOUND),
    SYSTEM_ROW("kernel32.dll", LoadLibraryA, 0, ERROR_MOD_NOT_FOUND),
    SYSTEM_ROW("kernel32.dll", LoadLibraryExW, 0, ERROR_MOD_NOT_FOUND),
    SYSTEM_ROW("kernel32.dll", FreeLibrary, FALSE, ERROR_INVALID_HANDLE),
    SYSTEM_ROW("kernel32.dll", GetModuleHandleA, 0, ERROR_MOD_NOT_FOUND),
    SYSTEM_ROW("kernel32.dll", GetModuleHandleW, 0, ERROR_MOD_NOT_FOUND),
    SYSTEM_ROW("kernel32.dll", GetProcAddress, 0, ERROR_PROC_NOT_FOUND),
    SYSTEM_ROW("kernel32.dll", SetDllDirectoryW, FALSE, ERROR_NOT_ENOUGH_MEMORY),
    TYPED_ROW("kernel32.dll", SetDefaultDllDirectories,
              decltype(SystemFunctions::setDefaultDllDirectories), FALSE, ERROR_NOT_ENOUGH_MEMORY),
    SYSTEM_ROW("kernel32.dll", CreateEventW, 0, ERROR_NOT_ENOUGH_MEMORY),
    SYSTEM_ROW("kernel32.dll", CreateEventA, 0, ERROR_NOT_ENOUGH_MEMORY),
    SYSTEM_ROW("kernel32.dll", CreateSemaphoreA, 0, ERROR_NOT_ENOUGH_MEMORY),
    SYSTEM_ROW("kernel32.dll", SetEvent, FALSE, ERROR_INVALID_HANDLE),
    SYSTEM_ROW("kernel32.dll", ResetEvent, FALSE, ERROR_INVALID_HANDLE),
    SYSTEM_ROW("kernel32.dll", ReleaseSemaphore, FALSE, ERROR_TOO_MANY_POSTS),
    SYSTEM_ROW("kernel32.dll", WaitForSingleObject, kMinusOne, ERROR_INVALID_HANDLE),
    SYSTEM_ROW("kernel32.dll", WaitForMultipleObjects, kMinusOne, ERROR_INVALID_HANDLE),
    SYSTEM_ROW("kernel32.dll", WaitForSingleObjectEx, kMinusOne, ERROR_INVALID_HANDLE),
    SYSTEM_ROW("kernel32.dll", WaitForMultipleObjectsEx, kMinusOne, ERROR_INVALID_HANDLE),
    SYSTEM_ROW("kernel32.dll", QueueUserAPC, 0, ERROR_NOT_ENOUGH_MEMORY),
    SYSTEM_ROW("kernel32.dll", DuplicateHandle, FALSE, ERROR_NOT_ENOUGH_MEMORY),
    SYSTEM_ROW("kernel32.dll", OpenProcess, 0, ERROR_ACCESS_DENIED),
    SYSTEM_ROW("kernel32.dll", GetHandleInformation, FALSE, ERROR_INVALID_HANDLE),
    SYSTEM_ROW("kernel32.dll", TlsAlloc, kMinusOne, ERROR_NOT_ENOUGH_MEMORY),
    SYSTEM_ROW("kernel32.dll", ResumeThread, kMinusOne, ERROR_INVALID_HANDLE),
    SYSTEM_ROW("kernel32.dll", SuspendThread, kMinusOne, ERROR_INVALID_HANDLE),
    SYSTEM_ROW("kernel32.dll", GetThreadContext, FALSE, ERROR_INVALID_HANDLE),
    SYSTEM_ROW("kernel32.dll", SetThreadContext, FALSE, ERROR_INVALID_HANDLE),
    SYSTEM_ROW("kernel32.dll", GetThreadPriority, THREAD_PRIORITY_ERROR_RETURN,
               ERROR_INVALID_HANDLE),
    SYSTEM_ROW("kernel32.dll", SetThreadPriority, FALSE, ERROR_INVALID_HANDLE),
    SYSTEM_ROW("kernel32.dll", GetProcessAffinityMask, FALSE, ERROR_INVALID_HANDLE),
    SYSTEM_ROW("kernel32.dll", SetProcessAffinityMask, FALSE, ERROR_INVALID_PARAMETER),
    SYSTEM_ROW("kernel32.dll", AddVectoredExceptionHandler, 0, ERROR_NOT_ENOUGH_MEMORY),
    SYSTEM_ROW("kernel32.dll", MultiByteToWideChar, 0, ERROR_NO_UNICODE_TRANSLATION),
    SYSTEM_ROW("kernel32.dll", WideCharToMultiByte, 0, ERROR_NO_UNICODE_TRANSLATION),
    CRT_ROW(malloc, void* (*)(size_t), 0),
    CRT_ROW(calloc, void* (*)(size_t, size_t), 0),
    CRT_ROW(realloc, void* (*)(void*, size_t), 0),
    CRT_ROW(_strdup, char* (*)(const char*), 0),
    CRT_ROW(_beginthreadex,
            uintptr_t (*)(void*, unsigned, unsigned(WINAPI*)(void*), void*, unsigned, unsigned*),
            0),
    SYSTEM_ROW("user32.dll", RegisterClassExW, 0, ERROR_NOT_ENOUGH_MEMORY),
    SYSTEM_ROW("user32.dll", GetClassInfoExW, FALSE, ERROR_CLASS_DOES_NOT_EXIST),
    SYSTEM_ROW("user32.dll", CreateWindowExW, 0, ERROR_NOT_ENOUGH_MEMORY),
    SYSTEM_ROW("user32.dll", DestroyWindow, FALSE, ERROR_INVALID_WINDOW_HANDLE),
    SYSTEM_ROW("user32.dll", GetMessageW, kMinusOne, ERROR_INVALID_WINDOW_HANDLE),
    SYSTEM_ROW("user32.dll", MessageBoxW, 0, ERROR_NOT_ENOUGH_MEMORY),
    SYSTEM_ROW("user32.dll", SetWindowLongPtrW, 0, ERROR_INVALID_WINDOW_HANDLE),
    SYSTEM_ROW("user32.dll", GetWindowLongPtrW, 0, ERROR_INVALID_WINDOW_HANDLE),
    SYSTEM_ROW("user32.dll", SetWindowLongW, 0, ERROR_INVALID_WINDOW_HANDLE),
    SYSTEM_ROW("user32.dll", GetWindowLongW, 0, ERROR_INVALID_WINDOW_HANDLE),
    SYSTEM_ROW("user32.dll", SetWindowPos, FALSE, ERROR_INVALID_WINDOW_HANDLE),
    SYSTEM_ROW("user32.dll", GetWindowPlacement, FALSE, ERROR_INVALID_WINDOW_HANDLE),
    SYSTEM_ROW("user32.dll", SetWindowPlacement, FALSE, ERROR_INVALID_WINDOW_HANDLE),
    SYSTEM_ROW("user32.dll", GetWindowRect, FALSE, ERROR_INVALID_WINDOW_HANDLE),
    SYSTEM_ROW("user32.dll", GetClientRect, FALSE, ERROR_INVALID_WINDOW_HANDLE),
    SYSTEM_ROW("user32.dll", AdjustWindowRectEx, FALSE, ERROR_INVALID_PARAMETER),
    SYSTEM_ROW("user32.dll", SetWindowTextW, FALSE, ERROR_NOT_ENOUGH_MEMORY),
    SYSTEM_ROW("user32.dll", GetClassNameW, 0, ERROR_INVALID_WINDOW_HANDLE),
    SYSTEM_ROW("user32.dll", GetDlgCtrlID, 0, ERROR_INVALID_WINDOW_HANDLE),
    SYSTEM_ROW("user32.dll", SetFocus, 0, ERROR_INVALID_WINDOW_HANDLE),
    SYSTEM_ROW("user32.dll", SetForegroundWindow, FALSE, ERROR_ACCESS_DENIED),
    SYSTEM_ROW("user32.dll", BringWindowToTop, FALSE, ERROR_INVALID_WINDOW_HANDLE),
    SYSTEM_ROW("user32.dll", RedrawWindow, FALSE, ERROR_INVALID_WINDOW_HANDLE),
    SYSTEM_ROW("user32.dll", BeginPaint, 0, ERROR_NOT_ENOUGH_MEMORY),
    SYSTEM_ROW("user32.dll", GetDC, 0, ERROR_NOT_ENOUGH_MEMORY),
    SYSTEM_ROW("user32.dll", GetWindowDC, 0, ERROR_NOT_ENOUGH_MEMORY),
    SYSTEM_ROW("user32.dll", ReleaseDC, 0, ERROR_INVALID_HANDLE),
    SYSTEM_ROW("user32.dll", FillRect, 0, ERROR_NOT_ENOUGH_MEMORY),
    SYSTEM_ROW("user32.dll", DrawEdge, FALSE, ERROR_NOT_ENOUGH_MEMORY),
    SYSTEM_ROW("user32.dll", DrawFocusRect, FALSE, ERROR_NOT_ENOUGH_MEMORY),
    SYSTEM_ROW("user32.dll", DrawFrameControl, FALSE, ERROR_NOT_ENOUGH_MEMORY),
    SYSTEM_ROW("user32.dll", LoadImageW, 0, ERROR_NOT_ENOUGH_MEMORY),
    SYSTEM_ROW("user32.dll", LoadCursorW, 0, ERROR_NOT_ENOUGH_MEMORY),
    SYSTEM_ROW("user32.dll", DestroyIcon, FALSE, ERROR_INVALID_HANDLE),
    SYSTEM_ROW("user32.dll", GetSystemMetrics, 0, ERROR_SUCCESS),
    SYSTEM_ROW("user32.dll", EnumDisplayMonitors, FALSE, ERROR_NOT_ENOUGH_MEMORY),
    SYSTEM_ROW("user32.dll", GetMonitorInfoW, FALSE, ERROR_INVALID_MONITOR_HANDLE),
    SYSTEM_ROW("user32.dll", SetProcessDPIAware, FALSE, ERROR_ACCESS_DENIED),
    TYPED_ROW("user32.dll", SetProcessDpiAwarenessContext,
              decltype(SystemFunctions::setProcessDpiAwarenessContext), FALSE,
              ERROR_ACCESS_DENIED),
    TYPED_ROW("user32.dll", GetDpiForWindow, decltype(SystemFunctions::getDpiForWindow), 0,
              ERROR_INVALID_WINDOW_HANDLE),
    TYPED_ROW("user32.dll", AdjustWindowRectExForDpi,
              decltype(SystemFunctions::adjustWindowRectExForDpi), FALSE, ERROR_INVALID_PARAMETER),
    TYPED_ROW("user32.dll", GetSystemMetricsForDpi,
              decltype(SystemFunctions::getSystemMetricsForDpi), 0, ERROR_INVALID_PARAMETER),
    TYPED_ROW("shcore.dll", SetProcessDpiAwareness,
              decltype(SystemFunctions::setProcessDpiAwareness), E_ACCESSDENIED,
              ERROR_ACCESS_DENIED),
    TYPED_ROW("shcore.dll", GetDpiForMonitor, decltype(SystemFunctions::getDpiForMonitor),
              E_INVALIDARG, ERROR_INVALID_PARAMETER),
    SYSTEM_ROW("gdi32.dll", CreateCompatibleDC, 0, ERROR_NOT_ENOUGH_MEMORY),
    SYSTEM_ROW("gdi32.dll", CreateCompatibleBitmap, 0, ERROR_NOT_ENOUGH_MEMORY),
    SYSTEM_ROW("gdi32.dll", CreateDIBSection, 0, ERROR_NOT_ENOUGH_MEMORY),
    SYSTEM_ROW("gdi32.dll", CreateSolidBrush, 0, ERROR_NOT_ENOUGH_MEMORY),
    SYSTEM_ROW("gdi32.dll", SelectObject, 0, ERROR_NOT_ENOUGH_MEMORY),
    SYSTEM_ROW("gdi32.dll", DeleteDC, FALSE, ERROR_INVALID_HANDLE),
    SYSTEM_ROW("gdi32.dll", DeleteObject, FALSE, ERROR_INVALID_HANDLE),
    SYSTEM_ROW("gdi32.dll", BitBlt, FALSE, ERROR_NOT_ENOUGH_MEMORY),
    SYSTEM_ROW("gdi32.dll", StretchBlt, FALSE, ERROR_NOT_ENOUGH_MEMORY),
    SYSTEM_ROW("gdi32.dll", SetStretchBltMode, 0, ERROR_INVALID_HANDLE),
    SYSTEM_ROW("gdi32.dll", GetDIBits, 0, ERROR_NOT_ENOUGH_MEMORY),
    SYSTEM_ROW("gdi32.dll", GetDeviceCaps, 0, ERROR_INVALID_HANDLE),
    SYSTEM_ROW("gdi32.dll", GetObjectW, 0, ERROR_INVALID_HANDLE),
    SYSTEM_ROW("gdi32.dll", IntersectClipRect, ERROR, ERROR_NOT_ENOUGH_MEMORY),
    SYSTEM_ROW("gdi32.dll", SaveDC, 0, ERROR_NOT_ENOUGH_MEMORY),
    SYSTEM_ROW("gdi32.dll", RestoreDC, FALSE, ERROR_INVALID_HANDLE),
    SYSTEM_ROW("ole32.dll", CoInitializeEx, E_OUTOFMEMORY, ERROR_NOT_ENOUGH_MEMORY),
    SYSTEM_ROW("ole32.dll", CoCreateInstance, E_OUTOFMEMORY, ERROR_NOT_ENOUGH_MEMORY),
    SYSTEM_ROW("shell32.dll", ShellExecuteExW, FALSE, ERROR_NOT_READY),
    TYPED_ROW("winmm.dll", waveOutOpen, decltype(SystemAudio::waveOutOpen), MMSYSERR_NODRIVER,
              ERROR_SUCCESS),
    TYPED_ROW("winmm.dll", waveOutPrepareHeader, decltype(SystemAudio::waveOutPrepareHeader),
              MMSYSERR_NODRIVER, ERROR_SUCCESS),
    TYPED_ROW("winmm.dll", waveOutWrite, decltype(SystemAudio::waveOutWrite), MMSYSERR_NODRIVER,
              ERROR_SUCCESS),
    TYPED_ROW("winmm.dll", waveOutReset, decltype(SystemAudio::waveOutReset), MMSYSERR_NODRIVER,
              ERROR_SUCCESS),
    TYPED_ROW("winmm.dll", waveOutUnprepareHeader, decltype(SystemAudio::waveOutUnprepareHeader),
              MMSYSERR_NODRIVER, ERROR_SUCCESS),
    TYPED_ROW("winmm.dll", waveOutClose, decltype(SystemAudio::waveOutClose), MMSYSERR_NODRIVER,
              ERROR_SUCCESS),
};
constexpr int kRows = static_cast<int>(sizeof rows / sizeof rows[0]);
static_assert(kRows <= e2e::kMaxFaultRecords);

int RowOf(const char* name) {
  for (int id = 0; id < kRows; ++id) {
    if (std::strcmp(rows[id].name, name) == 0) return id;
  }
  return -1;
}

// The wrapper of GetProcAddress's row hands out wrappers: a function of
// the table bound at run time is counted and failed as an imported one is.
FARPROC WINAPI WrappedGetProcAddress(HMODULE module, LPCSTR name) {
  static const int self = RowOf("GetProcAddress");
  using Function = decltype(&::GetProcAddress);
  const FARPROC found = reinterpret_cast<Function>(rows[self].wrapper)(module, name);
  const bool byName = (reinterpret_cast<ULONG_PTR>(name) >> 16) != 0;
  if (!found || !byName) return found;
  const int id = RowOf(name);
  if (id < 0) return found;
  if (!rows[id].real) rows[id].real = reinterpret_cast<void*>(found);
  return reinterpret_cast<FARPROC>(rows[id].wrapper);
}

// The C runtime's start-up calls __wgetmainargs, then copies the argument
// vector (1 + argc allocations) and runs the static constructors, which in
// these programs call nothing, and calls wWinMain without a further import
// call. So the program's own calls start after the last of those copies.
using GetMainArgs = int (*)(int*, wchar_t***, wchar_t***, int, void*);
GetMainArgs realGetMainArgs = nullptr;
void MarkMain() {
  mainThread = ::GetCurrentThreadId();
  if (shared) shared->reachedMain = 1;
}
int MarkMainArgs(int* argc, wchar_t*** argv, wchar_t*** env, int expand, void* startup) {
  const int result = realGetMainArgs(argc, argv, env, expand, startup);
  mallocRow = RowOf("malloc");
  startupAllocationsLeft = mallocRow < 0 ? 0 : *argc + 1;
  if (startupAllocationsLeft == 0) MarkMain();
  return result;
}

void WriteImport(void** slot, void* value) {
  DWORD old = 0;
  if (!::VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old)) return;
  *slot = value;
  ::VirtualProtect(slot, sizeof *slot, old, &old);
}

// Puts the wrappers into the program's import address table.
void WrapImports() {
  auto* const base = reinterpret_cast<BYTE*>(::GetModuleHandleW(nullptr));
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& directory =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (directory.VirtualAddress == 0) return;
  const auto* imports =
      reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
  for (; imports->Name != 0; ++imports) {
    const char* module = reinterpret_cast<const char*>(base + imports->Name);
    const auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(
        base + (imports->OriginalFirstThunk ? imports->OriginalFirstThunk : imports->FirstThunk));
    auto** slots = reinterpret_cast<void**>(base + imports->FirstThunk);
    for (; names->u1.AddressOfData != 0; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      const char* name = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(
                             base + names->u1.AddressOfData)->Name;
      if (std::strcmp(name, "__wgetmainargs") == 0) {
        realGetMainArgs = reinterpret_cast<GetMainArgs>(*slots);
        WriteImport(slots, reinterpret_cast<void*>(&MarkMainArgs));
        continue;
      }
      const int id = RowOf(name);
      if (id < 0 || _stricmp(rows[id].module, module) != 0) continue;
      rows[id].real = *slots;
      const bool getProcAddress = std::strcmp(name, "GetProcAddress") == 0;
      WriteImport(slots, getProcAddress ? reinterpret_cast<void*>(&WrappedGetProcAddress)
                                        : rows[id].wrapper);
    }
  }
}

// Creates the shared file and maps it; false when it cannot.
bool MapSharedFile() {
  wchar_t path[MAX_PATH] = {};
  if (!::GetEnvironmentVariableW(e2e::kFaultFileVariable, path, MAX_PATH)) return false;
  const HANDLE file = ::CreateFileW(path, GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const HANDLE mapping =
      ::CreateFileMappingW(file, nullptr, PAGE_READWRITE, 0, sizeof(e2e::FaultFile), nullptr);
  ::CloseHandle(file);
  if (!mapping) return false;
  void* view = ::MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(e2e::FaultFile));
  ::CloseHandle(mapping);  // the view keeps the mapping
  if (!view) return false;
  shared = static_cast<e2e::FaultFile*>(view);
  shared->records = kRows;
  for (int id = 0; id < kRows; ++id) {
    std::strncpy(shared->record[id].module, rows[id].module, sizeof shared->record[id].module - 1);
    std::strncpy(shared->record[id].name, rows[id].name, sizeof shared->record[id].name - 1);
    shared->record[id].lastError = rows[id].lastError;
  }
  return true;
}

}  // namespace

// Loading fails (and so tells the test) when the shared file cannot be made.
BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  if (!MapSharedFile()) return FALSE;
  WrapImports();
  return TRUE;
}
