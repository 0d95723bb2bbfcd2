// Runs playback on its own thread. The caller's Open, Play and Stop are
// handed to that thread through a locked queue and an event; each waits only
// for the request to be carried out, never for sound to play.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <deque>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "player/mp3/decoder.h"
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
  // give DeviceUnavailable. Throws RuntimeError CannotCreateObject when the
  // event or the thread cannot be created.
  explicit PlaybackEngine(AudioLoader loadAudio);
  PlaybackEngine(const PlaybackEngine&) = delete;
  PlaybackEngine& operator=(const PlaybackEngine&) = delete;
  // Stops sound, frees the device and joins the thread.
  ~PlaybackEngine();

  // Stops what plays and opens the file: its first frame sets the format of
  // the sound device opened for it.
  PlayResult Open(std::wstring path);
  // Plays the opened file from its start, to its end, then falls silent.
  PlayResult Play();
  void Stop();

 private:
  enum class Action { Open, Play, Stop, Quit };
  struct Request {
    Action action;
    std::wstring path;
    std::promise<PlayResult> done;
  };

  PlayResult Call(Action action, std::wstring path = {});

  // Everything below runs on the playback thread only.
  void Run();
  // Waits for a request, or while playing for the device to finish a
  // buffer. False when the wait failed.
  bool Wait();
  PlayResult Carry(const Request& request);
  PlayResult OpenTrack(const std::wstring& path);
  PlayResult StartPlaying();
  void StopPlaying();
  void Close();
  // Queues decoded sound into every free device buffer, the last one partly
  // filled; ends playback when the stream and the device are both
  // exhausted. The first buffers after a start hold an eighth of a second
  // each, so that sound starts and Play returns as soon as one eighth is
  // decoded; every later one holds a second, so that the thread wakes about
  // once a second while a track plays. False when the device refuses a
  // buffer.
  bool Refill();
  // Decodes the track's frames until pcm_ holds at least `samples`, the
  // stream ends, a request is waiting, or the file's junk calls for a look
  // at the requests.
  void DecodeUntil(std::size_t samples);

  const AudioLoader loadAudio_;
  const SystemAudio* audio_ = nullptr;  // loaded at the first Open; not owned
  std::unique_ptr<Track> track_;
  std::unique_ptr<mp3::Decoder> decoder_;  // made at the first Open, kept
  std::array<float, mp3::kMaxFrameSamples> frameSamples_{};
  std::unique_ptr<WaveOutput> output_;
  std::vector<std::int16_t> pcm_;  // decoded sound not yet queued
  std::size_t startSamples_ = 0;   // an eighth of a second of the track's sound
  std::size_t writes_ = 0;         // buffers queued since playback started
  bool playing_ = false;
  bool streamEnded_ = false;

  std::mutex mutex_;
  std::deque<Request*> requests_;  // guarded by mutex_
  // Set with each request and cleared when the thread takes them, under
  // mutex_; read without the lock between frames, so that a long refill
  // gives way to Stop or Open at once.
  std::atomic<bool> requestWaiting_{false};
  UniqueEvent wake_;               // set when a request is queued
  std::thread thread_;
};

}  // namespace player
