// Many clicks as fast as they can be sent: a thousand track clicks with Stop
// between, and three hundred About open/close cycles. The player must stay
// responsive, and what it holds must come back to where it started.
#include <windows.h>

#include <cstdio>

#include <gtest/gtest.h>

#include "tests/e2e/player_fixture.h"
#include "tests/e2e/process_counters.h"
#include "tests/e2e/program_under_test.h"
#include "tests/e2e/window_probe.h"

namespace e2e {
namespace {

// Growth allowed over a whole run: heap fragmentation and caches, far below
// what a leak per click (a decoder, a device, a window's pictures) adds up to
// over hundreds of clicks.
constexpr std::uint64_t kWorkingSetSlackBytes = 6u << 20;
constexpr std::uint32_t kHandleSlack = 8;

using StressTest = PlayerFixture;

ProcessCounters Settled(const ProgramUnderTest& program, HANDLE process) {
  ::Sleep(1500);
  return ReadCounters(process, program.pid());
}

void Report(const char* what, const ProcessCounters& before, const ProcessCounters& after) {
  std::printf("[ STRESS   ] %s: working set %llu -> %llu KiB, handles %u -> %u, threads %u -> %u\n",
              what, static_cast<unsigned long long>(before.workingSetBytes >> 10),
              static_cast<unsigned long long>(after.workingSetBytes >> 10), before.handles,
              after.handles, before.threads, after.threads);
}

TEST_F(StressTest, ThousandTrackClicksWithStopsBetween) {
  const HWND player = Start();
  ASSERT_NE(player, nullptr);
  const HANDLE process = ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, velk_->pid());
  ASSERT_NE(process, nullptr);
  HWND tracks[5];
  for (int k = 0; k < 5; ++k) tracks[k] = Button(player, kButtons[k].text);
  const HWND stop = Button(player, kStop);

  // Warm up: the first track loads the sound system and opens the device.
  EXPECT_EQ(ToneAfterClicking(tracks[0]), 0);
  PostClick(stop);
  const ProcessCounters before = Settled(*velk_, process);

  for (int click = 0; click < 1000; ++click) {
    PostClick(tracks[click % 5]);
    PostClick(stop);
    if (click % 50 == 49) {
      ASSERT_TRUE(Responsive(player)) << "after click " << click + 1;
    }
  }
  // A message sent to the window is taken before posted ones, so it cannot
  // tell when the clicks are done. A Tab key posted behind them can: Stop,
  // clicked last, has the focus, and Tab moves it on to About.
  const ULONGLONG posted = ::GetTickCount64();
  ::PostMessageW(stop, WM_KEYDOWN, VK_TAB, 0);
  ASSERT_TRUE(WaitUntil([&] { return FocusedWindow(player) == Button(player, kAbout); }, 300000))
      << "the posted clicks were not all taken";
  std::printf("[ STRESS   ] 2000 posted clicks taken %llu ms after the last was posted\n",
              static_cast<unsigned long long>(::GetTickCount64() - posted));
  const ProcessCounters after = Settled(*velk_, process);
  Report("1000 track clicks", before, after);

  EXPECT_TRUE(velk_->IsRunning());
  EXPECT_TRUE(TopLevelWindows(velk_->pid(), L"#32770").empty());
  EXPECT_LE(after.workingSetBytes, before.workingSetBytes + kWorkingSetSlackBytes);
  EXPECT_LE(after.handles, before.handles + kHandleSlack);
  EXPECT_LE(after.threads, before.threads);
  EXPECT_TRUE(StaysSilent()) << "the last click was Stop";
  EXPECT_EQ(ToneAfterClicking(tracks[2]), 2) << "still plays";
  ::CloseHandle(process);
}

TEST_F(StressTest, ThreeHundredAboutCycles) {
  const HWND player = Start();
  ASSERT_NE(player, nullptr);
  const HANDLE process = ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, velk_->pid());
  ASSERT_NE(process, nullptr);
  const HWND aboutButton = Button(player, kAbout);
  const auto cycle = [&] {
    PostClick(aboutButton);
    HWND about = nullptr;
    if (!WaitUntil([&] { return (about = About()) != nullptr; }, 5000)) return false;
    PostClose(about);
    return WaitUntil([&] { return About() == nullptr; }, 5000);
  };
  ASSERT_TRUE(cycle()) << "warm-up cycle";
  const ProcessCounters before = Settled(*velk_, process);
  for (int i = 0; i < 300; ++i) ASSERT_TRUE(cycle()) << "cycle " << i + 1;
  const ProcessCounters after = Settled(*velk_, process);
  Report("300 About cycles", before, after);

  EXPECT_TRUE(Responsive(player));
  EXPECT_LE(after.workingSetBytes, before.workingSetBytes + kWorkingSetSlackBytes);
  EXPECT_LE(after.handles, before.handles + kHandleSlack);
  ::CloseHandle(process);
}

}  // namespace
}  // namespace e2e
