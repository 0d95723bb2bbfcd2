#include "runtime/win/program.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <new>
#include <vector>

#include "runtime/core/app_path.h"
#include "runtime/win/display_scale.h"
#include "runtime/win/form.h"
#include "runtime/win/picture_box.h"
#include "runtime/win/picture_button.h"
#include "runtime/win/system_library.h"
#include "runtime/win/win_error.h"

namespace rt {
namespace {

struct ProgramState {
  ProjectDescriptor project;
  HWND hiddenOwner = nullptr;
  std::vector<Form*> loaded;  // borrowed: instances live until the process ends
  DWORD windowThread = 0;     // the thread that runs the event loop
  bool actionRunning = false;
  bool ending = false;
};

ProgramState& State() {
  static ProgramState state;
  return state;
}

constexpr wchar_t kOwnerClass[] = L"RtHiddenOwner";

void RegisterOwnerClass() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = ::DefWindowProcW;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.lpszClassName = kOwnerClass;
  Check(::RegisterClassExW(&wc), "RegisterClassExW");
}

// Unloads every loaded window on the way out of the process, allocating
// nothing (it also ends the report of running out of memory). A window that
// will not go is left to the process's end, which takes it anyway.
void UnloadAll() noexcept {
  std::vector<Form*>& loaded = State().loaded;
  while (!loaded.empty()) {
    Form* form = loaded.back();
    try {
      form->Unload();  // takes the form off the list
    } catch (...) {
      ::OutputDebugStringA("a window could not be unloaded at program end");
    }
    if (!loaded.empty() && loaded.back() == form) loaded.pop_back();
  }
}

// Reads from a drive without its disc fail (ERROR_NOT_READY) instead of
// holding this thread in the system's "no disk" box until someone answers
// it. Set for the window thread only where Windows can (7 on), so that the
// programs it starts keep the default; those are started with the default
// mode anyway (StartProgram), which covers the process-wide fallback.
void FailDiscErrorsQuietly() noexcept {
  constexpr UINT kMode = SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX;
  if (!::SetThreadErrorMode(kMode, nullptr)) ::SetErrorMode(kMode);
}

// GetMessageW fails only on bad arguments, which this loop never passes, so
// a failure is taken as passing: the loop waits a moment and goes on. Too
// many in a row end the program through the report, with the last one's
// number, rather than spin or end silently.
constexpr int kMostFailedWaitsInARow = 8;
constexpr DWORD kPauseAfterFailedWait = 50;

int RunEventLoop() {
  MSG msg{};
  int failedInARow = 0;
  for (;;) {
    const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) return static_cast<int>(msg.wParam);
    if (got == -1) {
      if (++failedInARow == kMostFailedWaitsInARow) {
        try {
          ThrowLastError("GetMessageW");
        } catch (...) {
          ReportCurrentExceptionAndEnd();
        }
      }
      ::Sleep(kPauseAfterFailedWait);
      continue;
    }
    failedInARow = 0;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

// Shows the report of `number` and ends the program with it as the exit
// code, allocating nothing.
[[noreturn]] void ShowReportAndEnd(ErrorNumber number) noexcept {
  ProgramState& state = State();
  state.ending = true;
  // The caption, null-terminated, cut to what the array holds.
  wchar_t title[64] = {};
  const std::size_t titleLength = std::min(state.project.title.size(), std::size(title) - 1);
  std::copy_n(state.project.title.data(), titleLength, title);
  // An unload on the error's way here may have asked the event loop to quit.
  // A quit request left in the queue would end the report's own modal loop
  // at once, so the report would vanish unread: take it out first.
  MSG quit;
  ::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
  const ErrorReportText report = FormatErrorReport(number);
  ::MessageBoxW(nullptr, report.data(), title,
                MB_OK | MB_ICONERROR | MB_TASKMODAL | MB_SETFOREGROUND);
  EndProgram(static_cast<UINT>(number));
}

// Bytes the heap must still give for an exception to be thrown: the
// exception object, and the block the C++ runtime's emergency store for
// exceptions takes for its lock at its first use.
constexpr std::size_t kThrowProbeBytes = 256;

// Called by operator new each time the heap refuses a block. While the heap
// still gives small blocks, the failure is thrown as std::bad_alloc, which
// actions and the playback thread catch. When it gives none, an exception
// cannot be thrown either (throwing then fails inside the C++ runtime, over
// and over, until the stack overflows): the report of running out of memory
// is shown at once, from whichever thread asked, and the program ends.
void OnHeapRefusal() {
  if (void* probe = std::malloc(kThrowProbeBytes)) {
    std::free(probe);
    throw std::bad_alloc();
  }
  ::OutputDebugStringA("the heap gives no memory at all: run-time error 7");
  ShowReportAndEnd(ErrorNumber::OutOfMemory);
}

}  // namespace

int RunProgram(const ProjectDescriptor& project, Form& startup) {
  std::set_new_handler(&OnHeapRefusal);
  State().project = project;
  State().windowThread = ::GetCurrentThreadId();
  FailDiscErrorsQuietly();
  try {
    RestrictDllSearch();
    DeclareDpiAwareness();
    RegisterOwnerClass();
    RegisterFormClass();
    RegisterPictureButtonClass();
    RegisterPictureBoxClass();
    startup.Show();
  } catch (...) {
    ReportCurrentExceptionAndEnd();
  }
  return RunEventLoop();
}

void EndProgram(UINT exitCode) {
  ProgramState& state = State();
  state.ending = true;
  // The windows belong to the window thread. Another thread (the report of
  // memory run out on the playback thread) leaves them to the process's
  // end: what it sent them would wait for the window thread, which may be
  // waiting for it.
  if (::GetCurrentThreadId() == state.windowThread) UnloadAll();
  ::ExitProcess(exitCode);
}

void ReportErrorAndEnd(const RuntimeError& error) {
  ::OutputDebugStringA(error.what());
  ShowReportAndEnd(error.number());
}

void ReportCurrentExceptionAndEnd() {
  try {
    throw;
  } catch (const RuntimeError& error) {
    ReportErrorAndEnd(error);
  } catch (const std::bad_alloc&) {
    // Memory has run out: nothing on the way to the report may ask for any.
    ::OutputDebugStringA("operator new failed with run-time error 7");
    ShowReportAndEnd(ErrorNumber::OutOfMemory);
  } catch (...) {
    ::OutputDebugStringA("an action failed with run-time error 5");
    ShowReportAndEnd(ErrorNumber::InvalidProcedureCall);
  }
}

void ReportCallbackException() noexcept {
  if (State().ending) {
    ::OutputDebugStringA("an error while the program was ending was dropped");
    return;
  }
  ReportCurrentExceptionAndEnd();
}

std::wstring ApplicationFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) ThrowLastError("GetModuleFileNameW");
    if (length < path.size()) {
      path.resize(length);
      return FolderOfModule(path);
    }
    path.resize(path.size() * 2);
  }
}

HWND HiddenOwnerWindow() {
  ProgramState& state = State();
  if (!state.hiddenOwner) {
    const std::wstring title(state.project.title);
    state.hiddenOwner = Check(::CreateWindowExW(0, kOwnerClass, title.c_str(), WS_POPUP, 0, 0, 0, 0,
                                                nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr),
                              "CreateWindowExW");
  }
  return state.hiddenOwner;
}

void NoteFormLoaded(Form& form) { State().loaded.push_back(&form); }

Form* LoadedForm(HWND hwnd) {
  for (Form* form : State().loaded) {
    if (form->hwnd() == hwnd) return form;
  }
  return nullptr;
}

void NoteFormUnloaded(Form& form) {
  ProgramState& state = State();
  const auto at = std::find(state.loaded.begin(), state.loaded.end(), &form);
  // A window torn down half-built was never counted as loaded, and once the
  // program is ending its end does not go through the event loop.
  if (at == state.loaded.end()) return;
  state.loaded.erase(at);
  if (state.loaded.empty() && !state.ending) ::PostQuitMessage(0);
}

namespace detail {

bool BeginAction() {
  ProgramState& state = State();
  if (state.actionRunning || state.ending) return false;
  state.actionRunning = true;
  return true;
}

void EndAction() { State().actionRunning = false; }

}  // namespace detail
}  // namespace rt
