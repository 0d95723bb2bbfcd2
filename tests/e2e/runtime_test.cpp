// The window runtime driven through the runtime probe, a program built on it
// for these tests: the run-time error report at each point of a program's
// life, drawing when the system refuses the drawing its device contexts and
// bitmaps, and picture buttons under the raw mouse messages of a
// double-click.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/e2e/art_picture.h"
#include "tests/e2e/fixture_paths.h"
#include "tests/e2e/process_counters.h"
#include "tests/e2e/program_under_test.h"
#include "tests/e2e/runtime_probe/probe_modes.h"
#include "tests/e2e/scale_helpers.h"
#include "tests/e2e/window_probe.h"

namespace e2e {
namespace {

constexpr wchar_t kFormClass[] = L"RtForm";
constexpr wchar_t kMessageBoxClass[] = L"#32770";
std::unique_ptr<ProgramUnderTest> StartProbe(const std::wstring& fault) {
  return StartRuntimeProbe(fault);
}

HWND ReportButton(HWND report) {
  for (HWND child : ChildWindows(report)) {
    if (ClassOf(child) == L"Button") return child;
  }
  return nullptr;
}

// A run-time error at start-up or in an action gives one report, which
// stays until dismissed; then the program ends. Running out of memory is
// reported although nothing can be allocated any more.
TEST(RuntimeErrorReport, StaysUntilDismissedThenEndsTheProgram) {
  enum class Trigger { None, Click };
  struct Case {
    const wchar_t* fault;
    Trigger trigger;        // what the test does to raise the error, if anything
    const wchar_t* number;  // shown in the report, and the exit code
  };
  const Case cases[] = {
      {L"component-fails", Trigger::None, L"429"},
      {L"load-fails", Trigger::None, L"53"},
      {L"click-fails", Trigger::Click, L"53"},
      {L"click-unloads-then-fails", Trigger::Click, L"53"},
      {L"out-of-memory", Trigger::Click, L"7"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ToUtf8(c.fault));
    const auto probe = StartProbe(c.fault);
    if (c.trigger == Trigger::Click) {
      const HWND form = probe->WaitForWindow(kFormClass);
      ASSERT_NE(form, nullptr);
      PostClick(ChildByText(form, L"Click"));
    }
    const HWND report = probe->WaitForWindow(kMessageBoxClass, 10000);
    ASSERT_NE(report, nullptr) << "no error report; the program "
                               << (probe->IsRunning() ? "runs" : "ended with exit code ")
                               << (probe->IsRunning() ? 0 : probe->ExitCode());
    EXPECT_EQ(TextOf(report), L"probe");
    std::wstring body;
    for (HWND child : ChildWindows(report)) body += TextOf(child) + L"\n";
    EXPECT_NE(body.find(c.number), std::wstring::npos) << ToUtf8(body);

    // Nobody touches it: the report must still be there, alone, and the
    // program must wait for it.
    ::Sleep(3000);
    EXPECT_TRUE(::IsWindow(report) && ::IsWindowVisible(report)) << "the report went away by itself";
    EXPECT_EQ(TopLevelWindows(probe->pid(), kMessageBoxClass).size(), 1u);
    ASSERT_TRUE(probe->IsRunning()) << "the program ended before the report was dismissed";

    const HWND ok = ReportButton(report);
    ASSERT_NE(ok, nullptr);
    PostClick(ok);
    ASSERT_TRUE(probe->WaitForExit());
    EXPECT_EQ(std::to_wstring(probe->ExitCode()), c.number);
  }
}

int IntegerProperty(HWND window, const wchar_t* name) {
  return static_cast<int>(reinterpret_cast<INT_PTR>(::GetPropW(window, name)));
}

bool Answers(HWND window) {
  DWORD_PTR result = 0;
  return ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &result) != 0;
}

void Repaint(HWND window) {
  ::RedrawWindow(window, nullptr, nullptr,
                 RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

// The probe's drawn form: its button (65x20 pixels at 96 dpi) with a face of
// 60x15, its picture box (81x57) with a picture of 73x54.
constexpr Twips kProbeButton = {240, 120, 975, 300};
constexpr int kEdgeTwips = 30;  // the button's frame and the box's edge

// Checks that the probe's focused button, laid out at `dpi`, shows `face`
// centred inside its frame, whole where the focus marker leaves it.
void ExpectFace(const ClientSnapshot& shot, HWND button, HWND form, const ArtPicture& face,
                int dpi) {
  const ChildPixels pixels(shot, button, form);
  const RECT r = ScaledRect(kProbeButton, dpi);
  const int frame = Scaled(kEdgeTwips, dpi);
  const int left = frame + (Width(r) - 2 * frame - face.width()) / 2;
  const int top = frame + (Height(r) - 2 * frame - face.height()) / 2;
  // The button has the focus: its marker runs one scaled pixel inside the
  // frame, over the face's edge; the face inside it must be whole.
  const int marker = 2 * Scaled(15, dpi);
  for (int fy = 0; fy < face.height(); ++fy) {
    for (int fx = 0; fx < face.width(); ++fx) {
      const int x = left + fx;
      const int y = top + fy;
      if (x < frame + marker || y < frame + marker || x >= Width(r) - frame - marker ||
          y >= Height(r) - frame - marker) {
        continue;
      }
      ASSERT_EQ(pixels.Pixel(x, y), face.Pixel(fx, fy)) << "face pixel " << fx << "," << fy;
    }
  }
}

// True when the form's client area shows `background` at its top-left
// corner wherever no control covers it.
bool ShowsBackground(HWND form, const ArtPicture& background) {
  std::vector<RECT> covered;
  for (const HWND child : ChildWindows(form)) covered.push_back(WindowRectIn(child, form));
  const ClientSnapshot shot(form);
  for (int y = 0; y < background.height(); ++y) {
    for (int x = 0; x < background.width(); ++x) {
      const POINT at{x, y};
      if (std::any_of(covered.begin(), covered.end(),
                      [&](const RECT& r) { return ::PtInRect(&r, at) != 0; })) {
        continue;
      }
      if (shot.Pixel(x, y) != background.Pixel(x, y)) return false;
    }
  }
  return true;
}

// The system refuses the device contexts and bitmaps that the drawing of a
// button and of a picture box asks for, as when the process has reached its
// GDI handle quota: the window draws less, never ends, never spins and shows
// no report (no action failed); once they are granted again it draws whole,
// and a click still runs its action. The drawing differs with the scale,
// so the case is named for the harness to run it at every scale it tests.
TEST(DisplayScaleDrawing, RefusedDeviceContextsAndBitmapsDrawLessAndNeverEndTheProgram) {
  const int dpi = TestDpi();
  const auto probe = StartProbe(L"paint-fails");
  const HWND form = probe->WaitForWindow(kFormClass);
  ASSERT_NE(form, nullptr) << "the window never showed";
  const HWND button = ChildByText(form, probe::kButtonText);
  const HWND box = ChildByText(form, probe::kBoxText);
  ASSERT_NE(button, nullptr);
  ASSERT_NE(box, nullptr);

  // The form's own paints are refused too: its background is painted in
  // its colour meanwhile, and painted again by itself, with no repaint asked
  // from outside, until its picture shows.
  const ArtPicture background = ArtForDpi(L"frmabout", L"logo", dpi);
  EXPECT_TRUE(WaitUntil(
      [&] {
        return IntegerProperty(form, probe::kRefusedDcsProperty) >= probe::kRefusalsPerKind &&
               ShowsBackground(form, background);
      },
      5000))
      << "the form was refused " << IntegerProperty(form, probe::kRefusedDcsProperty)
      << " device contexts and its background picture "
      << (ShowsBackground(form, background) ? "shows" : "does not show");

  // Repainted until every refusal has been made: bitmaps are asked for by
  // the enlarged button frame and box edge only, so their refusals show
  // that the failure reached both drawings at the scale this test runs at.
  const auto refusals = [&] {
    std::string counts;
    for (const HWND control : {button, box}) {
      counts += " " + std::to_string(IntegerProperty(control, probe::kRefusedDcsProperty)) + "/" +
                std::to_string(IntegerProperty(control, probe::kRefusedBitmapsProperty));
    }
    return counts;
  };
  const auto allRefused = [&] {
    for (const HWND control : {button, box}) {
      for (const wchar_t* counter : {probe::kRefusedDcsProperty, probe::kRefusedBitmapsProperty}) {
        if (IntegerProperty(control, counter) < probe::kRefusalsPerKind) return false;
      }
    }
    return true;
  };
  WaitUntil(
      [&] {
        if (allRefused() || !probe->IsRunning()) return true;
        Repaint(form);
        ::Sleep(150);
        return false;
      },
      10000);
  ASSERT_TRUE(probe->IsRunning()) << "the program ended (exit code " << probe->ExitCode()
                                  << ") after refusals (device contexts/bitmaps of button, box):"
                                  << refusals();
  EXPECT_TRUE(allRefused()) << "refusals (device contexts/bitmaps of button, box):" << refusals();

  EXPECT_TRUE(Answers(form)) << "the window does not answer";
  EXPECT_TRUE(TopLevelWindows(probe->pid(), kMessageBoxClass).empty()) << "a report appeared";
  const std::uint64_t before = CpuMilliseconds(probe->pid());
  EXPECT_GT(before, 0u) << "the probe's processor time cannot be read";
  ::Sleep(2000);
  const std::uint64_t used = CpuMilliseconds(probe->pid()) - before;
  EXPECT_LT(used, 400u) << "the idle program used " << used << " ms of processor time in 2 s";

  // Granted again: the next paint draws the face and the picture whole.
  Repaint(form);
  ::Sleep(500);
  const ClientSnapshot shot(form);
  {
    SCOPED_TRACE("button face");
    ExpectFace(shot, button, form, ArtForDpi(L"mp3play", L"command1", dpi), dpi);
  }
  {
    SCOPED_TRACE("picture box");
    const ChildPixels pixels(shot, box, form);
    const ArtPicture picture = ArtForDpi(L"frmabout", L"logo", dpi);
    const RECT inner = ClientRectOnScreen(box);
    for (int y = 0; y < std::min(Height(inner), picture.height()); ++y) {
      for (int x = 0; x < std::min(Width(inner), picture.width()); ++x) {
        ASSERT_EQ(pixels.Pixel(x, y), picture.Pixel(x, y)) << "picture pixel " << x << "," << y;
      }
    }
  }

  PostClick(button);
  EXPECT_TRUE(WaitUntil([&] { return TextOf(form) == L"clicks: 1"; }, 3000))
      << "caption reads " << ToUtf8(TextOf(form));
  EXPECT_TRUE(TopLevelWindows(probe->pid(), kMessageBoxClass).empty()) << "a report appeared";
}

// A change of scale whose art cannot be loaded (the button's face is drawn
// for 100% only; GDI used up fails the same way) is no failure of an
// action: the window is laid out at the new scale and keeps the art it has,
// shows no report and still takes clicks.
TEST(ScaleChangeWithoutArt, KeepsTheArtItHasAndShowsNoReport) {
  const auto probe = StartProbe(L"scale-change-fails");
  const HWND form = probe->WaitForWindow(kFormClass);
  ASSERT_NE(form, nullptr);
  const HWND button = ChildByText(form, probe::kButtonText);
  ASSERT_NE(button, nullptr);
  const int from = TestDpi();
  const int to = OtherDpi(from);
  // Answered: the window does not wait on a report.
  ASSERT_NO_FATAL_FAILURE(SendDpiChanged(form, probe->pid(), to, SuggestedRect(form, from, to)));
  ::Sleep(500);
  ASSERT_TRUE(probe->IsRunning()) << "the program ended with exit code " << probe->ExitCode();
  EXPECT_TRUE(TopLevelWindows(probe->pid(), kMessageBoxClass).empty()) << "a report appeared";
  ExpectRect(WindowRectIn(button, form), ScaledRect(kProbeButton, to), "button at the new scale");

  Repaint(form);
  ::Sleep(500);
  {
    SCOPED_TRACE("the face drawn for the scale it started at");
    ExpectFace(ClientSnapshot(form), button, form, ArtForDpi(L"mp3play", L"command2", from), to);
  }
  PostClick(button);
  EXPECT_TRUE(WaitUntil([&] { return TextOf(form) == L"clicks: 1"; }, 3000))
      << "caption reads " << ToUtf8(TextOf(form));
}

// The window thread fails a read from a drive without its disc at once,
// rather than hold the window in the system's "no disk" box until someone
// answers it. (Wine shows no such box: the mode the thread runs with is
// what can be checked here.)
TEST(WindowThread, FailsReadsFromADriveWithoutItsDiscWithoutAsking) {
  const auto probe = StartProbe(L"");
  const HWND form = probe->WaitForWindow(kFormClass);
  ASSERT_NE(form, nullptr);
  const int mode = IntegerProperty(form, probe::kErrorModeProperty);
  EXPECT_NE(mode & SEM_FAILCRITICALERRORS, 0) << "the window thread's error mode is " << mode;
}

// A double-click reaches a button as down, up, double-click, up. Each press
// and release is a click of its own, with the pressed look while held.
TEST(PictureButtonClicks, EveryPressOfADoubleClickClicks) {
  const auto probe = StartProbe(L"");
  const HWND form = probe->WaitForWindow(kFormClass);
  ASSERT_NE(form, nullptr);
  const HWND button = ChildByText(form, L"Click");
  ASSERT_NE(button, nullptr);

  const LPARAM inside = MAKELPARAM(5, 5);
  const auto send = [&](UINT message, WPARAM keys) {
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(button, message, keys, inside, SMTO_ABORTIFHUNG, 5000, &result);
  };
  const auto pushed = [&] {
    DWORD_PTR state = 0;
    ::SendMessageTimeoutW(button, BM_GETSTATE, 0, 0, SMTO_ABORTIFHUNG, 5000, &state);
    return (state & BST_PUSHED) != 0;
  };

  send(WM_LBUTTONDOWN, MK_LBUTTON);
  EXPECT_TRUE(pushed()) << "first press";
  send(WM_LBUTTONUP, 0);
  send(WM_LBUTTONDBLCLK, MK_LBUTTON);
  EXPECT_TRUE(pushed()) << "second press of the double-click";
  send(WM_LBUTTONUP, 0);
  EXPECT_FALSE(pushed());

  EXPECT_TRUE(WaitUntil([&] { return TextOf(form) == L"clicks: 2"; }, 3000))
      << "caption reads " << ToUtf8(TextOf(form));
}

}  // namespace
}  // namespace e2e
