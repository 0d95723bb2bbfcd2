// What the player's end-to-end tests share: Velk.exe with five test tones as
// music1.mp3 .. music5.mp3 at the root of drive E:, its windows and buttons,
// and the sound it plays, read back from the capture.
#pragma once

#include <windows.h>

#include <array>
#include <memory>
#include <span>
#include <string>

#include <gtest/gtest.h>

#include "tests/e2e/program_under_test.h"

namespace e2e {

inline constexpr wchar_t kFormClass[] = L"RtForm";
inline const std::wstring kDiscRoot = L"E:\\";
// music1.mp3 .. music5.mp3 as make-tones.sh makes them: track k + 1 opens
// with kTones[k] for kOpeningSeconds, then holds kTones[kLater + k] to its
// end, so that a track that starts again is told from one that goes on.
inline constexpr double kOpeningSeconds = 1.5;
inline constexpr int kLater = 5;
inline constexpr std::array<double, 10> kTones = {300, 450, 600, 800, 1000, 380, 520, 690, 900, 1150};

struct ButtonLayout {
  const wchar_t* text;  // what the face reads: the button's window text
  const wchar_t* face;  // its picture below the source tree
  int left, top;        // client pixels
};
inline const ButtonLayout kButtons[] = {
    {L"朝元歌", L"assets\\mp3play\\command1.bmp", 16, 8},
    {L"梅花三弄", L"assets\\mp3play\\command2.bmp", 96, 8},
    {L"寒鴉戲水", L"assets\\mp3play\\command3.bmp", 176, 8},
    {L"陽春白雪", L"assets\\mp3play\\command4.bmp", 256, 8},
    {L"行街", L"assets\\mp3play\\command5.bmp", 16, 48},
    {L"停止", L"assets\\mp3play\\command6.bmp", 96, 48},
    {L"關于", L"assets\\mp3play\\command7.bmp", 176, 48},
    {L"退出", L"assets\\mp3play\\command8.bmp", 256, 48},
};
inline const std::wstring kStop = L"停止";
inline const std::wstring kAbout = L"關于";
inline const std::wstring kExit = L"退出";

// Pixels of the title bar's icon area that are grey (red, green and blue
// close together), as the compact-disc icon is and the blue title bar and
// its white text are not.
int TitleBarIconPixels(HWND window);

HWND WindowWithCaption(DWORD pid, const std::wstring& caption);

class PlayerFixture : public testing::Test {
 protected:
  // Lays out E:\ afresh; ends a player a previous case left running.
  void SetUp() override;

  // Starts E:\Velk.exe and waits for its window.
  HWND Start(const std::wstring& currentFolder = kDiscRoot);
  HWND About() const;
  HWND Button(HWND player, const std::wstring& text);

  // Clicks `button` and returns the index in `tones` of the tone that
  // sounds right after: a quarter of a second into the first sound that
  // arrives. -1 when nothing but silence arrives.
  int ToneAfterClicking(HWND button, std::span<const double> tones = kTones);
  // True once the latest sound captured is kTones[tone], within `timeoutMs`.
  static bool WaitForTone(int tone, DWORD timeoutMs);
  // True when, after a settling pause, the capture stays silent.
  static bool StaysSilent();
  // True while the window answers a message within a second.
  static bool Responsive(HWND hwnd);

  std::unique_ptr<ProgramUnderTest> velk_;
};

}  // namespace e2e
