// A sound system of fakes for the playback engine's own tests: waveOut
// devices that record every sample written to them and either finish each
// buffer at once or hold every buffer until reset, and a wait, each
// of which a test can make fail. There is one fake per process (the engine
// calls plain function pointers); Reset() puts it back between tests.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "player/playback/system_audio.h"

namespace e2e {

struct FakeSoundSettings {
  bool holdBuffers = false;  // keep written buffers queued until a reset
  bool failOpen = false;     // waveOutOpen refuses
  int failWriteFrom = -1;    // waveOutWrite fails from this write on (0-based; -1 never)
  bool failReset = false;    // waveOutReset fails (MMSYSERR_NODRIVER) and returns no buffer
  bool failWait = false;     // the engine's wait for the device fails
};

struct FakeSoundRecord {
  std::vector<std::int16_t> written;  // every sample queued, in order
  WAVEFORMATEX format{};              // of the last device opened
  int opens = 0;
  int closes = 0;
  int writes = 0;                // calls, failed ones included
  int resets = 0;                // calls, failed ones included
  int resetsBeforeClose = 0;     // resets of the last closed device
  int unpreparedWhileQueued = 0; // headers unprepared while the device held them
  int buffersPrepared = 0;       // prepared and not unprepared since: the buffers kept
};

// Forgets everything recorded and applies `settings`.
void ResetFakeSound(const FakeSoundSettings& settings = {});
// Changes the settings and keeps the record.
void SetFakeSound(const FakeSoundSettings& settings);
// A copy of what the fake has recorded so far (taken under its lock).
FakeSoundRecord FakeSound();
// Finishes the oldest held buffer, as a device does when it has played it.
void FinishOldestHeldBuffer();

// Loaders for the engine: the table of fakes, and a sound system that is
// missing. CountedMissingLoads() tells how often the second was asked.
const player::SystemAudio* LoadFakeSound();
const player::SystemAudio* LoadMissingSound();
int CountedMissingLoads();

}  // namespace e2e
