// A track plays to its very end, then falls silent; a click after the end
// plays it again. ending.mp3 (1 s of 640 Hz, then half a second of 1300 Hz)
// stands in for music3.mp3: its last half-second must be heard whole.
#include <windows.h>

#include <cstdlib>
#include <vector>

#include <gtest/gtest.h>

#include "tests/e2e/fixture_paths.h"
#include "tests/e2e/player_fixture.h"
#include "tests/e2e/sound_capture.h"
#include "tests/e2e/window_probe.h"

namespace e2e {
namespace {

constexpr double kEndingTones[] = {640, 1300};
constexpr std::size_t kTrackSamples = kCaptureRate * 3 / 2;  // 1.5 s of sound
// What the coding blurs at the sound's two edges; a lost last frame (1152
// samples) or device buffer (5512) is far more.
constexpr std::size_t kEdgeSlack = 300;
constexpr std::size_t kWindow = 4096;

using TrackEndTest = PlayerFixture;

TEST_F(TrackEndTest, LastHalfSecondPlaysWholeThenSilenceAndAClickPlaysItAgain) {
  CopyFileTo(BuiltFile(L"tests\\e2e\\music\\ending.mp3"), kDiscRoot + L"music3.mp3");
  const HWND player = Start();
  ASSERT_NE(player, nullptr);
  const HWND track3 = Button(player, kButtons[2].text);

  const std::uint64_t mark = CaptureMark();
  PostClick(track3);
  std::vector<float> sound;
  // Once the sound has begun, it has ended when the capture holds half a
  // second of sound after the track's length (silence or nothing at all).
  WaitUntil([&] {
    sound = CapturedSince(mark);
    return FirstSound(sound) + kTrackSamples + kCaptureRate / 2 <= sound.size();
  }, 6000);
  ::Sleep(1000);
  sound = CapturedSince(mark);
  const std::size_t first = FirstSound(sound);
  ASSERT_LT(first, sound.size()) << "the track sounded";
  const std::size_t end = first + LastSound(std::span(sound).subspan(first), sound.size()).size();
  const std::size_t length = end - first;
  EXPECT_LE(static_cast<std::size_t>(std::abs(static_cast<long long>(length) - static_cast<long long>(kTrackSamples))),
            kEdgeSlack)
      << "sound for " << length << " samples, the track holds " << kTrackSamples;
  for (std::size_t at = end - 4 * kWindow; at + kWindow <= end; at += kWindow) {
    EXPECT_EQ(StrongestFrequency(std::span(sound).subspan(at, kWindow), kEndingTones), 1u)
        << "the last half-second's tone, " << end - at << " samples before the end";
  }
  EXPECT_TRUE(StaysSilent()) << "silence after the end";
  EXPECT_TRUE(TopLevelWindows(velk_->pid(), L"#32770").empty()) << "no error report";

  EXPECT_EQ(ToneAfterClicking(track3, kEndingTones), 0) << "a click after the end plays from the start";
}

}  // namespace
}  // namespace e2e
