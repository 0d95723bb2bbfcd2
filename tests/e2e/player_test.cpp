// Velk.exe driven end to end from the root of drive E: its two windows as
// described, the tone each button plays (captured from the sound device),
// Stop, About, the close boxes and Exit.
#include <windows.h>

#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/e2e/bitmap_file.h"
#include "tests/e2e/player_fixture.h"
#include "tests/e2e/fixture_paths.h"
#include "tests/e2e/program_under_test.h"
#include "tests/e2e/sound_capture.h"
#include "tests/e2e/window_probe.h"

namespace e2e {
namespace {

using PlayerTest = PlayerFixture;

TEST_F(PlayerTest, WindowIsAFixedSingleWindowInTheTaskbar) {
  const HWND player = Start();
  ASSERT_NE(player, nullptr);
  const LONG style = ::GetWindowLongW(player, GWL_STYLE);
  const LONG exStyle = ::GetWindowLongW(player, GWL_EXSTYLE);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & (WS_MAXIMIZEBOX | WS_THICKFRAME));
  EXPECT_FALSE(exStyle & (WS_EX_TOOLWINDOW | WS_EX_DLGMODALFRAME));
  EXPECT_EQ(::GetWindow(player, GW_OWNER), nullptr) << "unowned, so in the taskbar";
  EXPECT_GE(TitleBarIconPixels(player), 10) << "the compact-disc icon in the title bar";

  const RECT client = ClientRectOnScreen(player);
  EXPECT_EQ(Width(client), 338);
  EXPECT_EQ(Height(client), 79);

  for (const ButtonLayout& expected : kButtons) {
    const HWND button = Button(player, expected.text);
    ASSERT_NE(button, nullptr);
    const RECT r = ClientRectIn(button, player);
    EXPECT_EQ(r.left, expected.left) << ToUtf8(expected.text);
    EXPECT_EQ(r.top, expected.top) << ToUtf8(expected.text);
    EXPECT_EQ(Width(r), 65) << ToUtf8(expected.text);
    EXPECT_EQ(Height(r), 20) << ToUtf8(expected.text);
  }
  // Stored order is stacking order: Command8 first; the component's host
  // comes last and is never shown.
  const std::vector<HWND> children = ChildWindows(player);
  ASSERT_EQ(children.size(), 9u);
  EXPECT_EQ(TextOf(children.front()), kExit);
  EXPECT_FALSE(::IsWindowVisible(children.back())) << "the player host is hidden";
  EXPECT_EQ(FocusedWindow(player), Button(player, L"朝元歌")) << "first focus";

  // Keyboard order follows the tab indices, not the stacking order.
  PressKey(player, VK_TAB);
  EXPECT_TRUE(WaitUntil([&] { return FocusedWindow(player) == Button(player, L"梅花三弄"); }, 2000));
  PressKey(player, VK_TAB, true);
  PressKey(player, VK_TAB, true);
  EXPECT_TRUE(WaitUntil([&] { return FocusedWindow(player) == Button(player, kExit); }, 2000))
      << "Shift+Tab from the first button wraps to the last";
}

TEST_F(PlayerTest, DrawsBackgroundAndFaces) {
  const HWND player = Start();
  ASSERT_NE(player, nullptr);
  const COLORREF blue = RGB(0x47, 0x7A, 0xCB);
  for (POINT p : {POINT{0, 0}, POINT{8, 40}, POINT{337, 78}, POINT{90, 30}, POINT{330, 4}}) {
    EXPECT_EQ(ClientPixel(player, p.x, p.y), blue) << "background at " << p.x << "," << p.y;
  }
  // Each 60x15 face sits whole inside its 65x20 button's frame, at (2, 2).
  for (const ButtonLayout& expected : kButtons) {
    const BitmapFile face(SourceFile(expected.face));
    ASSERT_EQ(face.width(), 60);
    ASSERT_EQ(face.height(), 15);
    const HWND button = Button(player, expected.text);
    const bool focused = std::wstring(expected.text) == L"朝元歌";
    for (int fy = 0; fy < 15; ++fy) {
      for (int fx = 0; fx < 60; fx += 2) {
        if (focused && (fx == 1 || fx == 59 || fy == 1 || fy == 14)) continue;  // focus marker
        ASSERT_EQ(ClientPixel(button, 2 + fx, 2 + fy), face.Pixel(fx, fy))
            << ToUtf8(expected.text) << " face pixel " << fx << "," << fy;
      }
    }
  }
}

TEST_F(PlayerTest, EachTrackButtonPlaysItsOwnFile) {
  const HWND player = Start();
  ASSERT_NE(player, nullptr);
  for (int k = 0; k < 5; ++k) {
    EXPECT_EQ(ToneAfterClicking(Button(player, kButtons[k].text)), k)
        << "track button " << k + 1;
  }
}

TEST_F(PlayerTest, StopSilencesAndIsHarmlessBeforeAnyTrack) {
  const HWND player = Start();
  ASSERT_NE(player, nullptr);
  PostClick(Button(player, kStop));
  EXPECT_TRUE(StaysSilent());
  EXPECT_TRUE(Responsive(player));
  EXPECT_TRUE(TopLevelWindows(velk_->pid(), L"#32770").empty()) << "no error report";

  EXPECT_EQ(ToneAfterClicking(Button(player, L"寒鴉戲水")), 2);
  PostClick(Button(player, kStop));
  EXPECT_TRUE(StaysSilent()) << "Stop while playing";
  EXPECT_EQ(ToneAfterClicking(Button(player, L"寒鴉戲水")), 2) << "plays again after Stop";
}

TEST_F(PlayerTest, ANewTrackSwitchesTheSoundAndTheSameTrackRestarts) {
  const HWND player = Start();
  ASSERT_NE(player, nullptr);
  // Each click comes once the track before has gone on to its second tone,
  // which is what would still sound were the click lost.
  EXPECT_EQ(ToneAfterClicking(Button(player, L"朝元歌")), 0);
  ASSERT_TRUE(WaitForTone(kLater + 0, 5000)) << "track 1 goes on to its second tone";
  EXPECT_EQ(ToneAfterClicking(Button(player, L"陽春白雪")), 3) << "a new track starts at once";
  ASSERT_TRUE(WaitForTone(kLater + 3, 5000)) << "track 4 goes on to its second tone";
  EXPECT_EQ(ToneAfterClicking(Button(player, L"陽春白雪")), 3) << "the same track starts again";
  EXPECT_EQ(ToneAfterClicking(Button(player, L"行街")), 4);
}

TEST_F(PlayerTest, MissingOrBrokenMusicPlaysNothingAndReportsNothing) {
  struct Case {
    const char* what;
    const wchar_t* file;
    const char* contents;  // null: the file is absent
  };
  const Case cases[] = {
      {"missing file", L"music2.mp3", nullptr},
      {"text instead of MP3", L"music2.mp3", "this is not an MP3 stream, only some text\r\n"},
      {"empty file", L"music2.mp3", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetUp();
    ::DeleteFileW((kDiscRoot + c.file).c_str());
    if (c.contents) WriteBytes(kDiscRoot + c.file, c.contents);
    const HWND player = Start();
    ASSERT_NE(player, nullptr);
    EXPECT_EQ(ToneAfterClicking(Button(player, L"梅花三弄")), -1);
    EXPECT_TRUE(Responsive(player));
    EXPECT_TRUE(TopLevelWindows(velk_->pid(), L"#32770").empty()) << "no error report";
    EXPECT_TRUE(velk_->IsRunning());
    EXPECT_EQ(ToneAfterClicking(Button(player, L"朝元歌")), 0) << "a good track plays after";
  }
}

TEST_F(PlayerTest, AboutOpensOneModelessWindowThatCanOpenAgain) {
  const HWND player = Start();
  ASSERT_NE(player, nullptr);
  const HWND aboutButton = Button(player, kAbout);
  PostClick(aboutButton);
  HWND about = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (about = About()) != nullptr; }, 5000));
  EXPECT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == about; }, 2000)) << "activated";

  const LONG exStyle = ::GetWindowLongW(about, GWL_EXSTYLE);
  EXPECT_TRUE(exStyle & WS_EX_DLGMODALFRAME);
  EXPECT_LT(TitleBarIconPixels(about), 10) << "a dialog frame shows no icon";
  EXPECT_FALSE(::GetWindowLongW(about, GWL_STYLE) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
  const HWND owner = ::GetWindow(about, GW_OWNER);
  EXPECT_NE(owner, player) << "not owned by the player window";
  EXPECT_TRUE(owner != nullptr && !::IsWindowVisible(owner)) << "kept out of the taskbar";
  const RECT client = ClientRectOnScreen(about);
  EXPECT_EQ(Width(client), 329);
  EXPECT_EQ(Height(client), 228);

  // The card fills the client area; its last row is clipped.
  ::Sleep(300);
  const BitmapFile card(SourceFile(L"assets\\frmabout\\card.bmp"));
  for (int y = 70; y < 228; y += 11) {
    for (int x = 0; x < 329; x += 13) {
      ASSERT_EQ(ClientPixel(about, x, y), card.Pixel(x, y)) << "card at " << x << "," << y;
    }
  }
  // Picture1 (81x57 at 8,8, sunken edge) holds Picture2 at its inner origin;
  // Picture2's own edge puts the logo at (12,12), clipped by Picture1's
  // inner area, which ends at row 63: logo rows 0..50 show.
  const BitmapFile logo(SourceFile(L"assets\\frmabout\\logo.bmp"));
  for (int ly = 0; ly <= 50; ly += 5) {
    for (int lx = 0; lx < 73; lx += 6) {
      ASSERT_EQ(ClientPixel(about, 12 + lx, 12 + ly), logo.Pixel(lx, ly))
          << "logo at " << lx << "," << ly;
    }
  }
  const HWND picture1 = ::GetWindow(about, GW_CHILD);
  ASSERT_NE(picture1, nullptr);
  const RECT box = ClientRectIn(picture1, about);
  EXPECT_EQ(box.left, 10);
  EXPECT_EQ(box.top, 10);
  EXPECT_EQ(Width(box), 77);
  EXPECT_EQ(Height(box), 53);

  // A second click activates the same window; no second one opens.
  ::SetForegroundWindow(player);
  PostClick(aboutButton);
  EXPECT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == about; }, 3000));
  EXPECT_EQ(TopLevelWindows(velk_->pid(), kFormClass).size(), 2u);

  PostClose(about);
  ASSERT_TRUE(WaitUntil([&] { return About() == nullptr; }, 3000));
  EXPECT_TRUE(velk_->IsRunning());
  PostClick(aboutButton);
  EXPECT_TRUE(WaitUntil([&] { return About() != nullptr; }, 5000)) << "loads again";
}

TEST_F(PlayerTest, ClosingThePlayerFirstStopsSoundAndKeepsAboutOpen) {
  const HWND player = Start();
  ASSERT_NE(player, nullptr);
  PostClick(Button(player, kAbout));
  ASSERT_TRUE(WaitUntil([&] { return About() != nullptr; }, 5000));
  EXPECT_EQ(ToneAfterClicking(Button(player, L"朝元歌")), 0);

  PostClose(player);
  ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(player); }, 3000));
  EXPECT_TRUE(StaysSilent()) << "the component goes with its window";
  EXPECT_TRUE(velk_->IsRunning());
  const HWND about = About();
  ASSERT_NE(about, nullptr);

  PostClose(about);
  ASSERT_TRUE(velk_->WaitForExit()) << "the last window closed ends the program";
  EXPECT_EQ(velk_->ExitCode(), 0u);
}

TEST_F(PlayerTest, ExitEndsAtOnceWithEveryWindow) {
  const HWND player = Start();
  ASSERT_NE(player, nullptr);
  PostClick(Button(player, kAbout));
  ASSERT_TRUE(WaitUntil([&] { return About() != nullptr; }, 5000));
  EXPECT_EQ(ToneAfterClicking(Button(player, L"行街")), 4);

  PostClick(Button(player, kExit));
  ASSERT_TRUE(velk_->WaitForExit(3000));
  EXPECT_EQ(velk_->ExitCode(), 0u);
  EXPECT_TRUE(TopLevelWindows(velk_->pid()).empty());
  EXPECT_TRUE(StaysSilent());
}

}  // namespace
}  // namespace e2e
