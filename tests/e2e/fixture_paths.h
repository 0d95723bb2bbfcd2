// Where the end-to-end tests find what they need: the programs under test,
// the artwork they show, the drives the harness mapped, the record file the
// stand-in installers write. The harness passes these in the environment.
#pragma once

#include <string>
#include <string_view>

namespace e2e {

// A built program below the win64 build tree, e.g. L"launcher\\SETUP.exe".
std::wstring BuiltFile(std::wstring_view relative);
// A file below the source tree, e.g. L"assets\\form1\\cover.bmp".
std::wstring SourceFile(std::wstring_view relative);
// The file the stand-in installers append their records to.
std::wstring RecordFile();

// Removes everything inside `folder` (which must exist) and keeps the folder.
void EmptyFolder(const std::wstring& folder);
// Copies `from` to `to`, creating the folders `to` needs.
void CopyFileTo(const std::wstring& from, const std::wstring& to);
void WriteBytes(const std::wstring& path, std::string_view bytes);
// The whole file at `path`; empty when it cannot be read.
std::string ReadBytes(const std::wstring& path);

std::string ToUtf8(std::wstring_view text);

// Records written so far by stand-in installers ("" when none), and removal.
std::string ReadRecords();
void ClearRecords();

}  // namespace e2e
