// Both programs at the display scale the harness set (LogPixels, read by
// every process at its start; tools/run-e2e.sh runs these cases at 96, 108,
// 120, 144, 192 and 240 dpi): each window's client area and every control's
// rectangle are its description converted at that scale, the pixels are
// those of the art drawn for that scale (between scales, of the next larger
// drawing reduced to size), lettering stays as sharp as the
// art, the button frame, pressed shift, focus marker and box edge grow with
// the scale, and a WM_DPICHANGED (sent by hand: Wine never sends it)
// relayouts and redraws the window at the new scale, also when it arrives
// while the window is minimized. Then the runtime probe on screens of other
// scales than Wine's one (a fake table of screens, Wine has one scale for
// all): each window laid out for the scale of the screen it goes on before
// it shows, in one consistent layout even when a WM_DPICHANGED arrives
// while it is being placed, and on Windows 8.1 (no per-window scale) at the
// scale of its screen.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/e2e/art_picture.h"
#include "tests/e2e/fixture_paths.h"
#include "tests/e2e/player_fixture.h"
#include "tests/e2e/program_under_test.h"
#include "tests/e2e/runtime_probe/probe_modes.h"
#include "tests/e2e/scale_helpers.h"
#include "tests/e2e/window_probe.h"

namespace e2e {
namespace {

// The descriptions, as stored: client sizes and control rectangles.
constexpr Twips kLauncherClient = {0, 0, 5415, 6735};
constexpr Twips kSimplifiedButton = {720, 5880, 1575, 375};
constexpr Twips kTraditionalButton = {3120, 5880, 1575, 375};
constexpr Twips kPlayerClient = {0, 0, 5070, 1185};
constexpr Twips kAboutClient = {0, 0, 4935, 3420};
constexpr Twips kPicture1 = {120, 120, 1215, 855};
constexpr Twips kPicture2 = {0, 0, 1150, 855};
// Button frame and box edge (2 pixels at 96 dpi), pressed shift and focus
// marker (1 pixel).
constexpr int kEdgeTwips = 30;
constexpr int kPixelTwips = 15;

const std::wstring kSimplified = L"简体版";
const std::wstring kTraditional = L"繁体版";
constexpr COLORREF kLauncherGround = RGB(0xFF, 0xFF, 0xD9);
constexpr COLORREF kPlayerBlue = RGB(0x47, 0x7A, 0xCB);

struct PlayerButton {
  const wchar_t* text;
  const wchar_t* face;
  Twips rect;
};
const PlayerButton kPlayerButtons[] = {
    {L"朝元歌", L"command1", {240, 120, 975, 300}},
    {L"梅花三弄", L"command2", {1440, 120, 975, 300}},
    {L"寒鴉戲水", L"command3", {2640, 120, 975, 300}},
    {L"陽春白雪", L"command4", {3840, 120, 975, 300}},
    {L"行街", L"command5", {240, 720, 975, 300}},
    {L"停止", L"command6", {1440, 720, 975, 300}},
    {L"關于", L"command7", {2640, 720, 975, 300}},
    {L"退出", L"command8", {3840, 720, 975, 300}},
};

// The harness names the scale it set in E2E_DPI; without it, any scale is
// taken.
int ExpectedDpi() {
  wchar_t value[16] = {};
  if (!::GetEnvironmentVariableW(L"E2E_DPI", value, 16)) return TestDpi();
  return std::stoi(value);
}

class DisplayScaleTest : public PlayerFixture {
 protected:
  void SetUp() override {
    PlayerFixture::SetUp();
    CopyFileTo(BuiltFile(L"launcher\\SETUP.exe"), kDiscRoot + L"SETUP.exe");
    dpi_ = TestDpi();
    ASSERT_EQ(dpi_, ExpectedDpi()) << "the test program does not see the scale that was set";
  }

  HWND StartLauncher() {
    launcher_ = std::make_unique<ProgramUnderTest>(kDiscRoot + L"SETUP.exe", kDiscRoot);
    const HWND form = launcher_->WaitForWindow(kFormClass);
    ::Sleep(400);
    return form;
  }

  // The launcher as described at `dpi`: client area, buttons, cover and
  // faces, the frame around each face.
  void ExpectLauncherAt(HWND form, int dpi);
  // The player's window and faces at `dpi`; lettering no softer than the art.
  void ExpectPlayerAt(HWND player, int dpi);

  int dpi_ = 96;
  std::unique_ptr<ProgramUnderTest> launcher_;
};

void DisplayScaleTest::ExpectLauncherAt(HWND form, int dpi) {
  SCOPED_TRACE("launcher at " + std::to_string(dpi) + " dpi");
  const RECT client = ClientRectOnScreen(form);
  EXPECT_EQ(Width(client), Scaled(kLauncherClient.width, dpi));
  EXPECT_EQ(Height(client), Scaled(kLauncherClient.height, dpi));
  const RECT buttons[] = {ScaledRect(kSimplifiedButton, dpi), ScaledRect(kTraditionalButton, dpi)};
  ExpectRect(ClientRectIn(ChildByText(form, kSimplified), form), buttons[0], "simplified button");
  ExpectRect(ClientRectIn(ChildByText(form, kTraditional), form), buttons[1],
             "traditional button");

  const ClientSnapshot shot(form);
  const ArtPicture cover = ArtForDpi(L"form1", L"cover", dpi);
  EXPECT_EQ(cover.width(), Scaled(361 * kPixelTwips, dpi));
  EXPECT_EQ(cover.height(), Scaled(446 * kPixelTwips, dpi));
  const int step = 23 * dpi / 96;
  for (int y = 0; y < cover.height(); y += step) {
    for (int x = 0; x < cover.width(); x += step) {
      const POINT p{x, y};
      if (PtInRect(&buttons[0], p) || PtInRect(&buttons[1], p)) continue;
      ASSERT_EQ(shot.Pixel(x, y), cover.Pixel(x, y)) << "cover at " << x << "," << y;
    }
  }
  for (int y = cover.height(); y < Height(client); ++y) {
    EXPECT_EQ(shot.Pixel(Width(client) / 2, y), RGB(0, 0, 0)) << "below the cover, row " << y;
  }

  // The face is as tall as the button: the frame hides its top and bottom
  // rows, as many as the frame is thick; the face shows from there on.
  const int frame = Scaled(kEdgeTwips, dpi);
  const int marker = Scaled(kPixelTwips, dpi);
  struct Face {
    const wchar_t* name;
    const std::wstring& text;
    bool focused;
  };
  for (const Face& f :
       {Face{L"command1", kSimplified, true}, Face{L"command2", kTraditional, false}}) {
    SCOPED_TRACE(ToUtf8(f.text));
    const HWND button = ChildByText(form, f.text);
    ASSERT_NE(button, nullptr);
    const ChildPixels pixels(shot, button, form);
    const ArtPicture face = ArtForDpi(L"form1", f.name, dpi);
    EXPECT_EQ(face.width(), Scaled(100 * kPixelTwips, dpi));
    EXPECT_EQ(face.height(), Scaled(25 * kPixelTwips, dpi));
    const int width = Width(ClientRectOnScreen(button));
    const int height = Height(ClientRectOnScreen(button));
    const RECT inner{frame, frame, width - frame, height - frame};
    const int left = frame + (Width(inner) - face.width()) / 2;
    const int top = frame + (Height(inner) - face.height()) / 2;
    RECT clear = inner;  // inside the focus marker's band
    ::InflateRect(&clear, -2 * marker, -2 * marker);
    for (int y = inner.top; y < inner.bottom; y += 2) {
      for (int x = inner.left; x < inner.right; x += 3) {
        const int fx = x - left;
        const int fy = y - top;
        if (fx < 0 || fx >= face.width() || fy < 0 || fy >= face.height()) continue;
        if (f.focused && !PtInRect(&clear, POINT{x, y})) continue;
        ASSERT_EQ(pixels.Pixel(x, y), face.Pixel(fx, fy)) << "face pixel " << fx << "," << fy;
      }
    }
    for (int y = 0; y < frame; ++y) {
      for (int x = frame; x < width - frame; x += 5) {
        EXPECT_NE(pixels.Pixel(x, y), kLauncherGround)
            << "face over the frame at " << x << "," << y;
        EXPECT_NE(pixels.Pixel(x, height - 1 - y), kLauncherGround)
            << "face over the frame at " << x << "," << height - 1 - y;
      }
    }
    if (!f.focused) continue;
    // The focus marker: a dotted band `marker` pixels wide, `marker` pixels
    // inside the frame, over the face.
    for (int ring = 0; ring < marker; ++ring) {
      const int y = inner.top + marker + ring;
      int changed = 0;
      for (int x = clear.left; x < clear.right; ++x) {
        if (pixels.Pixel(x, y) != face.Pixel(x - left, y - top)) ++changed;
      }
      EXPECT_GT(changed, Width(clear) / 4) << "focus marker row " << y;
    }
    int changedInside = 0;
    for (int x = clear.left; x < clear.right; ++x) {
      if (pixels.Pixel(x, clear.top) != face.Pixel(x - left, clear.top - top)) ++changedInside;
    }
    EXPECT_EQ(changedInside, 0) << "the focus marker is wider than its scale";
  }
}

void DisplayScaleTest::ExpectPlayerAt(HWND player, int dpi) {
  SCOPED_TRACE("player at " + std::to_string(dpi) + " dpi");
  const RECT client = ClientRectOnScreen(player);
  EXPECT_EQ(Width(client), Scaled(kPlayerClient.width, dpi));
  EXPECT_EQ(Height(client), Scaled(kPlayerClient.height, dpi));
  const ClientSnapshot shot(player);
  // The background picture, larger than the window at every scale, is
  // clipped: the far corner shows it too.
  for (POINT p : {POINT{0, 0}, POINT{Width(client) - 1, Height(client) - 1},
                  POINT{Width(client) - 1, 0}, POINT{Scaled(1350, dpi), Scaled(600, dpi)}}) {
    EXPECT_EQ(shot.Pixel(p.x, p.y), kPlayerBlue) << "background at " << p.x << "," << p.y;
  }
  const int frame = Scaled(kEdgeTwips, dpi);
  for (const PlayerButton& b : kPlayerButtons) {
    SCOPED_TRACE(ToUtf8(b.text));
    const HWND button = ChildByText(player, b.text);
    ASSERT_NE(button, nullptr);
    const RECT expected = ScaledRect(b.rect, dpi);
    ExpectRect(ClientRectIn(button, player), expected, "button");
    const ChildPixels pixels(shot, button, player);
    const ArtPicture face = ArtForDpi(L"mp3play", b.face, dpi);
    EXPECT_EQ(face.width(), Scaled(60 * kPixelTwips, dpi));
    EXPECT_EQ(face.height(), Scaled(15 * kPixelTwips, dpi));
    const int left = frame + (Width(expected) - 2 * frame - face.width()) / 2;
    const int top = frame + (Height(expected) - 2 * frame - face.height()) / 2;
    if (std::wstring(b.text) == L"朝元歌") continue;  // carries the focus marker
    // Every pixel of the face is the art's, so the screen shows exactly the
    // art's colours: stretching or smoothing would add others at the edges
    // of the lettering.
    std::set<COLORREF> artColours;
    std::set<COLORREF> shownColours;
    for (int fy = 0; fy < face.height(); ++fy) {
      for (int fx = 0; fx < face.width(); ++fx) {
        artColours.insert(face.Pixel(fx, fy));
        const COLORREF shown = pixels.Pixel(left + fx, top + fy);
        shownColours.insert(shown);
        ASSERT_EQ(shown, face.Pixel(fx, fy)) << "face pixel " << fx << "," << fy;
      }
    }
    // Between the scales the art is drawn at, reduced art has more colours;
    // the pixels above still match it exactly.
    if (IsArtScale(dpi)) {
      EXPECT_EQ(shownColours, artColours);
    }
  }
}

TEST_F(DisplayScaleTest, LauncherIsLaidOutAndDrawnForTheScale) {
  const HWND form = StartLauncher();
  ASSERT_NE(form, nullptr);
  ExpectLauncherAt(form, dpi_);
}

TEST_F(DisplayScaleTest, HeldButtonShiftsItsFaceByTheScaledStep) {
  const HWND form = StartLauncher();
  ASSERT_NE(form, nullptr);
  const HWND button = ChildByText(form, kTraditional);
  ASSERT_NE(button, nullptr);
  const ArtPicture face = ArtForDpi(L"form1", L"command2", dpi_);
  const int frame = Scaled(kEdgeTwips, dpi_);
  const int shift = Scaled(kPixelTwips, dpi_);
  const RECT r = ClientRectOnScreen(button);
  const RECT inner{frame, frame, Width(r) - frame, Height(r) - frame};
  const int left = frame + (Width(inner) - face.width()) / 2 + shift;
  const int top = frame + (Height(inner) - face.height()) / 2 + shift;
  const COLORREF raisedCorner = ChildPixels(ClientSnapshot(form), button, form).Pixel(0, 0);

  DWORD_PTR ignored = 0;
  ::SendMessageTimeoutW(button, BM_SETSTATE, TRUE, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
  ::Sleep(300);
  const ClientSnapshot shot(form);
  const ChildPixels pixels(shot, button, form);
  EXPECT_NE(pixels.Pixel(0, 0), raisedCorner) << "frame looks the same held down";
  for (int y = inner.top; y < inner.bottom; y += 2) {
    for (int x = inner.left; x < inner.right; x += 3) {
      const int fx = x - left;
      const int fy = y - top;
      if (fx < 0 || fx >= face.width() || fy < 0 || fy >= face.height()) continue;
      ASSERT_EQ(pixels.Pixel(x, y), face.Pixel(fx, fy)) << "held face pixel " << fx << "," << fy;
    }
  }
  ::SendMessageTimeoutW(button, BM_SETSTATE, FALSE, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
}

TEST_F(DisplayScaleTest, PlayerIsLaidOutAndDrawnForTheScale) {
  const HWND player = Start();
  ASSERT_NE(player, nullptr);
  ExpectPlayerAt(player, dpi_);
}

TEST_F(DisplayScaleTest, AboutWindowClipsItsCardAndScalesTheBoxEdges) {
  const HWND player = Start();
  ASSERT_NE(player, nullptr);
  PostClick(Button(player, L"關于"));
  HWND about = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (about = About()) != nullptr; }, 5000));
  ::Sleep(400);
  const RECT client = ClientRectOnScreen(about);
  EXPECT_EQ(Width(client), Scaled(kAboutClient.width, dpi_));
  EXPECT_EQ(Height(client), Scaled(kAboutClient.height, dpi_));

  const int edge = Scaled(kEdgeTwips, dpi_);
  const HWND picture1 = ::GetWindow(about, GW_CHILD);
  ASSERT_NE(picture1, nullptr);
  const HWND picture2 = ::GetWindow(picture1, GW_CHILD);
  ASSERT_NE(picture2, nullptr);
  const RECT outer1 = ScaledRect(kPicture1, dpi_);
  ExpectRect(WindowRectIn(picture1, about), outer1, "Picture1");
  RECT inner1 = outer1;
  ::InflateRect(&inner1, -edge, -edge);
  ExpectRect(ClientRectIn(picture1, about), inner1, "Picture1's inner area");
  ExpectRect(WindowRectIn(picture2, picture1), ScaledRect(kPicture2, dpi_), "Picture2");

  // The card is larger than the client area (one row at 96 dpi, more at
  // larger scales): drawn at its own size and clipped, never scaled.
  const ClientSnapshot shot(about);
  const ArtPicture card = ArtForDpi(L"frmabout", L"card", dpi_);
  EXPECT_EQ(card.width(), Scaled(329 * kPixelTwips, dpi_));
  EXPECT_EQ(card.height(), Scaled(229 * kPixelTwips, dpi_));
  EXPECT_GT(card.height(), Height(client));
  const int step = 11 * dpi_ / 96;
  for (int y = inner1.bottom + edge; y < Height(client); y += step) {
    for (int x = 0; x < Width(client); x += step) {
      ASSERT_EQ(shot.Pixel(x, y), card.Pixel(x, y)) << "card at " << x << "," << y;
    }
  }
  EXPECT_EQ(shot.Pixel(Width(client) - 1, Height(client) - 1),
            card.Pixel(Width(client) - 1, Height(client) - 1));
  // The logo sits inside both boxes' edges, clipped by Picture1's inner area.
  const ArtPicture logo = ArtForDpi(L"frmabout", L"logo", dpi_);
  const int logoLeft = inner1.left + edge;
  const int logoTop = inner1.top + edge;
  for (int ly = 0; logoTop + ly < inner1.bottom; ly += 3) {
    for (int lx = 0; lx < logo.width() && logoLeft + lx < inner1.right; lx += 4) {
      ASSERT_EQ(shot.Pixel(logoLeft + lx, logoTop + ly), logo.Pixel(lx, ly))
          << "logo at " << lx << "," << ly;
    }
  }
  // Picture1's edge is as wide as the scale makes it: none of it is card or logo.
  for (int d = 0; d < edge; ++d) {
    const int y = outer1.top + Height(outer1) / 2;
    EXPECT_NE(shot.Pixel(outer1.left + d, y), card.Pixel(outer1.left + d, y))
        << "edge column " << d;
  }
}

TEST_F(DisplayScaleTest, MovingToAnotherScaleRelayoutsAndRedraws) {
  const int other = OtherDpi(dpi_);
  const HWND form = StartLauncher();
  ASSERT_NE(form, nullptr);
  RECT suggested = SuggestedRect(form, dpi_, other);
  ASSERT_NO_FATAL_FAILURE(SendDpiChanged(form, launcher_->pid(), other, suggested));
  const RECT moved = WindowRectOnScreen(form);
  EXPECT_EQ(moved.left, suggested.left);
  EXPECT_EQ(moved.top, suggested.top);
  ExpectLauncherAt(form, other);

  const HWND player = Start();
  ASSERT_NE(player, nullptr);
  suggested = SuggestedRect(player, dpi_, other);
  ASSERT_NO_FATAL_FAILURE(SendDpiChanged(player, velk_->pid(), other, suggested));
  EXPECT_EQ(WindowRectOnScreen(player).left, suggested.left);
  EXPECT_EQ(WindowRectOnScreen(player).top, suggested.top);
  ExpectPlayerAt(player, other);
}

// A WM_DPICHANGED while the window is minimized: it is restored at the new
// scale, frame and all, not at the old frame around the new layout.
TEST_F(DisplayScaleTest, MinimizedWindowIsRestoredAtTheNewScale) {
  const int other = OtherDpi(dpi_);
  const HWND player = Start();
  ASSERT_NE(player, nullptr);
  ::PostMessageW(player, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  ASSERT_TRUE(WaitUntil([&] { return ::IsIconic(player) != FALSE; }, 5000)) << "not minimized";
  ASSERT_NO_FATAL_FAILURE(
      SendDpiChanged(player, velk_->pid(), other, SuggestedRect(player, dpi_, other)));
  ASSERT_TRUE(::IsIconic(player)) << "the scale change restored the window";
  ::PostMessageW(player, WM_SYSCOMMAND, SC_RESTORE, 0);
  ASSERT_TRUE(WaitUntil([&] { return !::IsIconic(player); }, 5000)) << "not restored";
  ::Sleep(400);
  ExpectPlayerAt(player, other);
}

// The runtime probe's drawn form (tests/e2e/runtime_probe/probe_form.cpp).
constexpr Twips kProbeClient = {0, 0, 3000, 1200};
constexpr Twips kProbeButton = {240, 120, 975, 300};
constexpr Twips kProbeBox = {1440, 120, 1215, 855};

int IntegerProperty(HWND window, const wchar_t* name) {
  return static_cast<int>(reinterpret_cast<INT_PTR>(::GetPropW(window, name)));
}

// GetSystemMetricsForDpi, as Wine (and Windows 10 from 1607) answers it.
int SystemMetricForDpi(int index, int dpi) {
  using Function = int(WINAPI*)(int, UINT);
  const auto function = reinterpret_cast<Function>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetSystemMetricsForDpi")));
  return function ? function(index, static_cast<UINT>(dpi)) : 0;
}

// The probe's form laid out in one piece at `dpi`: its client area, its
// button, its box with the box's edge, the scale the runtime says it chose,
// and icons of the sizes `bigIcon` and `smallIcon`.
void ExpectProbeLaidOutAt(HWND form, int dpi, int bigIcon, int smallIcon) {
  SCOPED_TRACE("probe at " + std::to_string(dpi) + " dpi");
  EXPECT_EQ(IntegerProperty(form, probe::kLayoutDpiProperty), dpi) << "the scale it chose";
  const RECT client = ClientRectOnScreen(form);
  EXPECT_EQ(Width(client), Scaled(kProbeClient.width, dpi)) << "client width";
  EXPECT_EQ(Height(client), Scaled(kProbeClient.height, dpi)) << "client height";
  const HWND button = ChildByText(form, probe::kButtonText);
  const HWND box = ChildByText(form, probe::kBoxText);
  ASSERT_NE(button, nullptr);
  ASSERT_NE(box, nullptr);
  ExpectRect(WindowRectIn(button, form), ScaledRect(kProbeButton, dpi), "button");
  const RECT outer = ScaledRect(kProbeBox, dpi);
  ExpectRect(WindowRectIn(box, form), outer, "picture box");
  RECT inner = outer;
  const int edge = Scaled(30, dpi);
  ::InflateRect(&inner, -edge, -edge);
  ExpectRect(ClientRectIn(box, form), inner, "picture box inside its edge");
  EXPECT_EQ(IntegerProperty(form, probe::kBigIconProperty), bigIcon) << "big icon";
  EXPECT_EQ(IntegerProperty(form, probe::kSmallIconProperty), smallIcon) << "small icon";
}

void ExpectCentredOnTheFakePrimaryScreen(HWND form) {
  const RECT frame = WindowRectOnScreen(form);
  const probe::FakeArea& screen = probe::kPrimaryScreen;
  EXPECT_EQ(frame.left, screen.left + (screen.right - screen.left - Width(frame)) / 2)
      << "frame " << Describe(frame);
  EXPECT_EQ(frame.top, screen.top + (screen.bottom - screen.top - Height(frame)) / 2)
      << "frame " << Describe(frame);
}

class DisplayScaleScreens : public testing::Test {
 protected:
  HWND StartProbe(const std::wstring& mode) {
    probe_ = StartRuntimeProbe(mode);
    const HWND form = probe_->WaitForWindow(kFormClass);
    ::Sleep(300);
    return form;
  }

  const int dpi_ = TestDpi();
  std::unique_ptr<ProgramUnderTest> probe_;
};

// Centred on the primary screen, whose scale is not the one Windows created
// the hidden window at: laid out at the primary screen's scale, in its
// middle, before it shows.
TEST_F(DisplayScaleScreens, CentredWindowIsLaidOutForThePrimaryScreenBeforeItShows) {
  const HWND form = StartProbe(L"centred-on-screens");
  ASSERT_NE(form, nullptr);
  const int target = probe::FakeScreenDpi(dpi_);
  ExpectProbeLaidOutAt(form, target, SystemMetricForDpi(SM_CXICON, target),
                       SystemMetricForDpi(SM_CXSMICON, target));
  ExpectCentredOnTheFakePrimaryScreen(form);
}

// Placed by the window manager on a secondary screen of another scale:
// laid out at that screen's scale, where it was put.
TEST_F(DisplayScaleScreens, WindowPlacedByTheSystemTakesTheScaleOfItsScreen) {
  const HWND form = StartProbe(L"placed-on-screens");
  ASSERT_NE(form, nullptr);
  ASSERT_LT(WindowRectOnScreen(form).left, probe::kScreenSplitX)
      << "the window manager put the window on the primary screen: the test needs it left of "
      << probe::kScreenSplitX;
  const int target = probe::FakeScreenDpi(dpi_);
  ExpectProbeLaidOutAt(form, target, SystemMetricForDpi(SM_CXICON, target),
                       SystemMetricForDpi(SM_CXSMICON, target));
}

// Windows announces yet another scale from inside the SetWindowPos that
// places the hidden window: the window ends in one layout at that scale,
// frame, controls and icons alike, still centred on its screen.
TEST_F(DisplayScaleScreens, ScaleAnnouncedWhilePlacingLeavesOneLayoutAtThatScale) {
  const HWND form = StartProbe(L"scale-changes-while-placing");
  ASSERT_NE(form, nullptr);
  const int announced = probe::AnnouncedDpi(dpi_);
  ExpectProbeLaidOutAt(form, announced, SystemMetricForDpi(SM_CXICON, announced),
                       SystemMetricForDpi(SM_CXSMICON, announced));
  ExpectCentredOnTheFakePrimaryScreen(form);
}

// Windows 8.1 (and 10 before 1607) has no scale per window, only per screen
// (GetDpiForMonitor): a window on a screen whose scale is not the system's
// takes its screen's scale, and its icons are the system's sizes converted
// to it.
TEST_F(DisplayScaleScreens, OnWindows81AWindowTakesItsScreensScale) {
  const HWND form = StartProbe(L"as-on-windows-8.1");
  ASSERT_NE(form, nullptr);
  const int screen = probe::FakeScreenDpi(dpi_);
  EXPECT_EQ(IntegerProperty(form, probe::kWindowDpiProperty), screen) << "rt::WindowDpi";
  const auto converted = [&](int index) {
    return (::GetSystemMetrics(index) * screen + dpi_ / 2) / dpi_;
  };
  ExpectProbeLaidOutAt(form, screen, converted(SM_CXICON), converted(SM_CXSMICON));
}

}  // namespace
}  // namespace e2e
