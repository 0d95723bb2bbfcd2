// Runs playback on its own thread. The caller's Open, Play and Stop are
// handed to that thread through a locked list and an event; each waits only
// for the request to be carried out, never for sound to play nor, beyond a
// bound, for the disc.
//
// The thread and its waits stand on the system's own primitives
// (_beginthreadex, an SRW lock, a condition variable, events), whose
// failures come back as values: nothing here allocates to wait. Nothing
// thrown escapes the thread: a request that throws (no memory) gives
// DeviceUnavailable, and playback that throws falls silent.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "player/mp3/decoder.h"
#include "player/playback/file_reads.h"
#include "player/playback/mp3_player.h"
#include "player/playback/system_audio.h"
#include "player/playback/track.h"
#include "player/playback/wave_output.h"
#include "player/playback/win_handles.h"

namespace player {

class PlaybackEngine {
 public:
  // `loadAudio` is called on the playback thread at each Open until it gives
  // a table, which the engine then keeps; a null result makes that Open
  // give DeviceUnavailable. Files are read through `reads` (borrowed; it
  // must outlive the engine). Throws RuntimeError OutOfMemory when the
  // event or the thread cannot be created for want of memory, and
  // CannotCreateObject when they cannot be created otherwise.
  explicit PlaybackEngine(AudioLoader loadAudio, const FileReads& reads = kSystemFileReads);
  PlaybackEngine(const PlaybackEngine&) = delete;
  PlaybackEngine& operator=(const PlaybackEngine&) = delete;
  // Stops sound, frees the device and the file, and waits for the thread to
  // end; a read or a device that never gives its buffers back is not waited
  // for (their buffers are given up for lost).
  ~PlaybackEngine();

  // Stops what plays and opens the file: its first frame sets the format of
  // the sound device opened for it. Waits at most kDiscPatienceMilliseconds
  // for the disc; a read that takes longer gives FileUnreadable.
  PlayResult Open(std::wstring path);
  // Plays the opened file from its start, to its end, then falls silent.
  // Returns once the first sound is queued, the file is found unreadable,
  // or the disc has not answered for kDiscPatienceMilliseconds (the sound
  // then starts when it does).
  PlayResult Play();
  void Stop();

  // The longest Open or Play waits for a read, so that a click on a track of
  // a disc spinning up or taken out leaves the window answering within a
  // second.
  static constexpr unsigned kDiscPatienceMilliseconds = 400;
  // Devices given up that still hold buffers, and files whose reads were
  // given up while in flight, are kept until the system gives their buffers
  // back; at most this many of each. While as many devices are kept, Open
  // and Play open none (DeviceUnavailable); while as many reads are, Open
  // opens no file (FileUnreadable).
  static constexpr std::size_t kMostKept = 2;

 private:
  enum class Action { Open, Play, Stop, Quit };
  // A caller's request; lives on the caller's stack until `done`.
  struct Request {
    Action action;
    std::wstring path;
    PlayResult result = PlayResult::Ok;  // guarded by lock_
    bool done = false;                   // guarded by lock_
    Request* next = nullptr;             // guarded by lock_
  };
  enum class Waited { Woken, TimedOut, Failed };

  PlayResult Call(Action action, std::wstring path = {});
  // Wakes the playback thread for a request (WakeThread). False when
  // neither its event nor an APC went.
  bool Wake();

  // Everything below runs on the playback thread only.
  static unsigned WINAPI ThreadMain(void* engine);
  void Run() noexcept;
  Request* TakeRequests();
  void Complete(Request* request, PlayResult result);
  // Waits for a request, or while playing for the device to finish a buffer
  // or the file's read to complete.
  Waited Wait();
  PlayResult Carry(const Request& request) noexcept;
  PlayResult OpenTrack(const std::wstring& path);
  PlayResult StartPlaying();
  // Silences the device; one that cannot be reset is given up.
  void StopPlaying() noexcept;
  void Close() noexcept;
  // Closes `output`, or keeps it while it holds buffers.
  void GiveUp(std::unique_ptr<WaveOutput> output) noexcept;
  // Closes `track`, or keeps it while its read is in flight.
  void GiveUp(std::unique_ptr<Track> track) noexcept;
  // Frees what was kept and is done with.
  void ReleaseKept() noexcept;
  // A device for the open track's format; null when none can be opened.
  std::unique_ptr<WaveOutput> OpenDevice();
  // Waits a little, within kDiscPatienceMilliseconds from `start`, for the
  // track's read in flight: until its signal, or for a slice of time, after
  // which the caller looks whether it completed unsignalled. False when the
  // time is up or the wait failed.
  bool WaitForRead(const Track& track, ULONGLONG start) const;
  // Queues decoded sound into every free device buffer, the last one partly
  // filled; ends playback when the stream and the device are both
  // exhausted. The first buffers after a start hold an eighth of a second
  // each, so that sound starts and Play returns as soon as one eighth is
  // decoded; every later one holds a second, so that the thread wakes about
  // once a second while a track plays. False when the device refuses a
  // buffer.
  bool Refill();
  // Decodes the track's frames until pcm_ holds at least `samples`, the
  // stream ends, a read is in flight, a request is waiting, or the file's
  // junk calls for a look at the requests.
  void DecodeUntil(std::size_t samples);

  const AudioLoader loadAudio_;
  const FileReads& reads_;
  const SystemAudio* audio_ = nullptr;  // loaded at the first Open; not owned
  std::unique_ptr<Track> track_;
  std::unique_ptr<mp3::Decoder> decoder_;  // made at the first Open, kept
  std::array<float, mp3::kMaxFrameSamples> frameSamples_{};
  std::unique_ptr<WaveOutput> output_;
  std::vector<std::int16_t> pcm_;  // decoded sound not yet queued
  std::size_t startSamples_ = 0;   // an eighth of a second of the track's sound
  std::size_t writes_ = 0;         // buffers queued since playback started
  bool playing_ = false;
  bool streamEnded_ = false;       // at the end of the stream, or a read failed
  std::array<std::unique_ptr<WaveOutput>, kMostKept> keptDevices_;
  std::array<std::unique_ptr<Track>, kMostKept> keptTracks_;

  SRWLOCK lock_ = SRWLOCK_INIT;
  CONDITION_VARIABLE requestDone_ = CONDITION_VARIABLE_INIT;  // with lock_
  Request* firstRequest_ = nullptr;                           // guarded by lock_
  Request* lastRequest_ = nullptr;                            // guarded by lock_
  // Set with each request and cleared when the thread takes them, under
  // lock_; read without the lock between frames, so that a long refill
  // gives way to Stop or Open at once.
  std::atomic<bool> requestWaiting_{false};
  UniqueEvent wake_;    // set when a request is queued
  UniqueEvent thread_;  // the playback thread
};

}  // namespace player
