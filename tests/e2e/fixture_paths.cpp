#include "tests/e2e/fixture_paths.h"

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace e2e {
namespace {

std::wstring Environment(const wchar_t* name) {
  wchar_t value[1024] = {};
  const DWORD length = ::GetEnvironmentVariableW(name, value, 1024);
  if (length == 0 || length >= 1024) {
    throw std::runtime_error("environment variable missing: run the tests through tools/run-e2e.sh");
  }
  return value;
}

std::wstring Join(const std::wstring& folder, std::wstring_view relative) {
  return folder + L"\\" + std::wstring(relative);
}

}  // namespace

std::wstring BuiltFile(std::wstring_view relative) {
  return Join(Environment(L"E2E_BUILD_DIR"), relative);
}

std::wstring SourceFile(std::wstring_view relative) {
  return Join(Environment(L"E2E_SOURCE_DIR"), relative);
}

std::wstring RecordFile() { return Environment(L"E2E_RECORD_FILE"); }

void EmptyFolder(const std::wstring& folder) {
  const std::wstring base = folder.back() == L'\\' ? folder : folder + L"\\";
  WIN32_FIND_DATAW found{};
  const HANDLE search = ::FindFirstFileW((base + L"*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    // The root of an empty drive lists nothing at all, not even "." and "..".
    if (::GetLastError() == ERROR_FILE_NOT_FOUND) return;
    throw std::runtime_error("cannot list a test folder");
  }
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    const std::wstring path = base + name;
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      EmptyFolder(path);
      ::RemoveDirectoryW(path.c_str());
    } else {
      ::DeleteFileW(path.c_str());
    }
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
}

void CopyFileTo(const std::wstring& from, const std::wstring& to) {
  std::filesystem::create_directories(std::filesystem::path(to).parent_path());
  std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
}

void WriteBytes(const std::wstring& path, std::string_view bytes) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream out(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ToUtf8(std::wstring_view text) {
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), size,
                        nullptr, nullptr);
  return utf8;
}

std::string ReadBytes(const std::wstring& path) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::string ReadRecords() { return ReadBytes(RecordFile()); }

void ClearRecords() { std::filesystem::remove(std::filesystem::path(RecordFile())); }

}  // namespace e2e
