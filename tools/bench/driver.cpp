// Drives the measurement of the player against its reference programs
// inside a Wine virtual desktop, and prints one line per figure for
// tools/measure-player.sh, which also samples the processes' CPU time from
// /proc while playback runs:
//
//   paint LABEL MS                    start to first paint
//   idle-working-set LABEL KIB        a second after the first paint
//   sound LABEL DATA_MS SOUND_MS      click to first data / first loud sample
//   cpu-begin LABEL PID               playback runs; sample the CPU time now
//   cpu-end LABEL PID                 ... and now, SECONDS later
//   playing-working-set LABEL KIB     at the end of that playback
//   error TEXT
//
// Pairs are interleaved, and the order within a pair alternates, so that
// the machine's changing load falls on both programs alike.
//
// usage: bench_driver PLAYER BARE_WINDOW BARE_TONE CAPTURE PAINT_PAIRS PLAY_PAIRS SECONDS
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <exception>
#include <stdexcept>
#include <string>

#include "tools/bench/capture_watch.h"
#include "tools/bench/launched_program.h"

namespace {

// A client point on the first track button of the player, and on the tone
// program's button, which sits in the same place.
constexpr POINT kButtonPoint = {40, 18};
constexpr DWORD kSettleMs = 1000;
constexpr DWORD kSampleGraceMs = 500;  // time for the script to read /proc
// A program's process may still be tearing down when its handle signals:
// let that finish before the next start.
constexpr DWORD kAfterCloseMs = 500;

struct Subject {
  const char* label;
  std::wstring exe;
};

void Print(const char* format, auto... values) {
  std::printf(format, values...);
  std::fflush(stdout);
}

void MeasurePaint(const Subject& subject) {
  bench::LaunchedProgram program(subject.exe);
  Print("paint %s %.1f\n", subject.label, program.WaitForFirstPaint());
  ::Sleep(kSettleMs);
  if (const auto kib = program.WorkingSetKiB()) {
    Print("idle-working-set %s %llu\n", subject.label, static_cast<unsigned long long>(*kib));
  }
  program.Close();
  ::Sleep(kAfterCloseMs);
}

void MeasurePlayback(const Subject& subject, const std::wstring& capture, DWORD seconds) {
  bench::LaunchedProgram program(subject.exe);
  program.WaitForFirstPaint();
  ::Sleep(kSettleMs);
  const HWND button = ::ChildWindowFromPointEx(program.window(), kButtonPoint,
                                               CWP_SKIPINVISIBLE | CWP_SKIPDISABLED);
  if (!button || button == program.window()) throw std::runtime_error("no button to click");

  const bench::CaptureWatch watch(capture);
  const bench::Stopwatch sinceClick;
  ::PostMessageW(button, BM_CLICK, 0, 0);
  const bench::FirstSound first = watch.WaitForSound(sinceClick);
  Print("sound %s %.1f %.1f\n", subject.label, first.dataMs, first.soundMs);

  ::Sleep(kSettleMs);
  Print("cpu-begin %s %lu\n", subject.label, program.pid());
  ::Sleep(seconds * 1000);
  Print("cpu-end %s %lu\n", subject.label, program.pid());
  ::Sleep(kSampleGraceMs);
  if (const auto kib = program.WorkingSetKiB()) {
    Print("playing-working-set %s %llu\n", subject.label, static_cast<unsigned long long>(*kib));
  }
  program.Close();
  ::Sleep(kAfterCloseMs);
}

int Run(int argc, wchar_t** argv) {
  if (argc != 8) {
    Print("error usage: bench_driver PLAYER BARE_WINDOW BARE_TONE CAPTURE PAINT_PAIRS PLAY_PAIRS SECONDS\n");
    return 2;
  }
  const Subject player{"player", argv[1]};
  const Subject window{"window", argv[2]};
  const Subject tone{"tone", argv[3]};
  const std::wstring capture = argv[4];
  const int paintPairs = std::wcstol(argv[5], nullptr, 10);
  const int playPairs = std::wcstol(argv[6], nullptr, 10);
  const auto seconds = static_cast<DWORD>(std::wcstoul(argv[7], nullptr, 10));

  // One start of each first, not counted: the first start of a program
  // reads its files from disk.
  for (const Subject* subject : {&player, &window}) {
    bench::LaunchedProgram program(subject->exe);
    program.WaitForFirstPaint();
    program.Close();
  }
  for (int pair = 0; pair < paintPairs; ++pair) {
    const bool playerFirst = pair % 2 == 0;
    MeasurePaint(playerFirst ? player : window);
    MeasurePaint(playerFirst ? window : player);
  }
  for (int pair = 0; pair < playPairs; ++pair) {
    const bool playerFirst = pair % 2 == 0;
    MeasurePlayback(playerFirst ? player : tone, capture, seconds);
    MeasurePlayback(playerFirst ? tone : player, capture, seconds);
  }
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::exception& error) {
    Print("error %s\n", error.what());
    return 1;
  }
}
