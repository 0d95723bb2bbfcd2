// The window runtime driven through the runtime probe, a program built on it
// for these tests: the run-time error report at each point of a program's
// life, and picture buttons under the raw mouse messages of a double-click.
#include <windows.h>

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "tests/e2e/fixture_paths.h"
#include "tests/e2e/program_under_test.h"
#include "tests/e2e/window_probe.h"

namespace e2e {
namespace {

constexpr wchar_t kFormClass[] = L"RtForm";
constexpr wchar_t kMessageBoxClass[] = L"#32770";
const std::wstring kProbeFolder = L"C:\\runtime-probe";

std::unique_ptr<ProgramUnderTest> StartProbe(const std::wstring& fault) {
  ::CreateDirectoryW(kProbeFolder.c_str(), nullptr);
  return std::make_unique<ProgramUnderTest>(BuiltFile(L"tests\\e2e\\runtime_probe.exe"),
                                            kProbeFolder, fault);
}

HWND ReportButton(HWND report) {
  for (HWND child : ChildWindows(report)) {
    if (ClassOf(child) == L"Button") return child;
  }
  return nullptr;
}

TEST(RuntimeErrorReport, StaysUntilDismissedThenEndsTheProgram) {
  struct Case {
    const wchar_t* fault;
    bool clickFirst;        // the error comes from a click action
    const wchar_t* number;  // shown in the report, and the exit code
  };
  const Case cases[] = {
      {L"component-fails", false, L"429"},
      {L"load-fails", false, L"53"},
      {L"click-fails", true, L"53"},
      {L"click-unloads-then-fails", true, L"53"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ToUtf8(c.fault));
    const auto probe = StartProbe(c.fault);
    if (c.clickFirst) {
      const HWND form = probe->WaitForWindow(kFormClass);
      ASSERT_NE(form, nullptr);
      PostClick(ChildByText(form, L"Click"));
    }
    const HWND report = probe->WaitForWindow(kMessageBoxClass, 10000);
    ASSERT_NE(report, nullptr) << "no error report";
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
