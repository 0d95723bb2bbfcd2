#include <windows.h>

#include "player/mp3play.h"
#include "runtime/win/program.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  static constexpr rt::ProjectDescriptor kProject{.title = L"Sorvane"};
  return rt::RunProgram(kProject, player::Mp3play::Instance());
}
