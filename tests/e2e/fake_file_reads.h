// File reads of fakes for the playback engine's own tests: kernel32's reads
// of the real file, of which a test can make every read from the n-th on
// fail, as on a disc taken out, stay pending for a while, as on a disc
// spinning up, or run out of memory. One fake per process; ResetFakeReads() puts it back.
#pragma once

#include <windows.h>

#include "player/playback/file_reads.h"

namespace e2e {

struct FakeReadSettings {
  int failFrom = -1;          // ReadFile fails (ERROR_NOT_READY) from this call on (0-based; -1 never)
  int holdFrom = -1;          // reads from this call on complete only after holdMilliseconds
  DWORD holdMilliseconds = 0;
  bool ignoreCancel = false;  // CancelIoEx succeeds, yet a held read takes its whole time
  // A held read keeps the caller inside ReadFile for its hold, as a read the
  // system carries out at once does (a cached read, a drive spinning up);
  // nothing cancels it.
  bool holdInCall = false;
  // ReadFile throws std::bad_alloc from this call on (-1 never): stands for
  // an allocation that fails on the reading thread, as the parser's buffer
  // growing does when memory runs out.
  int throwFrom = -1;
};

struct FakeReadRecord {
  int reads = 0;    // ReadFile calls, failed ones included
  int cancels = 0;  // CancelIoEx calls that found a held read
  int held = 0;     // held reads not yet completed: their buffers must live
};

// Forgets the record and applies `settings`.
void ResetFakeReads(const FakeReadSettings& settings = {});
// Changes the settings and keeps the record.
void SetFakeReads(const FakeReadSettings& settings);
FakeReadRecord FakeReads();

extern const player::FileReads kFakeReads;

}  // namespace e2e
