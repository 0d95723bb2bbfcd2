#include <windows.h>

#include "launcher/form1.h"
#include "runtime/win/program.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  static constexpr rt::ProjectDescriptor kProject{.title = L"setup"};
  return rt::RunProgram(kProject, launcher::Form1::Instance());
}
