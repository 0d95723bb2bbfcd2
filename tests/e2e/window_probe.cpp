#include "tests/e2e/window_probe.h"

namespace e2e {

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
  for (;;) {
    if (condition()) return true;
    if (::GetTickCount64() >= deadline) return false;
    ::Sleep(50);
  }
}

namespace {

struct TopLevelSearch {
  DWORD pid;
  const wchar_t* className;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectTopLevel(HWND hwnd, LPARAM param) {
  auto* s = reinterpret_cast<TopLevelSearch*>(param);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(hwnd, &owner);
  if (owner == s->pid && ::IsWindowVisible(hwnd) &&
      (!s->className || ClassOf(hwnd) == s->className)) {
    s->found.push_back(hwnd);
  }
  return TRUE;
}

}  // namespace

std::vector<HWND> TopLevelWindows(DWORD pid, const wchar_t* className) {
  TopLevelSearch search{pid, className, {}};
  ::EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND FindTopLevelWindow(DWORD pid, const wchar_t* className) {
  const std::vector<HWND> windows = TopLevelWindows(pid, className);
  return windows.empty() ? nullptr : windows.front();
}

std::wstring ClassOf(HWND hwnd) {
  wchar_t name[256] = {};
  ::GetClassNameW(hwnd, name, 256);
  return name;
}

std::wstring TextOf(HWND hwnd) {
  wchar_t text[512] = {};
  DWORD_PTR copied = 0;
  if (!::SendMessageTimeoutW(hwnd, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text),
                             SMTO_ABORTIFHUNG, 2000, &copied)) {
    return L"<no answer>";
  }
  return std::wstring(text, copied);
}

std::vector<HWND> ChildWindows(HWND parent) {
  std::vector<HWND> children;
  for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    children.push_back(child);
  }
  return children;
}

HWND ChildByText(HWND parent, const std::wstring& text) {
  for (HWND child : ChildWindows(parent)) {
    if (TextOf(child) == text) return child;
    if (HWND inner = ChildByText(child, text)) return inner;
  }
  return nullptr;
}

RECT WindowRectOnScreen(HWND hwnd) {
  RECT r{};
  ::GetWindowRect(hwnd, &r);
  return r;
}

RECT ClientRectOnScreen(HWND hwnd) {
  RECT r{};
  ::GetClientRect(hwnd, &r);
  ::MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

RECT ClientRectIn(HWND child, HWND ancestor) {
  RECT r = ClientRectOnScreen(child);
  ::MapWindowPoints(nullptr, ancestor, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

COLORREF ScreenPixel(int x, int y) {
  const HDC screen = ::GetDC(nullptr);
  const COLORREF color = ::GetPixel(screen, x, y);
  ::ReleaseDC(nullptr, screen);
  return color;
}

COLORREF ClientPixel(HWND hwnd, int x, int y) {
  POINT p{x, y};
  ::ClientToScreen(hwnd, &p);
  return ScreenPixel(p.x, p.y);
}

HWND FocusedWindow(HWND hwnd) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(hwnd, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

void PostClick(HWND button) { ::PostMessageW(button, BM_CLICK, 0, 0); }

void PressKey(HWND target, WORD vk, bool shift) {
  ::SetForegroundWindow(target);
  WaitUntil([&] { return ::GetForegroundWindow() == target; }, 2000);
  std::vector<INPUT> inputs;
  const auto key = [&](WORD code, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = code;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    inputs.push_back(input);
  };
  if (shift) key(VK_SHIFT, false);
  key(vk, false);
  key(vk, true);
  if (shift) key(VK_SHIFT, true);
  ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void PostClose(HWND hwnd) { ::PostMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0); }

}  // namespace e2e
