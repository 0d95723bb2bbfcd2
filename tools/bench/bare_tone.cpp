// The bare waveOut programs the player's playback is compared with: the
// reference window with one push button where the player's first track
// button is. A click opens the default waveOut device (44100 Hz, 16-bit
// stereo, like the player's decoded MP3) and plays a 441 Hz tone until the
// window closes. The tone is one period copied over and over, so that the
// figure measures the sound path and nothing else. Two programs are built
// from this file:
//
//   bare_tone.exe  the floor: one long buffer (a second of the tone), queued
//                  once and looped by the device until the window closes.
//                  After the click the program does nothing at all while the
//                  sound plays: the least work any program can do to play.
//   ring_tone.exe  (BENCH_TONE_RING) the player's former buffer scheme: four
//                  buffers of an eighth of a second, completion signalled
//                  through an event, refilled by a thread of its own. What
//                  that scheme costs above the floor.
#include <windows.h>
#include <mmsystem.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "tools/bench/reference_window.h"

namespace {

constexpr int kButtonId = 100;
constexpr DWORD kRate = 44100;
constexpr WORD kChannels = 2;
constexpr std::size_t kPeriodFrames = 100;  // 441 Hz at 44100 Hz
#ifdef BENCH_TONE_RING
constexpr std::size_t kBufferCount = 4;
constexpr std::size_t kFramesPerBuffer = kRate / 8;
constexpr DWORD kPollMilliseconds = 200;
#else
constexpr std::size_t kBufferCount = 1;
constexpr std::size_t kFramesPerBuffer = kRate;  // whole periods: it loops without a seam
#endif

struct Tone {
  HWAVEOUT device = nullptr;
  HANDLE event = nullptr;
  WAVEHDR headers[kBufferCount]{};
  std::vector<std::int16_t> buffers[kBufferCount];
  std::vector<std::int16_t> period;  // interleaved stereo
  std::size_t phase = 0;             // next frame of the period to copy
};

Tone g_tone;  // lives until the process ends; the playback thread uses it

void Fill(std::vector<std::int16_t>& buffer) {
  for (std::size_t frame = 0; frame < kFramesPerBuffer; ++frame) {
    buffer[frame * 2] = g_tone.period[g_tone.phase * 2];
    buffer[frame * 2 + 1] = g_tone.period[g_tone.phase * 2 + 1];
    g_tone.phase = (g_tone.phase + 1) % kPeriodFrames;
  }
}

#ifdef BENCH_TONE_RING
DWORD WINAPI PlayTone(void*) {
  for (;;) {
    for (std::size_t i = 0; i < kBufferCount; ++i) {
      WAVEHDR& header = g_tone.headers[i];
      if (header.dwFlags & WHDR_INQUEUE) continue;
      Fill(g_tone.buffers[i]);
      header.dwFlags &= ~static_cast<DWORD>(WHDR_DONE);
      if (::waveOutWrite(g_tone.device, &header, sizeof header) != MMSYSERR_NOERROR) return 1;
    }
    ::WaitForSingleObject(g_tone.event, kPollMilliseconds);
  }
}

bool Play() {
  const HANDLE thread = ::CreateThread(nullptr, 0, PlayTone, nullptr, 0, nullptr);
  if (!thread) return false;
  ::CloseHandle(thread);
  return true;
}
#else
bool Play() {
  WAVEHDR& header = g_tone.headers[0];
  Fill(g_tone.buffers[0]);
  header.dwFlags |= WHDR_BEGINLOOP | WHDR_ENDLOOP;
  header.dwLoops = 0xFFFFFFFF;  // 136 years of one-second loops
  return ::waveOutWrite(g_tone.device, &header, sizeof header) == MMSYSERR_NOERROR;
}
#endif

bool StartTone() {
  g_tone.period.resize(kPeriodFrames * 2);
  for (std::size_t frame = 0; frame < kPeriodFrames; ++frame) {
    const double angle = 2.0 * std::numbers::pi * static_cast<double>(frame) / kPeriodFrames;
    const auto sample = static_cast<std::int16_t>(std::lround(8000.0 * std::sin(angle)));
    g_tone.period[frame * 2] = sample;
    g_tone.period[frame * 2 + 1] = sample;
  }
  g_tone.event = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
  if (!g_tone.event) return false;
  WAVEFORMATEX format{};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = kChannels;
  format.nSamplesPerSec = kRate;
  format.wBitsPerSample = 16;
  format.nBlockAlign = kChannels * 2;
  format.nAvgBytesPerSec = kRate * format.nBlockAlign;
  if (::waveOutOpen(&g_tone.device, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(g_tone.event),
                    0, CALLBACK_EVENT) != MMSYSERR_NOERROR) {
    return false;
  }
  for (std::size_t i = 0; i < kBufferCount; ++i) {
    g_tone.buffers[i].resize(kFramesPerBuffer * kChannels);
    WAVEHDR& header = g_tone.headers[i];
    header.lpData = reinterpret_cast<LPSTR>(g_tone.buffers[i].data());
    header.dwBufferLength = static_cast<DWORD>(g_tone.buffers[i].size() * sizeof(std::int16_t));
    if (::waveOutPrepareHeader(g_tone.device, &header, sizeof header) != MMSYSERR_NOERROR) return false;
  }
  return Play();
}

void AddButton(HWND window) {
  ::CreateWindowExW(0, L"BUTTON", L"Tone", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 16,
                    8, 65, 20, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kButtonId)),
                    ::GetModuleHandleW(nullptr), nullptr);
}

void OnCommand(HWND window, WPARAM wParam, LPARAM) {
  if (LOWORD(wParam) != kButtonId || HIWORD(wParam) != BN_CLICKED || g_tone.device) return;
  // A tone that cannot play is reported by closing the window at once: the
  // driver then sees no sound and says so.
  if (!StartTone()) ::DestroyWindow(window);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  return bench::RunReferenceWindow(L"Music", {.created = AddButton, .command = OnCommand});
}
