// What a process under test holds, as far as Wine reports it truthfully:
// its working set, and its kernel handle count from the system's process
// list (GetProcessHandleCount and GetGuiResources are stubs under Wine 8).
#pragma once

#include <windows.h>

#include <cstdint>

namespace e2e {

struct ProcessCounters {
  std::uint64_t workingSetBytes = 0;
  std::uint32_t handles = 0;
  std::uint32_t threads = 0;
};

ProcessCounters ReadCounters(HANDLE process, DWORD pid);

}  // namespace e2e
