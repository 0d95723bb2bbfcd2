// The file that the fault injector (fault_injector.dll, loaded into a
// program under test) and the test that drives it share. The injector
// creates it at the path named by kFaultFileVariable when it is loaded, one
// record per function it can fail, and keeps its counts there; the test
// sets each record's fault through the same file (the injector maps it, so a
// change applies from that moment on) and reads the counts back, also after
// the program has crashed.
//
// Calls are numbered from the program's own start: the C runtime's start-up
// before main (through its copy of the arguments) is counted apart and never
// failed, because no program can survive a failure there.
#pragma once

#include <windows.h>

namespace e2e {

inline constexpr wchar_t kFaultFileVariable[] = L"FAULT_INJECTOR_FILE";

struct FaultRecord {
  char module[16];  // e.g. "kernel32.dll"; empty past the last record
  char name[40];    // e.g. "ReadFile"
  DWORD lastError;  // the last error a failing call leaves
  // Written by the injector.
  volatile LONG startupCalls;  // calls before main
  volatile LONG calls;         // calls from main on
  volatile LONG threadCalls;   // those of them made off the thread that ran main
  volatile LONG failed;        // calls it failed
  // Written by the test: fail call number `failAt` (1 = the first from
  // main on), and every later one too when `failLater`; 0 fails nothing.
  // A failing call first waits `holdMs`, as a read from a disc that is
  // being taken out does.
  volatile LONG failAt;
  volatile LONG failLater;
  volatile LONG holdMs;
  // With `otherThreads`, only calls off the thread that ran main fail, and
  // `failAt` counts those alone.
  volatile LONG otherThreads;
};

inline constexpr int kMaxFaultRecords = 160;

struct FaultFile {
  volatile LONG reachedMain;  // set when the C runtime's start-up is done
  LONG records;
  FaultRecord record[kMaxFaultRecords];
};

}  // namespace e2e
