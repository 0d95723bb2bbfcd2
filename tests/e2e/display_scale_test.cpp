// Both programs at the display scale the harness set (LogPixels, read by
// every process at its start; tools/run-e2e.sh runs these cases at 96, 108,
// 120, 144, 192 and 240 dpi): each window's client area and every control's
// rectangle are its description converted at that scale, the pixels are
// those of the art drawn for that scale (between scales, of the next larger
// drawing reduced to size), lettering stays as sharp as the
// art, the button frame, pressed shift, focus marker and box edge grow with
// the scale, and a WM_DPICHANGED (sent by hand: Wine never sends it)
// relayouts and redraws the window at the new scale.
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
#include "tests/e2e/window_probe.h"

namespace e2e {
namespace {

// The conversion as the programs promise it: twips x dpi / 1440 to the
// nearest pixel, halves up (every value here is positive).
int Scaled(int twips, int dpi) { return (twips * dpi + 720) / 1440; }

struct Twips {
  int left, top, width, height;
};

RECT ScaledRect(const Twips& t, int dpi) {
  const int left = Scaled(t.left, dpi);
  const int top = Scaled(t.top, dpi);
  return {left, top, left + Scaled(t.width, dpi), top + Scaled(t.height, dpi)};
}

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

// The scale this test program runs at: it is per-monitor aware, so the
// screen's device context reports the scale LogPixels set. The harness
// names the scale it set in E2E_DPI; without it, any scale is taken.
int TestDpi() {
  const HDC screen = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
  ::ReleaseDC(nullptr, screen);
  return dpi;
}

int ExpectedDpi() {
  wchar_t value[16] = {};
  if (!::GetEnvironmentVariableW(L"E2E_DPI", value, 16)) return TestDpi();
  return std::stoi(value);
}

// The scale a WM_DPICHANGED moves the windows to: from 96 dpi up to 144,
// from any other scale back to 96, so that the windows stay on the desktop.
int OtherDpi(int dpi) { return dpi == 96 ? 144 : 96; }

RECT WindowRectIn(HWND child, HWND parent) {
  RECT r = WindowRectOnScreen(child);
  ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

std::string Describe(const RECT& r) {
  return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" +
         std::to_string(r.right) + "," + std::to_string(r.bottom) + ")";
}

void ExpectRect(const RECT& actual, const RECT& expected, const std::string& what) {
  EXPECT_TRUE(EqualRect(&actual, &expected))
      << what << ": " << Describe(actual) << ", expected " << Describe(expected);
}

// The client area of a window as the screen shows it, read in one go.
class ClientSnapshot {
 public:
  explicit ClientSnapshot(HWND window) {
    const RECT r = ClientRectOnScreen(window);
    width_ = Width(r);
    height_ = Height(r);
    pixels_.resize(static_cast<std::size_t>(width_) * height_);
    const HDC screen = ::GetDC(nullptr);
    const HDC memory = ::CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width_;
    info.bmiHeader.biHeight = -height_;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ previous = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width_, height_, screen, r.left, r.top, SRCCOPY);
    ::GdiFlush();
    const auto* source = static_cast<const std::uint32_t*>(bits);
    pixels_.assign(source, source + pixels_.size());
    ::SelectObject(memory, previous);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
  }

  // Pixel at (x, y) of the client area; CLR_INVALID outside it.
  COLORREF Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
    const std::uint32_t p = pixels_[static_cast<std::size_t>(y) * width_ + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<std::uint32_t> pixels_;
};

// A child's client area within a snapshot of its window's.
class ChildPixels {
 public:
  ChildPixels(const ClientSnapshot& shot, HWND child, HWND window)
      : shot_(shot), origin_(ClientRectIn(child, window)) {}
  COLORREF Pixel(int x, int y) const { return shot_.Pixel(origin_.left + x, origin_.top + y); }

 private:
  const ClientSnapshot& shot_;
  RECT origin_;
};

// Sends WM_DPICHANGED to another process's window as Windows would, with the
// suggested rectangle at the same address in both processes (Wine may or may
// not copy it across), and waits for the window to handle it.
void SendDpiChanged(HWND window, DWORD pid, int dpi, const RECT& suggested) {
  const HANDLE process = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid);
  ASSERT_NE(process, nullptr);
  // An address free in both: taken here first, then asked for there.
  void* shared = nullptr;
  for (std::uintptr_t address = 0x30000000; address < 0x70000000 && !shared;
       address += 0x01000000) {
    void* local = ::VirtualAlloc(reinterpret_cast<void*>(address), sizeof suggested,
                                 MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (!local) continue;
    if (::VirtualAllocEx(process, local, sizeof suggested, MEM_RESERVE | MEM_COMMIT,
                         PAGE_READWRITE) == local) {
      shared = local;
    } else {
      ::VirtualFree(local, 0, MEM_RELEASE);
    }
  }
  ASSERT_NE(shared, nullptr) << "no address free in both processes";
  void* const local = shared;
  void* const remote = shared;
  *static_cast<RECT*>(local) = suggested;
  ASSERT_TRUE(::WriteProcessMemory(process, remote, &suggested, sizeof suggested, nullptr));
  DWORD_PTR ignored = 0;
  EXPECT_TRUE(::SendMessageTimeoutW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                                    reinterpret_cast<LPARAM>(remote), SMTO_ABORTIFHUNG, 5000,
                                    &ignored));
  ::CloseHandle(process);
  ::Sleep(400);  // let the repaint reach the screen
}

RECT SuggestedRect(HWND window, int from, int to) {
  const RECT r = WindowRectOnScreen(window);
  return {8, 8, 8 + Width(r) * to / from, 8 + Height(r) * to / from};
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

}  // namespace
}  // namespace e2e
