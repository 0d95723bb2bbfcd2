// A DLL planted beside the player and in its current folder must never load:
// the player binds its sound system from the system folder only, and still
// plays, also where Windows lacks SetDefaultDllDirectories. The harness tells
// Wine to prefer a native winmm, so that a planted one would be taken if the
// loader searched there.
#include <windows.h>

#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "tests/e2e/fixture_paths.h"
#include "tests/e2e/player_fixture.h"
#include "tests/e2e/window_probe.h"

namespace e2e {
namespace {

const std::wstring kCurrentFolder = L"F:\\current";
const std::wstring kMarker = L"F:\\planted-dll-loaded.txt";

// Sets an environment variable for the processes this test starts, and
// puts the previous value back at the end of the scope.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const wchar_t* name, const std::wstring& value) : name_(name) {
    wchar_t previous[1024] = {};
    hadValue_ = ::GetEnvironmentVariableW(name, previous, 1024) != 0;
    previous_ = previous;
    ::SetEnvironmentVariableW(name, value.c_str());
  }
  ~ScopedEnvironment() { ::SetEnvironmentVariableW(name_, hadValue_ ? previous_.c_str() : nullptr); }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  const wchar_t* name_;
  std::wstring previous_;
  bool hadValue_ = false;
};

struct PlayerBuild {
  const char* name;
  const wchar_t* path;  // below the build tree
};

// The player as built, and the test build that takes the path of Windows 7
// without KB2533623: no SetDefaultDllDirectories, so the current folder is
// taken out of the search and system DLLs are loaded by full path.
const PlayerBuild kPlayerBuilds[] = {
    {"AsShipped", L"player\\Velk.exe"},
    {"WithoutSetDefaultDllDirectories", L"player\\Velk-without-dll-directories.exe"},
};

void PrintTo(const PlayerBuild& build, std::ostream* os) { *os << build.name; }

class LoadOrderTest : public PlayerFixture, public testing::WithParamInterface<PlayerBuild> {};

TEST_P(LoadOrderTest, PlantedSoundDllNeverLoads) {
  CopyFileTo(BuiltFile(GetParam().path), kDiscRoot + L"Velk.exe");
  EmptyFolder(L"F:\\");
  const std::wstring planted = BuiltFile(L"tests\\e2e\\planted.dll");
  for (const std::wstring& folder : {kDiscRoot, kCurrentFolder + L"\\"}) {
    CopyFileTo(planted, folder + L"winmm.dll");
  }
  const ScopedEnvironment marker(L"E2E_PLANT_MARKER", kMarker);

  const auto plantedDllLoaded = [] {
    return ::GetFileAttributesW(kMarker.c_str()) != INVALID_FILE_ATTRIBUTES;
  };
  const HWND player = Start(kCurrentFolder);
  EXPECT_FALSE(plantedDllLoaded()) << "a planted DLL was loaded at start-up";
  ASSERT_NE(player, nullptr);
  EXPECT_EQ(ToneAfterClicking(Button(player, kButtons[0].text)), 0) << "plays all the same";
  PostClick(Button(player, kStop));
  EXPECT_FALSE(plantedDllLoaded()) << "a planted DLL was loaded for playback";
}

INSTANTIATE_TEST_SUITE_P(Builds, LoadOrderTest, testing::ValuesIn(kPlayerBuilds),
                         [](const testing::TestParamInfo<PlayerBuild>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
}  // namespace e2e
