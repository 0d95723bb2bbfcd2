#include <windows.h>

#include "runtime/win/program.h"
#include "tests/e2e/runtime_probe/probe_form.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
  static constexpr rt::ProjectDescriptor kProject{.title = L"probe"};
  static probe::ProbeForm form(probe::FaultNamed(commandLine));
  return rt::RunProgram(kProject, form);
}
