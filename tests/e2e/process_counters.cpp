#include "tests/e2e/process_counters.h"

#include <psapi.h>
#include <winternl.h>

#include <algorithm>
#include <optional>
#include <vector>

namespace e2e {
namespace {

// The system's list of every open handle (SystemExtendedHandleInformation).
constexpr auto kExtendedHandleInformation = static_cast<SYSTEM_INFORMATION_CLASS>(64);

struct HandleEntry {
  PVOID object;
  ULONG_PTR processId;
  ULONG_PTR handle;
  ULONG grantedAccess;
  USHORT creatorBackTraceIndex;
  USHORT objectTypeIndex;
  ULONG attributes;
  ULONG reserved;
};

struct HandleList {
  ULONG_PTR count;
  ULONG_PTR reserved;
  HandleEntry handles[1];
};

// The number of handles process `pid` has open, counted one by one; empty
// when the list cannot be read.
std::optional<std::uint32_t> CountHandles(DWORD pid) {
  std::vector<unsigned char> buffer(1 << 20);
  for (int attempt = 0; attempt < 4; ++attempt) {
    ULONG needed = 0;
    const NTSTATUS status = ::NtQuerySystemInformation(kExtendedHandleInformation, buffer.data(),
                                                       static_cast<ULONG>(buffer.size()), &needed);
    if (status == 0) {
      const auto* list = reinterpret_cast<const HandleList*>(buffer.data());
      std::uint32_t count = 0;
      for (ULONG_PTR i = 0; i < list->count; ++i) count += list->handles[i].processId == pid ? 1 : 0;
      return count;
    }
    buffer.resize(std::max<std::size_t>(buffer.size() * 2, needed + 4096));
  }
  return std::nullopt;
}

}  // namespace

std::uint64_t CpuMilliseconds(DWORD pid) {
  return ReadCounters(nullptr, pid).cpuMilliseconds;
}

ProcessCounters ReadCounters(HANDLE process, DWORD pid) {
  ProcessCounters counters;
  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof memory;
  if (process && ::GetProcessMemoryInfo(process, &memory, sizeof memory)) {
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
      // Wine gives the size of the process's handle table here, which
      // grows by doubling: count the handles themselves where the system
      // lists them.
      counters.handles = CountHandles(pid).value_or(entry->HandleCount);
      counters.threads = entry->NumberOfThreads;
      // 100-nanosecond units.
      counters.cpuMilliseconds = static_cast<std::uint64_t>(entry->UserTime.QuadPart +
                                                            entry->KernelTime.QuadPart) /
                                 10000;
      break;
    }
    if (entry->NextEntryOffset == 0) break;
    offset += entry->NextEntryOffset;
  }
  return counters;
}

}  // namespace e2e
