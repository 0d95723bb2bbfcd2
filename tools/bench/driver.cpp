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
//   switch LABEL MS                   a player only: a click on the second
//                                     track while the first plays, until the
//                                     player's window has carried it out
//                                     (Open and Play)
//   stop LABEL MS                     a click on Stop a second later, alike
//   error TEXT
//
// Start-up pairs (player, bare window) are interleaved, and the order within
// a pair alternates; playback rounds (player, bare tone, ring tone, and a
// second player to compare with when one is given) rotate their order the
// same way, so that the machine's changing load falls on all programs alike.
//
// usage: bench_driver PLAYER BARE_WINDOW BARE_TONE RING_TONE CAPTURE PAINT_PAIRS PLAY_ROUNDS SECONDS
//                     [COMPARED_PLAYER]
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

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
// The player's second track button and its Stop button, by their text.
constexpr wchar_t kSecondTrack[] = L"\u6885\u82b1\u4e09\u5f04";
constexpr wchar_t kStop[] = L"\u505c\u6b62";

struct Subject {
  const char* label;
  std::wstring exe;
  bool isPlayer = false;
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

// Sends a click to the child of `window` that reads `text` and gives the
// milliseconds until the program's window has carried it out: a button's
// click notifies its window within the sent message.
double SendClick(HWND window, const wchar_t* text) {
  const HWND button = ::FindWindowExW(window, nullptr, nullptr, text);
  if (!button) throw std::runtime_error("no button to click");
  const bench::Stopwatch clock;
  ::SendMessageW(button, BM_CLICK, 0, 0);
  return clock.ElapsedMs();
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
  if (subject.isPlayer) {
    Print("switch %s %.2f\n", subject.label, SendClick(program.window(), kSecondTrack));
    ::Sleep(kSettleMs);
    Print("stop %s %.2f\n", subject.label, SendClick(program.window(), kStop));
  }
  program.Close();
  ::Sleep(kAfterCloseMs);
}

int Run(int argc, wchar_t** argv) {
  if (argc != 9 && argc != 10) {
    Print("error usage: bench_driver PLAYER BARE_WINDOW BARE_TONE RING_TONE CAPTURE PAINT_PAIRS PLAY_ROUNDS "
          "SECONDS [COMPARED_PLAYER]\n");
    return 2;
  }
  const Subject player{"player", argv[1], true};
  const Subject window{"window", argv[2]};
  const Subject tone{"tone", argv[3]};
  const Subject ring{"ring", argv[4]};
  const std::wstring capture = argv[5];
  const int paintPairs = std::wcstol(argv[6], nullptr, 10);
  const int playRounds = std::wcstol(argv[7], nullptr, 10);
  const auto seconds = static_cast<DWORD>(std::wcstoul(argv[8], nullptr, 10));

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
  std::vector<const Subject*> players = {&player, &tone, &ring};
  const Subject compared{"compared", argc == 10 ? argv[9] : L"", true};
  if (argc == 10) players.push_back(&compared);
  for (int round = 0; round < playRounds; ++round) {
    for (std::size_t turn = 0; turn < players.size(); ++turn) {
      MeasurePlayback(*players[(round + turn) % players.size()], capture, seconds);
    }
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
