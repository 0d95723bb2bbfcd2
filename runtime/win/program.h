// Start-up, the event loop, program end and the runtime services that
// actions use. One program runs per process, on one thread.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "runtime/core/program_start.h"
#include "runtime/core/runtime_error.h"

namespace rt {

class Form;

struct ProjectDescriptor {
  std::wstring_view title;  // captions the run-time error report
};

// Registers the runtime's window classes, loads and shows `startup` and runs
// the event loop until the last loaded window is unloaded. Returns the exit
// code. A run-time error during start-up is reported and ends the program.
// The window thread fails reads from a drive without its disc at once,
// never asking the user with the system's box.
int RunProgram(const ProjectDescriptor& project, Form& startup);

// Closes every loaded window at once (releasing their components) and ends
// the process; nothing runs after it. Called off the window thread, it
// leaves the windows to the process's end.
[[noreturn]] void EndProgram(UINT exitCode = 0);

// Shows the standard run-time error report, captioned with the program's
// title, then ends the program with the error number as its exit code.
[[noreturn]] void ReportErrorAndEnd(const RuntimeError& error);

// Reports the exception being handled as a run-time error and ends the
// program: a RuntimeError as it is, running out of memory as OutOfMemory,
// anything else as InvalidProcedureCall. Call only from a catch block.
[[noreturn]] void ReportCurrentExceptionAndEnd();

// For every window procedure and callback of the runtime, in a catch block
// around all it does, so that nothing is thrown through the system's frames:
// the exception being handled becomes the run-time error report, which ends
// the program once dismissed (ReportCurrentExceptionAndEnd). One raised
// while that report is up, or while the program ends, is dropped, so that
// one report shows: then, and only then, this returns.
void ReportCallbackException() noexcept;

// Folder of the running executable (trailing separator only at a drive root).
std::wstring ApplicationFolder();

// Starts the program at `path` as a separate process with `showState` as its
// initial show state, no working folder (it inherits ours), the system's
// default error mode and no wait. A name without extension gets ".exe".
// Throws RuntimeError when it cannot start.
StartOutcome StartProgram(std::wstring_view path, int showState);

// The runtime's hidden top-level window. Windows kept out of the taskbar are
// owned by it, so that none of the program's own windows owns them. Made on
// first use, so that a program whose windows all show in the taskbar starts
// without it; throws RuntimeError when it cannot be made.
HWND HiddenOwnerWindow();

// Bookkeeping of loaded windows, kept by Form.
void NoteFormLoaded(Form& form);
void NoteFormUnloaded(Form& form);
// The loaded form whose window is `hwnd`; null when none is.
Form* LoadedForm(HWND hwnd);

namespace detail {
bool BeginAction();
void EndAction();
}  // namespace detail

// Runs an action of a form: one at a time, never after the program started
// ending; an error leaving the action is reported and ends the program, so
// that nothing is thrown across a window procedure.
template <class Action>
void RunAction(Action&& action) {
  if (!detail::BeginAction()) return;
  try {
    action();
  } catch (...) {
    ReportCurrentExceptionAndEnd();
  }
  detail::EndAction();
}

}  // namespace rt
