// SETUP.exe driven end to end: its window as described, the pixels it draws,
// the keyboard, and the installers it starts from a disc root and elsewhere.
#include <windows.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/e2e/bitmap_file.h"
#include "tests/e2e/fixture_paths.h"
#include "tests/e2e/program_under_test.h"
#include "tests/e2e/window_probe.h"

namespace e2e {
namespace {

constexpr wchar_t kFormClass[] = L"RtForm";
constexpr wchar_t kMessageBoxClass[] = L"#32770";
const std::wstring kDiscRoot = L"E:\\";
const std::wstring kOtherDrive = L"F:\\";
const std::wstring kLauncherFolder = L"C:\\launcher-current-folder";
const std::wstring kSimplified = L"简体版";
const std::wstring kTraditional = L"繁体版";

struct Record {
  std::string module, commandLine, show, currentFolder;
};

std::vector<Record> ParseRecords(const std::string& text) {
  std::vector<Record> records;
  std::istringstream in(text);
  Record current;
  for (std::string line; std::getline(in, line);) {
    const auto value = [&](const char* key) { return line.substr(std::string(key).size()); };
    if (line.rfind("module=", 0) == 0) {
      current.module = value("module=");
    } else if (line.rfind("cmdline=", 0) == 0) {
      current.commandLine = value("cmdline=");
    } else if (line.rfind("show=", 0) == 0) {
      current.show = value("show=");
    } else if (line.rfind("cwd=", 0) == 0) {
      current.currentFolder = value("cwd=");
    } else if (line == "end") {
      records.push_back(current);
      current = {};
    }
  }
  return records;
}

// Waits until `count` stand-in records exist, then returns them all.
std::vector<Record> WaitForRecords(std::size_t count, DWORD timeoutMs = 10000) {
  std::vector<Record> records;
  WaitUntil([&] {
    records = ParseRecords(ReadRecords());
    return records.size() >= count;
  }, timeoutMs);
  return records;
}

class LauncherTest : public testing::Test {
 protected:
  void SetUp() override {
    launcher_.reset();
    EmptyFolder(kDiscRoot);
    EmptyFolder(kOtherDrive);
    ClearRecords();
    ::CreateDirectoryW(kLauncherFolder.c_str(), nullptr);
  }

  // SETUP.exe in `folder`, with stand-in installers in both edition folders
  // unless `withInstallers` is false.
  static void LayOutDisc(const std::wstring& folder, bool withInstallers = true) {
    CopyFileTo(BuiltFile(L"launcher\\SETUP.exe"), folder + L"SETUP.exe");
    if (!withInstallers) return;
    const std::wstring standIn = BuiltFile(L"tests\\e2e\\stand_in_installer.exe");
    CopyFileTo(standIn, folder + L"setupjt\\setup.exe");
    CopyFileTo(standIn, folder + L"Setupft\\setup.exe");
  }

  // Starts SETUP.exe from `folder` and waits for its window.
  HWND Start(const std::wstring& folder) {
    launcher_ = std::make_unique<ProgramUnderTest>(folder + L"SETUP.exe", kLauncherFolder);
    const HWND form = launcher_->WaitForWindow(kFormClass);
    if (form) {
      // Let the first paint reach the screen.
      WaitUntil([&] { return ScreenPixel(0, 0) != CLR_INVALID; }, 1000);
      ::Sleep(300);
    }
    return form;
  }

  // Clicks the button and checks the one error report that follows, and
  // that the launcher ends once it is dismissed.
  void ExpectOneReportAfterClicking(const std::wstring& buttonText);

  HWND Button(HWND form, const std::wstring& faceText) {
    const HWND button = ChildByText(form, faceText);
    EXPECT_NE(button, nullptr) << "no button reads " << ToUtf8(faceText);
    return button;
  }

  std::unique_ptr<ProgramUnderTest> launcher_;
};

TEST_F(LauncherTest, WindowIsACentredToolWindowOutOfTheTaskbar) {
  LayOutDisc(kDiscRoot);
  const HWND form = Start(kDiscRoot);
  ASSERT_NE(form, nullptr);

  const LONG style = ::GetWindowLongW(form, GWL_STYLE);
  const LONG exStyle = ::GetWindowLongW(form, GWL_EXSTYLE);
  EXPECT_TRUE(style & WS_CAPTION);
  EXPECT_TRUE(style & WS_SYSMENU) << "close box";
  EXPECT_FALSE(style & (WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX));
  EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW);
  EXPECT_FALSE(exStyle & WS_EX_APPWINDOW);
  EXPECT_EQ(TextOf(form), L"");

  // Out of the taskbar without being owned by a window the user can see.
  const HWND owner = ::GetWindow(form, GW_OWNER);
  if (owner) {
    EXPECT_FALSE(::IsWindowVisible(owner));
  }

  const RECT client = ClientRectOnScreen(form);
  EXPECT_EQ(Width(client), 361);
  EXPECT_EQ(Height(client), 449);
  const RECT frame = WindowRectOnScreen(form);
  const int screenWidth = ::GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = ::GetSystemMetrics(SM_CYSCREEN);
  EXPECT_LE(std::abs((frame.left + frame.right) - screenWidth), 1) << "centred across";
  EXPECT_LE(std::abs((frame.top + frame.bottom) - screenHeight), 1) << "centred down";

  struct Expected {
    const std::wstring& text;
    RECT rect;
  };
  const Expected buttons[] = {{kSimplified, {48, 392, 153, 417}},
                              {kTraditional, {208, 392, 313, 417}}};
  for (const Expected& expected : buttons) {
    const HWND button = Button(form, expected.text);
    ASSERT_NE(button, nullptr);
    const RECT r = ClientRectIn(button, form);
    EXPECT_EQ(r.left, expected.rect.left) << ToUtf8(expected.text);
    EXPECT_EQ(r.top, expected.rect.top) << ToUtf8(expected.text);
    EXPECT_EQ(r.right, expected.rect.right) << ToUtf8(expected.text);
    EXPECT_EQ(r.bottom, expected.rect.bottom) << ToUtf8(expected.text);
  }
  // Stored order is stacking order: the traditional button was stored first.
  const std::vector<HWND> children = ChildWindows(form);
  ASSERT_EQ(children.size(), 2u);
  EXPECT_EQ(TextOf(children[0]), kTraditional);
}

TEST_F(LauncherTest, DrawsCoverFacesAndBackground) {
  LayOutDisc(kDiscRoot);
  const HWND form = Start(kDiscRoot);
  ASSERT_NE(form, nullptr);
  const BitmapFile cover(SourceFile(L"assets\\form1\\cover.bmp"));
  ASSERT_EQ(cover.width(), 361);
  ASSERT_EQ(cover.height(), 446);

  // The cover, unscaled at the client origin, away from the buttons.
  for (int y = 0; y < 446; y += 23) {
    for (int x = 0; x < 361; x += 19) {
      if (y >= 388 && y <= 420) continue;
      ASSERT_EQ(ClientPixel(form, x, y), cover.Pixel(x, y)) << "cover at " << x << "," << y;
    }
  }
  // Three rows below the cover show the black background colour.
  for (int y = 446; y < 449; ++y) {
    for (int x = 0; x < 361; x += 10) {
      ASSERT_EQ(ClientPixel(form, x, y), RGB(0, 0, 0)) << "background at " << x << "," << y;
    }
  }

  // Faces: 100x25 on a 105x25 button whose frame leaves 101x21 inside. Each
  // face loses two rows at the top and two at the bottom, never drawn over
  // the frame. The traditional button has no focus marker over its face.
  struct Face {
    const wchar_t* file;
    const std::wstring& text;
  };
  for (const Face& face : {Face{L"assets\\form1\\command2.bmp", kTraditional},
                           Face{L"assets\\form1\\command1.bmp", kSimplified}}) {
    const BitmapFile picture(SourceFile(face.file));
    const HWND button = Button(form, face.text);
    ASSERT_NE(button, nullptr);
    const bool focused = face.text == kSimplified;
    // The face's ground, left of its text.
    EXPECT_EQ(picture.Pixel(4, 12), RGB(0xFF, 0xFF, 0xD9)) << ToUtf8(face.text);
    EXPECT_EQ(ClientPixel(button, 2 + 4, 12), RGB(0xFF, 0xFF, 0xD9)) << ToUtf8(face.text);
    for (int fy = 2; fy <= 22; ++fy) {
      for (int fx = 0; fx < 100; fx += 3) {
        const bool onFocusMarker = focused && (fy == 3 || fy == 21 || fx == 1 || fx == 99);
        if (onFocusMarker) continue;
        ASSERT_EQ(ClientPixel(button, 2 + fx, fy), picture.Pixel(fx, fy))
            << ToUtf8(face.text) << " face pixel " << fx << "," << fy;
      }
    }
    for (int y : {0, 1, 23, 24}) {
      for (int x = 4; x < 100; x += 7) {
        EXPECT_NE(ClientPixel(button, x, y), RGB(0xFF, 0xFF, 0xD9))
            << ToUtf8(face.text) << " face drawn over the frame at " << x << "," << y;
      }
    }
  }
}

TEST_F(LauncherTest, HeldButtonLooksPressedAndFocusedButtonShowsItsMarker) {
  LayOutDisc(kDiscRoot);
  const HWND form = Start(kDiscRoot);
  ASSERT_NE(form, nullptr);
  const BitmapFile face(SourceFile(L"assets\\form1\\command2.bmp"));
  const HWND traditional = Button(form, kTraditional);
  const HWND simplified = Button(form, kSimplified);
  const COLORREF raisedCorner = ClientPixel(traditional, 1, 1);

  // Held down (the state a mouse press gives): a pressed frame and the face
  // one pixel down and to the right, still inside the frame.
  DWORD_PTR ignored = 0;
  ::SendMessageTimeoutW(traditional, BM_SETSTATE, TRUE, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
  ::Sleep(200);
  EXPECT_NE(ClientPixel(traditional, 1, 1), raisedCorner) << "frame looks the same held down";
  for (int fy = 1; fy <= 21; fy += 2) {
    for (int fx = 0; fx <= 99; fx += 3) {
      ASSERT_EQ(ClientPixel(traditional, 3 + fx, 1 + fy), face.Pixel(fx, fy))
          << "held face pixel " << fx << "," << fy;
    }
  }
  ::SendMessageTimeoutW(traditional, BM_SETSTATE, FALSE, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
  ::Sleep(200);
  EXPECT_EQ(ClientPixel(traditional, 1, 1), raisedCorner) << "released";
  EXPECT_TRUE(launcher_->IsRunning()) << "holding is not clicking";

  // The focused button's marker: a dotted line drawn over its face.
  const BitmapFile focusedFace(SourceFile(L"assets\\form1\\command1.bmp"));
  int changed = 0;
  for (int fx = 2; fx < 99; ++fx) {
    if (ClientPixel(simplified, 2 + fx, 3) != focusedFace.Pixel(fx, 3)) ++changed;
  }
  EXPECT_GT(changed, 20) << "no focus marker on the focused button";
}

TEST_F(LauncherTest, KeyboardFollowsTabOrderAndOnlyTheFocusedButtonClicks) {
  LayOutDisc(kDiscRoot);
  const HWND form = Start(kDiscRoot);
  ASSERT_NE(form, nullptr);
  const HWND simplified = Button(form, kSimplified);
  const HWND traditional = Button(form, kTraditional);
  EXPECT_EQ(FocusedWindow(form), simplified) << "first focus";

  PressKey(form, VK_TAB);
  EXPECT_TRUE(WaitUntil([&] { return FocusedWindow(form) == traditional; }, 2000)) << "Tab";
  PressKey(form, VK_TAB, true);
  EXPECT_TRUE(WaitUntil([&] { return FocusedWindow(form) == simplified; }, 2000)) << "Shift+Tab";

  PressKey(form, VK_ESCAPE);
  ::Sleep(700);
  EXPECT_TRUE(launcher_->IsRunning()) << "Escape must click nothing";
  EXPECT_TRUE(ReadRecords().empty()) << "Escape must start nothing";

  PressKey(form, VK_RETURN);
  const std::vector<Record> records = WaitForRecords(1);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].module, "E:\\setupjt\\setup.exe") << "Enter clicks the focused button";
  EXPECT_TRUE(launcher_->WaitForExit());
}

TEST_F(LauncherTest, SpaceClicksTheFocusedButton) {
  LayOutDisc(kDiscRoot);
  const HWND form = Start(kDiscRoot);
  ASSERT_NE(form, nullptr);
  const HWND traditional = Button(form, kTraditional);
  PressKey(form, VK_TAB);
  ASSERT_TRUE(WaitUntil([&] { return FocusedWindow(form) == traditional; }, 2000));
  PressKey(form, VK_SPACE);
  const std::vector<Record> records = WaitForRecords(1);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].module, "E:\\Setupft\\setup.exe");
  EXPECT_TRUE(launcher_->WaitForExit());
}

TEST_F(LauncherTest, EachButtonStartsItsInstallerMinimizedAndCloses) {
  struct Case {
    const std::wstring& button;
    std::string module;
  };
  const Case cases[] = {{kSimplified, "E:\\setupjt\\setup.exe"},
                        {kTraditional, "E:\\Setupft\\setup.exe"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(ToUtf8(c.button));
    ClearRecords();
    LayOutDisc(kDiscRoot);
    const HWND form = Start(kDiscRoot);
    ASSERT_NE(form, nullptr);
    PostClick(Button(form, c.button));
    const std::vector<Record> records = WaitForRecords(1);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].module, c.module);
    EXPECT_EQ(records[0].commandLine, "\"" + c.module + "\"");
    EXPECT_EQ(records[0].show, "2") << "minimized and active";
    EXPECT_EQ(records[0].currentFolder, ToUtf8(kLauncherFolder)) << "inherits the launcher's";
    ASSERT_TRUE(launcher_->WaitForExit()) << "the launcher closes after starting";
    EXPECT_EQ(launcher_->ExitCode(), 0u);
  }
}

TEST_F(LauncherTest, CloseBoxEndsWithoutStartingAnything) {
  LayOutDisc(kDiscRoot);
  const HWND form = Start(kDiscRoot);
  ASSERT_NE(form, nullptr);
  PostClose(form);
  ASSERT_TRUE(launcher_->WaitForExit());
  EXPECT_EQ(launcher_->ExitCode(), 0u);
  ::Sleep(300);
  EXPECT_TRUE(ReadRecords().empty());
}

TEST_F(LauncherTest, StartsTheRightInstallerFromAnyFolder) {
  struct Case {
    std::wstring folder;
    bool decoy;  // a program that a cut-short path would name, E:\My.exe
  };
  const Case cases[] = {
      {L"F:\\Disc\\", false},
      {L"F:\\My Disc 光盘\\", false},
      {L"E:\\My Disc\\", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ToUtf8(c.folder));
    SetUp();
    LayOutDisc(c.folder);
    if (c.decoy) CopyFileTo(BuiltFile(L"tests\\e2e\\stand_in_installer.exe"), L"E:\\My.exe");
    for (const std::wstring* button : {&kSimplified, &kTraditional}) {
      ClearRecords();
      const HWND form = Start(c.folder);
      ASSERT_NE(form, nullptr);
      PostClick(Button(form, *button));
      const std::wstring edition = *button == kSimplified ? L"setupjt" : L"Setupft";
      const std::vector<Record> records = WaitForRecords(1);
      ASSERT_TRUE(launcher_->WaitForExit());
      ::Sleep(300);
      const std::vector<Record> all = ParseRecords(ReadRecords());
      ASSERT_EQ(all.size(), 1u) << "exactly one program starts";
      EXPECT_EQ(all[0].module, ToUtf8(c.folder + edition + L"\\setup.exe"));
    }
  }
}

TEST_F(LauncherTest, MissingInstallerGivesOneReportAndEnds) {
  struct Case {
    const char* what;
    const wchar_t* folderLeft;  // an edition folder left without installer
  };
  const Case cases[] = {{"edition folder missing", nullptr},
                        {"installer missing from its folder", L"E:\\setupjt"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetUp();
    LayOutDisc(kDiscRoot, /*withInstallers=*/false);
    if (c.folderLeft) ::CreateDirectoryW(c.folderLeft, nullptr);
    ExpectOneReportAfterClicking(kSimplified);
  }
}

void LauncherTest::ExpectOneReportAfterClicking(const std::wstring& buttonText) {
  const HWND form = Start(kDiscRoot);
  ASSERT_NE(form, nullptr);
  PostClick(Button(form, buttonText));

  const HWND report = launcher_->WaitForWindow(kMessageBoxClass, 10000);
  ASSERT_NE(report, nullptr) << "no error report";
  EXPECT_EQ(TextOf(report), L"setup");
  std::wstring body;
  for (HWND child : ChildWindows(report)) body += TextOf(child) + L"\n";
  EXPECT_NE(body.find(L"53"), std::wstring::npos) << ToUtf8(body);
  EXPECT_NE(body.find(L"文件未找到"), std::wstring::npos) << ToUtf8(body);
  EXPECT_EQ(TopLevelWindows(launcher_->pid(), kMessageBoxClass).size(), 1u);
  EXPECT_TRUE(::IsWindow(form)) << "the window stays until the report is dismissed";
  EXPECT_TRUE(launcher_->IsRunning());

  HWND ok = nullptr;
  for (HWND child : ChildWindows(report)) {
    if (ClassOf(child) == L"Button") ok = child;
  }
  ASSERT_NE(ok, nullptr);
  PostClick(ok);
  ASSERT_TRUE(launcher_->WaitForExit());
  EXPECT_NE(launcher_->ExitCode(), 0u);
  EXPECT_TRUE(ReadRecords().empty());
}

}  // namespace
}  // namespace e2e
