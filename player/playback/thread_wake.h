// Waking a thread that waits alertably on an event of its own.
#pragma once

#include <windows.h>

namespace player {

// Sets `event`; should that fail, queues an empty APC to `thread`, which
// ends its alertable wait too. False when neither went: the thread then
// wakes only when its wait times out.
bool WakeThread(HANDLE event, HANDLE thread) noexcept;

}  // namespace player
