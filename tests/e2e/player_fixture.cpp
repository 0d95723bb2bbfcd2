#include "tests/e2e/player_fixture.h"

#include <algorithm>
#include <vector>

#include "tests/e2e/fixture_paths.h"
#include "tests/e2e/sound_capture.h"
#include "tests/e2e/window_probe.h"

namespace e2e {
namespace {

constexpr std::size_t kAnalysisWindow = 8192;
constexpr double kSilenceRms = 50.0;
// From the first sound after a click to where its tone is read: past what
// the device still played of an earlier track when the click arrived.
constexpr std::size_t kSettleSamples = kCaptureRate / 4;

}  // namespace

int TitleBarIconPixels(HWND window) {
  // The caption strip just above the client area, inside the side borders.
  const RECT client = ClientRectOnScreen(window);
  const int captionTop = client.top - ::GetSystemMetrics(SM_CYCAPTION) + 1;
  int grey = 0;
  for (int y = captionTop; y < client.top - 1; ++y) {
    for (int x = client.left; x < client.left + 20; ++x) {
      const COLORREF c = ScreenPixel(x, y);
      const int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
      const int spread = std::max({r, g, b}) - std::min({r, g, b});
      if (spread < 24 && r > 40 && r < 235) ++grey;
    }
  }
  return grey;
}

HWND WindowWithCaption(DWORD pid, const std::wstring& caption) {
  for (HWND hwnd : TopLevelWindows(pid, kFormClass)) {
    if (TextOf(hwnd) == caption) return hwnd;
  }
  return nullptr;
}

void PlayerFixture::SetUp() {
  velk_.reset();
  EmptyFolder(kDiscRoot);
  CopyFileTo(BuiltFile(L"player\\Velk.exe"), kDiscRoot + L"Velk.exe");
  for (int k = 1; k <= 5; ++k) {
    const std::wstring name = L"music" + std::to_wstring(k) + L".mp3";
    CopyFileTo(BuiltFile(L"tests\\e2e\\music\\" + name), kDiscRoot + name);
  }
}

HWND PlayerFixture::Start(const std::wstring& currentFolder) {
  velk_ = std::make_unique<ProgramUnderTest>(kDiscRoot + L"Velk.exe", currentFolder);
  HWND player = nullptr;
  WaitUntil([&] { return (player = WindowWithCaption(velk_->pid(), L"Music")) != nullptr; },
            15000);
  ::Sleep(300);  // let the first paint reach the screen
  return player;
}

HWND PlayerFixture::About() const { return WindowWithCaption(velk_->pid(), L"VOLN"); }

HWND PlayerFixture::Button(HWND player, const std::wstring& text) {
  const HWND button = ChildByText(player, text);
  EXPECT_NE(button, nullptr) << "no button reads " << ToUtf8(text);
  return button;
}

int PlayerFixture::ToneAfterClicking(HWND button, std::span<const double> tones) {
  const std::uint64_t mark = CaptureMark();
  PostClick(button);
  std::vector<float> sound;
  std::size_t start = 0;
  WaitUntil([&] {
    sound = CapturedSince(mark);
    start = FirstSound(sound) + kSettleSamples;
    return start + kAnalysisWindow <= sound.size();
  }, 8000);
  if (start + kAnalysisWindow > sound.size()) return -1;
  const auto window = std::span(sound).subspan(start, kAnalysisWindow);
  if (Rms(window) < kSilenceRms) return -1;
  return static_cast<int>(StrongestFrequency(window, tones));
}

bool PlayerFixture::WaitForTone(int tone, DWORD timeoutMs) {
  const std::uint64_t mark = CaptureMark();
  return WaitUntil([&] {
    const std::vector<float> sound = LastSound(CapturedSince(mark), kAnalysisWindow);
    return sound.size() == kAnalysisWindow && Rms(sound) >= kSilenceRms &&
           StrongestFrequency(sound, kTones) == static_cast<std::size_t>(tone);
  }, timeoutMs);
}

bool PlayerFixture::StaysSilent() {
  ::Sleep(500);
  const std::uint64_t mark = CaptureMark();
  ::Sleep(1000);
  return Rms(CapturedSince(mark)) < kSilenceRms;
}

bool PlayerFixture::Responsive(HWND hwnd) {
  DWORD_PTR result = 0;
  return ::SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &result) != 0;
}

}  // namespace e2e
