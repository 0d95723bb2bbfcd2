#include "runtime/core/app_path.h"

namespace rt {
namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

}  // namespace

std::wstring FolderOfModule(std::wstring_view modulePath) {
  const std::size_t lastSeparator = modulePath.find_last_of(L"\\/");
  if (lastSeparator == std::wstring_view::npos) return {};
  std::wstring_view folder = modulePath.substr(0, lastSeparator);
  // "E:" alone would name the drive's current folder, not its root.
  const bool driveRoot = folder.size() == 2 && folder[1] == L':';
  return driveRoot ? std::wstring(modulePath.substr(0, lastSeparator + 1))
                   : std::wstring(folder);
}

std::wstring JoinPath(std::wstring_view folder, std::wstring_view relative) {
  std::wstring joined(folder);
  if (!joined.empty() && !IsSeparator(joined.back())) joined += L'\\';
  joined += relative;
  return joined;
}

std::wstring WithExecutableExtension(std::wstring_view path) {
  const std::size_t nameStart = path.find_last_of(L"\\/:");
  const std::wstring_view name =
      nameStart == std::wstring_view::npos ? path : path.substr(nameStart + 1);
  std::wstring result(path);
  if (name.find(L'.') == std::wstring_view::npos) result += L".exe";
  return result;
}

std::wstring QuoteForCommandLine(std::wstring_view path) {
  return L"\"" + std::wstring(path) + L"\"";
}

}  // namespace rt
