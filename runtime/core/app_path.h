// Paths composed from the application folder.
#pragma once

#include <string>
#include <string_view>

namespace rt {

// The folder that holds the executable at `modulePath`, with no trailing
// separator except at the root of a drive ("E:\"), where it keeps one.
std::wstring FolderOfModule(std::wstring_view modulePath);

// `folder` and `relative` joined by exactly the separator `folder` lacks: no
// separator is added when the folder already ends in one.
std::wstring JoinPath(std::wstring_view folder, std::wstring_view relative);

// `path` with ".exe" appended when its file name has no extension, which is
// how the platform resolves a program name given without one.
std::wstring WithExecutableExtension(std::wstring_view path);

// `path` in double quotes, as one argument of a command line. Windows paths
// cannot contain a double quote, so no escaping is needed.
std::wstring QuoteForCommandLine(std::wstring_view path);

}  // namespace rt
