// What each built executable carries, read back through the system's own
// resource and version APIs: the version strings, an icon with 32x32 and
// 16x16 images of 16 colours and the larger sizes of high display scales,
// and a manifest that runs it as the invoker, aware of each screen's scale.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/e2e/fixture_paths.h"

namespace e2e {
namespace {

struct Executable {
  const wchar_t* path;  // below the win64 build tree
  const wchar_t* internalName;
  const wchar_t* originalFilename;
  const wchar_t* productName;
};
const Executable kExecutables[] = {
    {L"launcher\\SETUP.exe", L"SETUP", L"SETUP.exe", L"setup"},
    {L"player\\Velk.exe", L"Velk", L"Velk.exe", L"Sorvane"},
};

// The manifest declares every Windows from 7 to 11, so that none of them
// runs the programs in an older Windows's compatibility mode.
struct SupportedOs {
  const char* name;
  const char* id;
};
const SupportedOs kSupportedOs[] = {
    {"Windows 7", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"},
    {"Windows 8", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}"},
    {"Windows 8.1", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}"},
    {"Windows 10 and 11", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"},
};

std::wstring VersionString(const std::vector<BYTE>& info, const std::wstring& name) {
  void* value = nullptr;
  UINT length = 0;
  const std::wstring query = L"\\StringFileInfo\\080404B0\\" + name;
  if (!::VerQueryValueW(info.data(), query.c_str(), &value, &length) || length == 0) return L"";
  return std::wstring(static_cast<const wchar_t*>(value));
}

BOOL CALLBACK TakeFirstIconGroup(HMODULE module, LPCWSTR, LPWSTR name, LONG_PTR found) {
  *reinterpret_cast<HRSRC*>(found) = ::FindResourceW(module, name, RT_GROUP_ICON);
  return FALSE;
}

// Bits per pixel of each image in the module's first icon group, by width.
std::vector<std::pair<int, int>> IconImages(HMODULE module) {
  std::vector<std::pair<int, int>> images;
  HRSRC group = nullptr;
  ::EnumResourceNamesW(module, RT_GROUP_ICON, TakeFirstIconGroup,
                       reinterpret_cast<LONG_PTR>(&group));
  if (!group) return images;
  const auto* data = static_cast<const BYTE*>(::LockResource(::LoadResource(module, group)));
  const WORD count = *reinterpret_cast<const WORD*>(data + 4);
  for (WORD i = 0; i < count; ++i) {
    const BYTE* entry = data + 6 + i * 14;  // GRPICONDIRENTRY
    const int width = entry[0] == 0 ? 256 : entry[0];
    const int bits = *reinterpret_cast<const WORD*>(entry + 6);
    images.emplace_back(width, bits);
  }
  return images;
}

std::string Manifest(HMODULE module) {
  const HRSRC resource = ::FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST);
  if (!resource) return "";
  const auto* data = static_cast<const char*>(::LockResource(::LoadResource(module, resource)));
  return std::string(data, ::SizeofResource(module, resource));
}

TEST(ExecutableResources, VersionIconAndManifest) {
  for (const Executable& exe : kExecutables) {
    const std::wstring path = BuiltFile(exe.path);
    SCOPED_TRACE(ToUtf8(path));
    DWORD ignored = 0;
    std::vector<BYTE> info(::GetFileVersionInfoSizeW(path.c_str(), &ignored));
    ASSERT_FALSE(info.empty());
    ASSERT_TRUE(::GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

    struct Field {
      const wchar_t* name;
      std::wstring expected;
    };
    const Field fields[] = {{L"FileVersion", L"1.00"},
                            {L"ProductVersion", L"1.00"},
                            {L"InternalName", exe.internalName},
                            {L"OriginalFilename", exe.originalFilename},
                            {L"ProductName", exe.productName}};
    for (const Field& field : fields) {
      EXPECT_EQ(VersionString(info, field.name), field.expected) << ToUtf8(field.name);
    }
    EXPECT_FALSE(VersionString(info, L"CompanyName").empty());

    const HMODULE module = ::LoadLibraryExW(
        path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module, nullptr);
    const std::vector<std::pair<int, int>> images = IconImages(module);
    EXPECT_EQ(images, (std::vector<std::pair<int, int>>{{32, 4},
                                                          {16, 4},
                                                          {20, 32},
                                                          {24, 32},
                                                          {28, 32},
                                                          {40, 32},
                                                          {48, 32},
                                                          {56, 32},
                                                          {64, 32},
                                                          {80, 32},
                                                          {96, 32},
                                                          {256, 32}}))
        << "a 32x32 and a 16x16 image of 16 colours, and full colour at the sizes display "
           "scales up to 300% ask for and at 256x256";
    const std::string manifest = Manifest(module);
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
    for (const SupportedOs& os : kSupportedOs) {
      EXPECT_NE(manifest.find(os.id), std::string::npos) << "supportedOS of " << os.name;
    }
    EXPECT_EQ(manifest.find("processorArchitecture"), std::string::npos)
        << "the manifest names no processor, so it fits the x86 and the x64 build";
    EXPECT_NE(manifest.find("<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/"
                            "WindowsSettings\">true/pm</dpiAware>"),
              std::string::npos);
    EXPECT_NE(manifest.find("<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/"
                            "WindowsSettings\">PerMonitorV2, PerMonitor</dpiAwareness>"),
              std::string::npos);
    ::FreeLibrary(module);
  }
}

}  // namespace
}  // namespace e2e
