// Runs playback on its own thread. The caller's Open, Play and Stop are
// handed to that thread through a locked queue and an event; each waits only
// for the request to be carried out, never for sound to play.
#pragma once

#include <deque>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "player/playback/acm_decoder.h"
#include "player/playback/mp3_player.h"
#include "player/playback/track.h"
#include "player/playback/wave_output.h"
#include "player/playback/win_handles.h"

namespace player {

class PlaybackEngine {
 public:
  // Throws RuntimeError CannotCreateObject when the event or the thread
  // cannot be created.
  PlaybackEngine();
  PlaybackEngine(const PlaybackEngine&) = delete;
  PlaybackEngine& operator=(const PlaybackEngine&) = delete;
  // Stops sound, frees the device and joins the thread.
  ~PlaybackEngine();

  PlayResult Open(std::wstring path);
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
  PlayResult Carry(const Request& request);
  PlayResult OpenTrack(const std::wstring& path);
  PlayResult StartPlaying();
  void StopPlaying();
  void Close();
  // Queues decoded sound into every free device buffer; ends playback when
  // the stream and the device are both exhausted. False when the device
  // refuses a buffer.
  bool Refill();

  std::unique_ptr<Track> track_;
  std::unique_ptr<AcmDecoder> decoder_;
  bool decoderUsed_ = false;  // decoder_ has been fed since it was opened
  std::unique_ptr<WaveOutput> output_;
  std::vector<std::uint8_t> pcm_;  // decoded sound not yet queued
  bool playing_ = false;
  bool streamEnded_ = false;

  std::mutex mutex_;
  std::deque<Request*> requests_;  // guarded by mutex_
  UniqueEvent wake_;               // set when a request is queued
  std::thread thread_;
};

}  // namespace player
