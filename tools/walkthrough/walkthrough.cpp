// Walks through the product on a disc by itself, for a run without a user:
// starts SETUP.exe from the disc root and saves a picture of its window,
// closes it; starts Velk.exe, plays the first track for a few seconds,
// saves the player window, stops, opens the about window and saves it,
// closes it and exits the player. Buttons are clicked with a posted
// BM_CLICK, which always lands (synthesized mouse clicks may be lost in a
// Wine virtual desktop). Each picture is the window's rectangle copied from
// the screen, written as a 24-bit BMP; one line per window tells its name
// and screen rectangle. The walk-through is aware of the display scale, so
// that at any scale the pictures hold the screen's own pixels; with a name
// suffix (e.g. "-150") the pictures are launcher-150.bmp and so on.
//
// usage: walkthrough DISC_ROOT OUTPUT_FOLDER [NAME_SUFFIX]
//        e.g. walkthrough D:\ Z:\tmp\out
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kFormClass[] = L"RtForm";
constexpr DWORD kWindowTimeoutMs = 20000;
constexpr DWORD kPlayMs = 4000;

// Waits up to `timeoutMs` for `found` to return a window, polling.
template <typename Find>
HWND WaitForWindow(Find found, DWORD timeoutMs = kWindowTimeoutMs) {
  const ULONGLONG end = ::GetTickCount64() + timeoutMs;
  do {
    if (const HWND hwnd = found()) return hwnd;
    ::Sleep(100);
  } while (::GetTickCount64() < end);
  return nullptr;
}

// Window text read with WM_GETTEXT, which works across processes.
std::wstring TextOf(HWND hwnd) {
  wchar_t text[256] = {};
  DWORD_PTR copied = 0;
  ::SendMessageTimeoutW(hwnd, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        2000, &copied);
  return text;
}

// A visible top-level RtForm window of process `pid` whose caption is
// `caption`; null when there is none.
struct FormSearch {
  DWORD pid;
  const std::wstring* caption;
  HWND found;
};

BOOL CALLBACK MatchForm(HWND hwnd, LPARAM param) {
  auto& s = *reinterpret_cast<FormSearch*>(param);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(hwnd, &owner);
  wchar_t className[64] = {};
  ::GetClassNameW(hwnd, className, 64);
  if (owner == s.pid && ::IsWindowVisible(hwnd) && std::wstring(className) == kFormClass &&
      TextOf(hwnd) == *s.caption) {
    s.found = hwnd;
    return FALSE;
  }
  return TRUE;
}

HWND FormOf(DWORD pid, const std::wstring& caption) {
  FormSearch search{pid, &caption, nullptr};
  ::EnumWindows(MatchForm, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

struct ButtonSearch {
  const std::wstring* text;
  HWND found;
};

BOOL CALLBACK MatchButton(HWND hwnd, LPARAM param) {
  auto& s = *reinterpret_cast<ButtonSearch*>(param);
  if (TextOf(hwnd) != *s.text) return TRUE;
  s.found = hwnd;
  return FALSE;
}

HWND ButtonOf(HWND form, const std::wstring& text) {
  ButtonSearch search{&text, nullptr};
  ::EnumChildWindows(form, MatchButton, reinterpret_cast<LPARAM>(&search));
  if (!search.found) throw std::runtime_error("a button is missing");
  return search.found;
}

void Click(HWND form, const std::wstring& buttonText) {
  ::PostMessageW(ButtonOf(form, buttonText), BM_CLICK, 0, 0);
}

class Program {
 public:
  Program(const std::wstring& path, const std::wstring& folder) {
    std::wstring commandLine = L"\"" + path + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          folder.c_str(), &startup, &process)) {
      throw std::runtime_error("a program on the disc did not start");
    }
    ::CloseHandle(process.hThread);
    process_ = process.hProcess;
    pid_ = process.dwProcessId;
  }
  ~Program() {
    if (::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) ::TerminateProcess(process_, 255);
    ::CloseHandle(process_);
  }
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  HWND WaitForForm(const std::wstring& caption) const {
    const HWND form = WaitForWindow([&] { return FormOf(pid_, caption); });
    if (!form) throw std::runtime_error("a window did not appear");
    return form;
  }
  void WaitForExit() const {
    if (::WaitForSingleObject(process_, 10000) != WAIT_OBJECT_0) {
      throw std::runtime_error("a program did not end");
    }
  }

 private:
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
};

// Copies `window`'s rectangle from the screen into a bottom-up 24-bit BMP.
void SaveWindowPicture(HWND window, const std::wstring& path) {
  ::SetForegroundWindow(window);
  ::Sleep(800);  // let the window finish painting
  RECT r{};
  ::GetWindowRect(window, &r);
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;

  const HDC screen = ::GetDC(nullptr);
  const HDC memory = ::CreateCompatibleDC(screen);
  const HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
  const HGDIOBJ previous = ::SelectObject(memory, bitmap);
  ::BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
  ::SelectObject(memory, previous);

  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
  std::vector<char> pixels(static_cast<std::size_t>(stride) * height);
  ::GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info),
              DIB_RGB_COLORS);
  ::DeleteObject(bitmap);
  ::DeleteDC(memory);
  ::ReleaseDC(nullptr, screen);

  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
  std::ofstream out(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&info), sizeof info);
  out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
  if (!out) throw std::runtime_error("a picture could not be written");
  std::printf("walkthrough: window %ls at %ld,%ld size %dx%d\n",
              path.substr(path.find_last_of(L'\\') + 1).c_str(), r.left, r.top, width, height);
  std::fflush(stdout);
}

void Say(const char* step) {
  std::printf("walkthrough: %s\n", step);
  std::fflush(stdout);
}

// Window rectangles and screen pixels in physical pixels at every scale
// need a per-monitor aware caller (per-monitor v2 is refused by Wine 8).
void BecomePerMonitorAware() {
  using SetContext = BOOL(WINAPI*)(HANDLE);
  const auto setContext = reinterpret_cast<SetContext>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "SetProcessDpiAwarenessContext")));
  const HANDLE perMonitorAware = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-3));
  if (!setContext || !setContext(perMonitorAware)) ::SetProcessDPIAware();
}

void Walk(const std::wstring& disc, const std::wstring& output, const std::wstring& suffix) {
  {
    Say("starting SETUP.exe from the disc");
    const Program launcher(disc + L"SETUP.exe", disc);
    const HWND form = launcher.WaitForForm(L"");
    SaveWindowPicture(form, output + L"launcher" + suffix + L".bmp");
    ::PostMessageW(form, WM_SYSCOMMAND, SC_CLOSE, 0);
    launcher.WaitForExit();
  }
  Say("starting Velk.exe from the disc");
  const Program player(disc + L"Velk.exe", disc);
  const HWND form = player.WaitForForm(L"Music");
  Say("playing track 1");
  Click(form, L"朝元歌");
  ::Sleep(kPlayMs / 2);
  SaveWindowPicture(form, output + L"player" + suffix + L".bmp");
  ::Sleep(kPlayMs / 2);
  Click(form, L"停止");
  Say("opening the about window");
  Click(form, L"關于");
  const HWND about = player.WaitForForm(L"VOLN");
  SaveWindowPicture(about, output + L"about" + suffix + L".bmp");
  ::PostMessageW(about, WM_SYSCOMMAND, SC_CLOSE, 0);
  WaitForWindow([&] { return ::IsWindowVisible(about) ? nullptr : form; }, 5000);
  Click(form, L"退出");
  player.WaitForExit();
  Say("done");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "usage: walkthrough DISC_ROOT OUTPUT_FOLDER [NAME_SUFFIX]\n");
    return 2;
  }
  BecomePerMonitorAware();
  const auto folder = [](std::wstring path) { return path.back() == L'\\' ? path : path + L'\\'; };
  try {
    Walk(folder(argv[1]), folder(argv[2]), argc == 4 ? argv[3] : L"");
  } catch (const std::exception& e) {
    std::printf("walkthrough: failed: %s\n", e.what());
    return 1;
  }
  return 0;
}
