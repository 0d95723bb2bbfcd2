// What a process under test holds, as far as Wine reports it truthfully:
// its working set, and its kernel handle count from the system's process
// list (GetProcessHandleCount and GetGuiResources are stubs under Wine 8);
// and the processor time it has used, from the same list (GetProcessTimes
// gives 0 for another process under Wine 8).
#pragma once

#include <windows.h>

#include <cstdint>

namespace e2e {

struct ProcessCounters {
  std::uint64_t workingSetBytes = 0;
  std::uint32_t handles = 0;
  std::uint32_t threads = 0;
  std::uint64_t cpuMilliseconds = 0;  // user and kernel time, all threads
};

// `process` needs PROCESS_QUERY_INFORMATION and PROCESS_VM_READ; without it
// (null) the working set stays 0.
ProcessCounters ReadCounters(HANDLE process, DWORD pid);

// The processor time process `pid` has used so far (user and kernel, all
// its threads); 0 when the system's process list cannot be read.
std::uint64_t CpuMilliseconds(DWORD pid);

}  // namespace e2e
