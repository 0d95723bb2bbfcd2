// Music files anyone may have altered on a disc: each hostile file in place
// of a track must never crash the player, hang its window or bring up an
// error report, and a good track must play right after.
#include <windows.h>
#include <winioctl.h>

#include <cstdint>
#include <functional>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "tests/e2e/fixture_paths.h"
#include "tests/e2e/player_fixture.h"
#include "tests/e2e/window_probe.h"

namespace e2e {
namespace {

const std::wstring kTarget = L"E:\\music1.mp3";

std::string RandomBytes(std::size_t count) {
  std::mt19937 random(20261208);
  std::string bytes(count, '\0');
  for (char& b : bytes) b = static_cast<char>(random() & 0xFF);
  return bytes;
}

// Replaces the target with a file of `bytes`.
void Replace(const std::string& bytes) {
  ::DeleteFileW(kTarget.c_str());
  WriteBytes(kTarget, bytes);
}

// A sparse file of `size` bytes, all zeros.
void ReplaceWithSparse(std::int64_t size) {
  ::DeleteFileW(kTarget.c_str());
  const HANDLE file = ::CreateFileW(kTarget.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD returned = 0;
  ::DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
  LARGE_INTEGER end{};
  end.QuadPart = size;
  EXPECT_TRUE(::SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && ::SetEndOfFile(file));
  ::CloseHandle(file);
}

struct HostileFile {
  const char* what;
  std::function<void()> make;
};

class HostileInputTest : public PlayerFixture {
 protected:
  // Clicks the target's button with the target made hostile, and checks the
  // window answers within a second all along, no report shows, the program
  // runs on, and a good track then plays.
  void ExpectSurvives(const HostileFile& hostile) {
    SCOPED_TRACE(hostile.what);
    SetUp();
    hostile.make();
    const HWND player = Start();
    ASSERT_NE(player, nullptr);
    PostClick(Button(player, kButtons[0].text));
    for (int i = 0; i < 20; ++i) {
      ASSERT_TRUE(Responsive(player)) << "the window stopped answering";
      ::Sleep(100);
    }
    EXPECT_TRUE(velk_->IsRunning());
    EXPECT_TRUE(TopLevelWindows(velk_->pid(), L"#32770").empty()) << "an error report showed";
    EXPECT_EQ(ToneAfterClicking(Button(player, kButtons[1].text)), 1) << "a good track plays";
  }
};

TEST_F(HostileInputTest, HostileTrackFilesAreSurvived) {
  const std::string good = ReadBytes(BuiltFile(L"tests\\e2e\\music\\music1.mp3"));
  ASSERT_GT(good.size(), 100000u);
  std::string flipped = good;
  for (std::size_t i = 0; i < flipped.size(); i += 97) flipped[i] = static_cast<char>(~flipped[i]);
  // An ID3v2 tag header claiming 0x0FFFFFFF bytes (syncsafe 7F 7F 7F 7F).
  const std::string oversizedTag = std::string("ID3\x03\x00\x00\x7F\x7F\x7F\x7F", 10) +
                                   good.substr(0, 2000);

  const HostileFile cases[] = {
      {"zero bytes", [] { Replace(""); }},
      {"random bytes", [] { Replace(RandomBytes(256 * 1024)); }},
      {"truncated copy", [&] { Replace(good.substr(0, good.size() / 3 + 17)); }},
      {"byte-flipped copy", [&] { Replace(flipped); }},
      {"ID3 tag running past the end", [&] { Replace(oversizedTag); }},
      {"directory of the track's name",
       [] {
         ::DeleteFileW(kTarget.c_str());
         ::CreateDirectoryW(kTarget.c_str(), nullptr);
       }},
      {"2 GB sparse file", [] { ReplaceWithSparse(std::int64_t{2} << 30); }},
  };
  for (const HostileFile& hostile : cases) ExpectSurvives(hostile);
}

TEST_F(HostileInputTest, FileHeldOpenExclusivelyIsSurvived) {
  HANDLE held = INVALID_HANDLE_VALUE;
  ExpectSurvives({"held open with no sharing", [&] {
                    held = ::CreateFileW(kTarget.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr);
                    ASSERT_NE(held, INVALID_HANDLE_VALUE);
                  }});
  ::CloseHandle(held);
}

}  // namespace
}  // namespace e2e
