#include "runtime/win/program.h"

#include <algorithm>
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

// Unloads every loaded window on the way out of the process. A window that
// will not go is left to the process's end, which takes it anyway.
void UnloadAll() noexcept {
  // Unloading removes the form from the list, so take a copy first.
  const std::vector<Form*> loaded = State().loaded;
  for (Form* form : loaded) {
    try {
      form->Unload();
    } catch (const RuntimeError&) {
      ::OutputDebugStringA("a window could not be unloaded at program end");
    }
  }
}

}  // namespace

int RunProgram(const ProjectDescriptor& project, Form& startup) {
  State().project = project;
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
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

void EndProgram(UINT exitCode) {
  State().ending = true;
  UnloadAll();
  ::ExitProcess(exitCode);
}

void ReportErrorAndEnd(const RuntimeError& error) {
  ProgramState& state = State();
  state.ending = true;
  ::OutputDebugStringA(error.what());
  const std::wstring title(state.project.title);
  // An unload on the error's way here may have asked the event loop to quit.
  // A quit request left in the queue would end the report's own modal loop
  // at once, so the report would vanish unread: take it out first.
  MSG quit;
  ::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
  ::MessageBoxW(nullptr, FormatErrorReport(error.number()).c_str(), title.c_str(),
                MB_OK | MB_ICONERROR | MB_TASKMODAL | MB_SETFOREGROUND);
  EndProgram(static_cast<UINT>(error.number()));
}

void ReportCurrentExceptionAndEnd() {
  try {
    throw;
  } catch (const RuntimeError& error) {
    ReportErrorAndEnd(error);
  } catch (const std::bad_alloc&) {
    ReportErrorAndEnd(RuntimeError(ErrorNumber::OutOfMemory, "operator new"));
  } catch (...) {
    ReportErrorAndEnd(RuntimeError(ErrorNumber::InvalidProcedureCall, "action"));
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
