// The minimal window the player's start-up and memory are compared with:
// the reference window alone.
#include "tools/bench/reference_window.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  return bench::RunReferenceWindow(L"Music", {});
}
