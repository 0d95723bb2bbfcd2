#include "tools/bench/launched_program.h"

#include <psapi.h>

#include <stdexcept>

#include "tools/bench/reference_window.h"

namespace bench {
namespace {

constexpr double kPaintTimeoutMs = 30000.0;
constexpr DWORD kCloseTimeoutMs = 5000;
// Client points inside the background that neither the player's buttons nor
// anything else covers: the left margin and the right margin between the
// two rows of buttons.
constexpr POINT kBackgroundPoints[] = {{4, 38}, {333, 38}};

std::wstring FolderOf(const std::wstring& path) {
  const std::size_t separator = path.find_last_of(L"\\/");
  return separator == std::wstring::npos ? std::wstring(L".") : path.substr(0, separator + 1);
}

struct WindowSearch {
  DWORD pid;
  HWND found;
};

// EnumWindows callback: stops at the first visible window of search->pid.
BOOL CALLBACK MatchVisibleWindowOf(HWND hwnd, LPARAM param) {
  auto& search = *reinterpret_cast<WindowSearch*>(param);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(hwnd, &owner);
  if (owner != search.pid || !::IsWindowVisible(hwnd)) return TRUE;
  search.found = hwnd;
  return FALSE;
}

HWND VisibleTopLevelWindowOf(DWORD pid) {
  WindowSearch search{pid, nullptr};
  ::EnumWindows(&MatchVisibleWindowOf, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace

LaunchedProgram::LaunchedProgram(const std::wstring& exe) {
  std::wstring commandLine = L"\"" + exe + L"\"";
  const std::wstring folder = FolderOf(exe);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  sinceStart_ = Stopwatch();
  if (!::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &process)) {
    throw std::runtime_error("a program did not start");
  }
  ::CloseHandle(process.hThread);
  process_ = process.hProcess;
  pid_ = process.dwProcessId;
}

LaunchedProgram::~LaunchedProgram() {
  if (::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) ::TerminateProcess(process_, 255);
  ::CloseHandle(process_);
}

bool LaunchedProgram::ShowsBackground() const {
  const HDC screen = ::GetDC(nullptr);
  bool shown = screen != nullptr;
  for (POINT point : kBackgroundPoints) {
    if (!shown) break;
    shown = ::ClientToScreen(window_, &point) && ::GetPixel(screen, point.x, point.y) == kBackgroundBlue;
  }
  if (screen) ::ReleaseDC(nullptr, screen);
  return shown;
}

double LaunchedProgram::WaitForFirstPaint() {
  // Waits without polling while the program starts: polling the window list
  // every millisecond takes the Wine server's time from the program being
  // measured, the more so the more windows it makes. A program first waits
  // for input when its queue is empty, which is after its first paint; the
  // pixels are then checked, polling, in case it went idle earlier.
  ::WaitForInputIdle(process_, static_cast<DWORD>(kPaintTimeoutMs));
  for (;;) {
    if (!window_) window_ = VisibleTopLevelWindowOf(pid_);
    if (window_ && ShowsBackground()) return sinceStart_.ElapsedMs();
    if (sinceStart_.ElapsedMs() > kPaintTimeoutMs) throw std::runtime_error("no window was painted");
    if (::WaitForSingleObject(process_, 0) == WAIT_OBJECT_0) throw std::runtime_error("a program ended early");
    ::Sleep(1);
  }
}

std::optional<std::uint64_t> LaunchedProgram::WorkingSetKiB() const {
  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof memory;
  if (!::GetProcessMemoryInfo(process_, &memory, sizeof memory)) return std::nullopt;
  return memory.WorkingSetSize / 1024;
}

void LaunchedProgram::Close() {
  if (window_) ::PostMessageW(window_, WM_CLOSE, 0, 0);
  if (::WaitForSingleObject(process_, kCloseTimeoutMs) == WAIT_TIMEOUT) {
    ::TerminateProcess(process_, 255);
    ::WaitForSingleObject(process_, kCloseTimeoutMs);
  }
}

}  // namespace bench
