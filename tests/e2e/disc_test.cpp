// The product disc as a user meets it: drive D: is a CD-ROM holding the files
// of an image made by tools/make-disc, with the stand-in installer as both
// editions' installer. Its names are the image's Joliet names, autorun.inf
// opens SETUP.exe, and SETUP.exe started from the root of the drive starts
// the chosen edition's installer from the disc. The image's programs are
// signed, as a publisher's are: tools/run-e2e.sh makes it with
// `make-disc --sign` and the tests' own code-signing certificate
// (tests/disc/test-pki.sh), so SETUP.exe and Velk.exe run here signed.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "tests/e2e/fixture_paths.h"
#include "tests/e2e/program_under_test.h"
#include "tests/e2e/window_probe.h"

namespace e2e {
namespace {

constexpr wchar_t kFormClass[] = L"RtForm";
const std::wstring kDisc = L"D:\\";

// Names in `folder` (without "." and ".."), sorted, as the drive spells them.
std::vector<std::wstring> NamesIn(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found{};
  const HANDLE search = ::FindFirstFileW((folder + L"*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

std::string Joined(const std::vector<std::wstring>& names) {
  std::string text;
  for (const std::wstring& name : names) text += ToUtf8(name) + " ";
  return text;
}

// The programs the stand-in installers recorded, in the order they started.
std::vector<std::string> StartedModules() {
  std::vector<std::string> modules;
  std::istringstream in(ReadRecords());
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("module=", 0) == 0) modules.push_back(line.substr(7));
  }
  return modules;
}

// The certificate table (the Authenticode signature) of the PE file `bytes`,
// as its security directory places it; empty when it has none.
std::string_view CertificateTable(std::string_view bytes) {
  const auto u16 = [&](std::size_t at) -> std::uint32_t {
    std::uint16_t value = 0;
    if (at + 2 <= bytes.size()) std::memcpy(&value, bytes.data() + at, 2);
    return value;
  };
  const auto u32 = [&](std::size_t at) -> std::uint32_t {
    std::uint32_t value = 0;
    if (at + 4 <= bytes.size()) std::memcpy(&value, bytes.data() + at, 4);
    return value;
  };
  const std::size_t header = u32(0x3c);
  if (u32(header) != 0x00004550) return {};  // "PE\0\0"
  const std::size_t optional = header + 24;
  const std::uint32_t magic = u16(optional);
  // Data directory 4 (IMAGE_DIRECTORY_ENTRY_SECURITY): a file offset, a size.
  const std::size_t directories = optional + (magic == 0x20b ? 112 : 96);
  const std::size_t offset = u32(directories + 4 * 8);
  const std::size_t size = u32(directories + 4 * 8 + 4);
  if (size == 0 || offset + size > bytes.size()) return {};
  return bytes.substr(offset, size);
}

TEST(DiscTest, ProgramsCarryThePublishersSignature) {
  for (const wchar_t* program : {L"SETUP.exe", L"Velk.exe"}) {
    SCOPED_TRACE(ToUtf8(program));
    const std::string bytes = ReadBytes(kDisc + program);
    ASSERT_FALSE(bytes.empty()) << "cannot read it from the disc";
    const std::string_view table = CertificateTable(bytes);
    ASSERT_GE(table.size(), 8u) << "no signature";
    // WIN_CERTIFICATE: revision 2.0, PKCS#7 signed data.
    EXPECT_EQ(std::uint8_t(table[4]) | std::uint8_t(table[5]) << 8, 0x0200);
    EXPECT_EQ(std::uint8_t(table[6]) | std::uint8_t(table[7]) << 8, 0x0002);
    EXPECT_NE(table.find("Sorvane Test Publisher"), std::string_view::npos)
        << "not signed with the tests' publisher certificate";
  }
}

TEST(DiscTest, SignedPlayerRunsFromTheDisc) {
  const ProgramUnderTest player(kDisc + L"Velk.exe", kDisc);
  const HWND form = player.WaitForWindow(kFormClass);
  ASSERT_NE(form, nullptr) << "the signed player shows no window";
  const HWND exit = ChildByText(form, L"退出");
  ASSERT_NE(exit, nullptr);
  PostClick(exit);
  EXPECT_TRUE(player.WaitForExit()) << "the player ends from its exit button";
}

TEST(DiscTest, DriveIsACdRom) { EXPECT_EQ(::GetDriveTypeW(kDisc.c_str()), DRIVE_CDROM); }

TEST(DiscTest, FoldersHoldExactlyTheDiscFilesUnderTheirNames) {
  struct Folder {
    std::wstring path;
    std::vector<std::wstring> names;  // sorted as NamesIn sorts
  };
  const Folder folders[] = {
      {kDisc,
       {L"SETUP.exe", L"Setupft", L"Velk.exe", L"autorun.inf", L"music1.mp3", L"music2.mp3",
        L"music3.mp3", L"music4.mp3", L"music5.mp3", L"setupjt"}},
      {kDisc + L"setupjt\\", {L"setup.exe"}},
      {kDisc + L"Setupft\\", {L"setup.exe"}},
  };
  for (const Folder& folder : folders) {
    EXPECT_EQ(Joined(NamesIn(folder.path)), Joined(folder.names)) << ToUtf8(folder.path);
  }
}

TEST(DiscTest, AutorunOpensSetupWithItsIcon) {
  const std::wstring autorun = kDisc + L"autorun.inf";
  for (const wchar_t* key : {L"open", L"icon"}) {
    wchar_t value[64] = {};
    ::GetPrivateProfileStringW(L"autorun", key, L"", value, 64, autorun.c_str());
    EXPECT_STREQ(value, L"SETUP.exe") << ToUtf8(key);
  }
}

TEST(DiscTest, LauncherStartsTheChosenEditionFromTheDisc) {
  struct Case {
    std::wstring button;
    std::string module;
  };
  const Case cases[] = {{L"简体版", "D:\\setupjt\\setup.exe"},
                        {L"繁体版", "D:\\Setupft\\setup.exe"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(ToUtf8(c.button));
    ClearRecords();
    const ProgramUnderTest launcher(kDisc + L"SETUP.exe", kDisc);
    const HWND form = launcher.WaitForWindow(kFormClass);
    ASSERT_NE(form, nullptr);
    const HWND button = ChildByText(form, c.button);
    ASSERT_NE(button, nullptr);
    PostClick(button);
    ASSERT_TRUE(WaitUntil([] { return !StartedModules().empty(); }, 10000)) << "nothing started";
    ASSERT_TRUE(launcher.WaitForExit()) << "the launcher closes after starting";
    ::Sleep(300);
    const std::vector<std::string> modules = StartedModules();
    ASSERT_EQ(modules.size(), 1u) << "exactly one program starts";
    EXPECT_EQ(modules[0], c.module);
  }
}

}  // namespace
}  // namespace e2e
