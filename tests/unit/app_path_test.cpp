#include "runtime/core/app_path.h"

#include <gtest/gtest.h>

namespace rt {
namespace {

TEST(FolderOfModule, KeepsASeparatorOnlyAtADriveRoot) {
  struct Case {
    const wchar_t* module;
    const wchar_t* folder;
  };
  const Case cases[] = {
      {L"E:\\SETUP.exe", L"E:\\"},
      {L"E:\\Disc\\SETUP.exe", L"E:\\Disc"},
      {L"C:\\Program Files\\Sorvane\\Velk.exe", L"C:\\Program Files\\Sorvane"},
      {L"F:\\My Disc 光盘\\SETUP.exe", L"F:\\My Disc 光盘"},
      {L"\\\\server\\share\\SETUP.exe", L"\\\\server\\share"},
      {L"E:/Disc/Velk.exe", L"E:/Disc"},
      {L"SETUP.exe", L""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FolderOfModule(c.module), c.folder) << "module path index " << (&c - cases);
  }
}

TEST(JoinPath, InsertsExactlyTheMissingSeparator) {
  struct Case {
    const wchar_t* folder;
    const wchar_t* relative;
    const wchar_t* joined;
  };
  const Case cases[] = {
      {L"E:\\", L"setupjt\\setup", L"E:\\setupjt\\setup"},
      {L"E:\\Disc", L"setupjt\\setup", L"E:\\Disc\\setupjt\\setup"},
      {L"E:\\My Disc", L"Setupft\\setup.exe", L"E:\\My Disc\\Setupft\\setup.exe"},
      {L"E:\\Disc\\", L"Setupft\\setup.exe", L"E:\\Disc\\Setupft\\setup.exe"},
      {L"E:/Disc/", L"music1.mp3", L"E:/Disc/music1.mp3"},
      {L"", L"setup.exe", L"setup.exe"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(JoinPath(c.folder, c.relative), c.joined) << "case index " << (&c - cases);
  }
}

TEST(WithExecutableExtension, AppendsExeOnlyToANameWithoutExtension) {
  struct Case {
    const wchar_t* path;
    const wchar_t* expected;
  };
  const Case cases[] = {
      {L"E:\\setupjt\\setup", L"E:\\setupjt\\setup.exe"},
      {L"E:\\Setupft\\setup.exe", L"E:\\Setupft\\setup.exe"},
      {L"E:\\setup.v2\\setup", L"E:\\setup.v2\\setup.exe"},  // a dot in a folder name
      {L"E:\\Disc\\install.com", L"E:\\Disc\\install.com"},
      {L"E:setup", L"E:setup.exe"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WithExecutableExtension(c.path), c.expected) << "case index " << (&c - cases);
  }
}

TEST(QuoteForCommandLine, KeepsSpacesInsideOneArgument) {
  EXPECT_EQ(QuoteForCommandLine(L"E:\\My Disc\\setupjt\\setup.exe"),
            L"\"E:\\My Disc\\setupjt\\setup.exe\"");
}

}  // namespace
}  // namespace rt
