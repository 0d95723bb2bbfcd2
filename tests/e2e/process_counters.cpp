#include "tests/e2e/process_counters.h"

#include <psapi.h>
#include <winternl.h>

#include <vector>

namespace e2e {

ProcessCounters ReadCounters(HANDLE process, DWORD pid) {
  ProcessCounters counters;
  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof memory;
  if (::GetProcessMemoryInfo(process, &memory, sizeof memory)) {
    counters.workingSetBytes = memory.WorkingSetSize;
  }
  std::vector<unsigned char> buffer(1 << 20);
  ULONG needed = 0;
  if (::NtQuerySystemInformation(SystemProcessInformation, buffer.data(),
                                 static_cast<ULONG>(buffer.size()), &needed) != 0) {
    return counters;
  }
  for (std::size_t offset = 0;;) {
    const auto* entry = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(&buffer[offset]);
    if (reinterpret_cast<ULONG_PTR>(entry->UniqueProcessId) == pid) {
      counters.handles = entry->HandleCount;
      counters.threads = entry->NumberOfThreads;
      break;
    }
    if (entry->NextEntryOffset == 0) break;
    offset += entry->NextEntryOffset;
  }
  return counters;
}

}  // namespace e2e
