// The player loads the sound system (winmm) at its first track, not at
// start-up; without it the player runs on silently: its window comes up and
// answers, clicks bring no report and no crash.
#include <windows.h>
#include <psapi.h>

#include <string>

#include <gtest/gtest.h>

#include "tests/e2e/player_fixture.h"
#include "tests/e2e/window_probe.h"

namespace e2e {
namespace {

// Wine takes a program's DLL overrides from the environment it started
// with (which a Windows parent cannot change) and then from the registry's
// AppDefaults for the program's file name: this key disables winmm for
// Velk.exe only, while it exists.
constexpr wchar_t kVelkOverrides[] = L"Software\\Wine\\AppDefaults\\Velk.exe\\DllOverrides";

class ScopedDisabledDll {
 public:
  explicit ScopedDisabledDll(const wchar_t* dll) {
    HKEY key = nullptr;
    created_ = ::RegCreateKeyExW(HKEY_CURRENT_USER, kVelkOverrides, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                                 nullptr) == ERROR_SUCCESS &&
               ::RegSetValueExW(key, dll, 0, REG_SZ, reinterpret_cast<const BYTE*>(L""), sizeof(wchar_t)) ==
                   ERROR_SUCCESS;
    if (key) ::RegCloseKey(key);
  }
  ~ScopedDisabledDll() { ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\Velk.exe"); }
  ScopedDisabledDll(const ScopedDisabledDll&) = delete;
  ScopedDisabledDll& operator=(const ScopedDisabledDll&) = delete;
  bool created() const { return created_; }

 private:
  bool created_ = false;
};

// True when process `pid` has loaded a module named `name`.
bool HasModule(DWORD pid, const std::wstring& name) {
  const HANDLE process = ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
  if (!process) {
    ADD_FAILURE() << "cannot open the player's process";
    return false;
  }
  HMODULE modules[1024] = {};
  DWORD needed = 0;
  bool found = false;
  if (::EnumProcessModules(process, modules, sizeof modules, &needed)) {
    for (DWORD i = 0; i < needed / sizeof(HMODULE) && i < 1024 && !found; ++i) {
      wchar_t base[MAX_PATH] = {};
      ::GetModuleBaseNameW(process, modules[i], base, MAX_PATH);
      found = ::lstrcmpiW(base, name.c_str()) == 0;
    }
  } else {
    ADD_FAILURE() << "cannot list the player's modules";
  }
  ::CloseHandle(process);
  return found;
}

using SoundSystemTest = PlayerFixture;

TEST_F(SoundSystemTest, LoadedAtTheFirstTrackNotAtStartUp) {
  const HWND player = Start();
  ASSERT_NE(player, nullptr);
  EXPECT_FALSE(HasModule(velk_->pid(), L"winmm.dll")) << "loaded at start-up";
  EXPECT_EQ(ToneAfterClicking(Button(player, kButtons[0].text)), 0);
  EXPECT_TRUE(HasModule(velk_->pid(), L"winmm.dll"));
}

TEST_F(SoundSystemTest, WithoutItThePlayerRunsSilentlyAndReportsNothing) {
  const ScopedDisabledDll withoutSoundSystem(L"winmm");
  ASSERT_TRUE(withoutSoundSystem.created());
  const HWND player = Start();
  ASSERT_NE(player, nullptr) << "the window comes up";
  EXPECT_EQ(ToneAfterClicking(Button(player, kButtons[0].text)), -1);
  for (int k = 1; k < 6; ++k) PostClick(Button(player, kButtons[k].text));  // the other tracks, Stop
  PostClick(Button(player, kButtons[2].text));
  EXPECT_TRUE(StaysSilent());
  EXPECT_TRUE(Responsive(player));
  EXPECT_TRUE(velk_->IsRunning());
  EXPECT_TRUE(::IsWindowVisible(player)) << "the window stays";
  EXPECT_TRUE(TopLevelWindows(velk_->pid(), L"#32770").empty()) << "no error report";
  EXPECT_FALSE(HasModule(velk_->pid(), L"winmm.dll")) << "the override took effect";
}

}  // namespace
}  // namespace e2e
