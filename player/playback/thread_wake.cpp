#include "player/playback/thread_wake.h"

namespace player {
namespace {

// Does nothing: being queued is what ends the thread's alertable wait.
void CALLBACK WakeByApc(ULONG_PTR) {}

}  // namespace

bool WakeThread(HANDLE event, HANDLE thread) noexcept {
  return ::SetEvent(event) || ::QueueUserAPC(&WakeByApc, thread, 0);
}

}  // namespace player
