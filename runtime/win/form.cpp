#include "runtime/win/form.h"

#include <new>

#include "runtime/win/display_scale.h"
#include "runtime/win/picture_box.h"
#include "runtime/win/picture_button.h"
#include "runtime/win/program.h"
#include "runtime/win/win_error.h"

namespace rt {
namespace {

constexpr wchar_t kFormClass[] = L"RtForm";
// Control identifiers start above IDOK and IDCANCEL, which the system's
// dialog handling sends for Enter and Escape.
constexpr int kFirstControlId = 100;
// Layouts in a row when Windows keeps announcing other scales while the
// window is laid out (moving it between screens each time); the last one
// stands, complete at its one scale.
constexpr int kMostLayoutsInARow = 4;
// A paint whose drawing was refused (the system out of GDI resources) is
// tried again after this long, until it draws whole.
constexpr UINT_PTR kRepaintTimer = 1;
constexpr UINT kRepaintDelayMs = 500;
// A window whose close the system refused is hidden and closed again after
// this long, until it goes.
constexpr UINT_PTR kCloseTimer = 2;
constexpr UINT kCloseRetryMs = 100;

HMENU ControlId(int id) { return reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)); }

}  // namespace

void RegisterFormClass() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &Form::WindowProc;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kFormClass;
  Check(::RegisterClassExW(&wc), "RegisterClassExW");
}

Form* Form::FromWindow(HWND hwnd) {
  const HWND root = ::GetAncestor(hwnd, GA_ROOT);
  wchar_t className[16] = {};
  if (!root || !::GetClassNameW(root, className, 16) || std::wstring_view(className) != kFormClass) {
    return nullptr;
  }
  return reinterpret_cast<Form*>(::GetWindowLongPtrW(root, GWLP_USERDATA));
}

void Form::Load() {
  if (IsLoaded()) return;
  try {
    CreateFrame();
    CreateControls(description_.controls, hwnd_);
    PlaceOnScreen();
  } catch (...) {
    Unload();
    throw;
  }
  NoteFormLoaded(*this);
  OnLoad();
}

void Form::Show() {
  Load();
  if (::IsIconic(hwnd_)) ::ShowWindow(hwnd_, SW_RESTORE);
  if (!::IsWindowVisible(hwnd_)) ::ShowWindow(hwnd_, SW_SHOW);
  ::SetForegroundWindow(hwnd_);
  ::BringWindowToTop(hwnd_);
}

void Form::Unload() {
  if (hwnd_) Check(::DestroyWindow(hwnd_), "DestroyWindow");
}

HBITMAP Form::PictureOf(HWND control) const {
  for (const LiveControl& live : controls_) {
    if (live.hwnd == control) return live.picture.bitmap.get();
  }
  return nullptr;
}

Component& Form::FindComponent(std::wstring_view name) {
  for (LiveControl& control : controls_) {
    if (control.description->name == name && control.component) return *control.component;
  }
  throw RuntimeError(ErrorNumber::MethodNotSupported, "FindComponent");
}

void Form::CreateFrame() {
  const FrameStyles styles = StylesOf(description_);
  const HWND owner = description_.showInTaskbar ? nullptr : HiddenOwnerWindow();
  const std::wstring caption(description_.caption);
  backBrush_.reset(Check(::CreateSolidBrush(description_.backColor), "CreateSolidBrush"));
  // Created hidden at the system's default place; PlaceOnScreen gives it its
  // size (and, for a centred window, its place).
  bindError_ = 0;
  if (!::CreateWindowExW(styles.exStyle, kFormClass, caption.c_str(), styles.style,
                         CW_USEDEFAULT, CW_USEDEFAULT, 0, 0, owner, nullptr,
                         ::GetModuleHandleW(nullptr), this)) {
    // The window procedure refused a window it could not bind to this form.
    if (bindError_ != 0) {
      throw RuntimeError(ErrorNumberFromSystemError(bindError_), "SetWindowLongPtrW");
    }
    ThrowLastError("CreateWindowExW");
  }
}

void Form::PlaceOnScreen() {
  // Unmeasured, the window counts as created at the top-left corner of the
  // primary screen.
  RECT created{};
  ::GetWindowRect(hwnd_, &created);
  const ScreenPoint defaultTopLeft{created.left, created.top};
  const bool centred = description_.startPosition == StartPosition::CenterScreen;
  FramePlace place;
  place.centre = centred;
  place.topLeft = {created.left, created.top};
  const std::vector<Screen> screens = Screens();
  if (const auto target = TargetScreen(screens, centred, defaultTopLeft)) {
    place.screen = screens[*target].area;
    LayOut(screens[*target].dpi, place);
    return;
  }
  // No screen listed: the scale Windows gives the window where it is, and
  // the primary screen's size.
  place.screen = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
  LayOut(WindowDpi(hwnd_), place);
}

void Form::LayOut(int dpi, FramePlace place) {
  std::optional<int> next = dpi;
  for (int layouts = 0; next && layouts < kMostLayoutsInARow; ++layouts) {
    scale_.Begin(*next);
    try {
      ApplyScale(*next, place);
    } catch (...) {
      scale_.End();
      throw;
    }
    next = scale_.End();
    // A centred window being placed stays centred on its screen; any other
    // goes where Windows suggested with the scale it announced.
    if (next && !place.centre) place.topLeft = announcedTopLeft_;
  }
  // An announcement of the scale just laid out may have come with new frame
  // metrics after the frame was checked: the last word is the client area's.
  if (!::IsIconic(hwnd_)) SettleFrame(hwnd_, description_, scale_.current(), place);
}

namespace {

// Replaces `held` with picture `id` drawn for `dpi`. When that cannot be
// loaded (GDI used up, a drawing missing), a picture already held is kept,
// drawn for another scale: the window draws less rather than fail. With none
// held (a window's first layout) the failure is the caller's.
void ReplacePicture(Picture& held, ResourceId id, int dpi) {
  try {
    held = LoadPicture(id, dpi);
  } catch (const RuntimeError& error) {
    if (!held.bitmap) throw;
    ::OutputDebugStringA(error.what());
  } catch (const std::bad_alloc&) {
    if (!held.bitmap) throw;
    ::OutputDebugStringA("a picture for the new scale found no memory");
  }
}

// Icon `id` at `size` pixels. When it cannot be loaded and the window
// already shows one (`holding`), empty: that one stays. With none shown the
// failure is the caller's.
UniqueIcon IconForScale(ResourceId id, int size, bool holding) {
  try {
    return LoadIconResource(id, size);
  } catch (const RuntimeError& error) {
    if (!holding) throw;
    ::OutputDebugStringA(error.what());
  }
  return UniqueIcon();
}

// Gives the frame `icon` as its `which` icon and keeps it in `held`, which
// releases the one shown before only once replaced; an empty one changes
// nothing.
void ShowIcon(HWND frame, WPARAM which, UniqueIcon icon, UniqueIcon& held) {
  if (!icon) return;
  ::SendMessageW(frame, WM_SETICON, which, reinterpret_cast<LPARAM>(icon.get()));
  held = std::move(icon);
}

}  // namespace

void Form::ApplyScale(int dpi, const FramePlace& place) {
  ReplacePicture(background_, description_.background, dpi);
  for (LiveControl& control : controls_) {
    ReplacePicture(control.picture, control.description->picture, dpi);
    const RECT r = ControlRect(*control.description, dpi);
    if (!::SetWindowPos(control.hwnd, nullptr, r.left, r.top, r.right - r.left,
                        r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE) &&
        !laidOut_) {
      ThrowLastError("SetWindowPos");
    }
    if (control.description->kind == ControlKind::PictureBox) {
      UpdatePictureBox(control.hwnd);
    }
  }
  if (::IsIconic(hwnd_)) {
    PlaceRestoredFrame(hwnd_, description_, dpi);
    frameUnchecked_ = true;
  } else if (!PlaceFrame(hwnd_, description_, dpi, place) && !laidOut_) {
    ThrowLastError("SetWindowPos");
  }
  laidOut_ = true;

  // A dialog frame shows no icon; the other frames show the window's icon
  // at the sizes this scale asks for.
  if (description_.icon != 0 && description_.frameStyle != FrameStyle::FixedDialog) {
    UniqueIcon big =
        IconForScale(description_.icon, SystemMetricAtDpi(SM_CXICON, dpi), bool(bigIcon_));
    UniqueIcon small =
        IconForScale(description_.icon, SystemMetricAtDpi(SM_CXSMICON, dpi), bool(smallIcon_));
    ShowIcon(hwnd_, ICON_BIG, std::move(big), bigIcon_);
    ShowIcon(hwnd_, ICON_SMALL, std::move(small), smallIcon_);
  }
  ::RedrawWindow(hwnd_, nullptr, nullptr,
                 RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void Form::OnDpiChanged(int dpi, const RECT& suggested) {
  announcedTopLeft_ = {suggested.left, suggested.top};
  FramePlace place;
  place.topLeft = announcedTopLeft_;
  if (scale_.Announce(dpi)) {
    LayOut(dpi, place);
    return;
  }
  // Announced while a layout is under way (from inside its SetWindowPos),
  // the scale waits for that layout to end. The scale the window is laid
  // out at already keeps the layout where it is; only the frame's metrics
  // may have changed with it.
  if (!scale_.layingOut() && !::IsIconic(hwnd_)) CorrectFrame(hwnd_, description_, dpi);
}

void Form::OnRestored() {
  if (!frameUnchecked_) return;
  frameUnchecked_ = false;
  CorrectFrame(hwnd_, description_, dpi());
}

void Form::CreateControls(std::span<const ControlDescription> controls, HWND parent) {
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  std::vector<HWND> siblings;
  for (const ControlDescription& d : controls) {
    const int id = kFirstControlId + static_cast<int>(controls_.size());
    // Created empty at the parent's origin; ApplyScale places and sizes it
    // and gives it its picture.
    const std::wstring text(d.text);
    LiveControl live{&d, nullptr, Picture{}, nullptr};
    const DWORD shown = d.shown ? WS_VISIBLE : 0;
    switch (d.kind) {
      case ControlKind::PictureButton:
        live.hwnd = Check(::CreateWindowExW(0, kPictureButtonClass, text.c_str(),
                                            WS_CHILD | WS_TABSTOP | WS_CLIPSIBLINGS |
                                                BS_OWNERDRAW | shown,
                                            0, 0, 0, 0, parent, ControlId(id), instance, nullptr),
                          "CreateWindowExW");
        break;
      case ControlKind::PictureBox:
        live.hwnd = CreatePictureBox(parent, id);
        ::SetWindowTextW(live.hwnd, text.c_str());
        if (!d.shown) ::ShowWindow(live.hwnd, SW_HIDE);
        break;
      case ControlKind::ComponentHost:
        // The host is a place holder: it takes no clicks or focus, and
        // shows nothing unless described as shown.
        live.hwnd = Check(::CreateWindowExW(0, L"STATIC", text.c_str(),
                                            WS_CHILD | WS_DISABLED | WS_CLIPSIBLINGS | shown,
                                            0, 0, 0, 0, parent, ControlId(id), instance, nullptr),
                          "CreateWindowExW");
        if (!d.component) throw RuntimeError(ErrorNumber::CannotCreateObject, "CreateComponent");
        live.component = d.component();
        break;
    }
    siblings.push_back(live.hwnd);
    const HWND box = live.hwnd;
    controls_.push_back(std::move(live));
    if (!d.children.empty()) CreateControls(d.children, box);
  }
  // Stored order is stacking order: the control stored first lies in front.
  for (HWND sibling : siblings) {
    ::SetWindowPos(sibling, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

Form::LiveControl* Form::ControlById(int id) {
  const int index = id - kFirstControlId;
  if (index < 0 || index >= static_cast<int>(controls_.size())) return nullptr;
  return &controls_[index];
}

void Form::Paint(HDC dc) {
  RECT client{};
  ::GetClientRect(hwnd_, &client);
  if (!DrawBitmap(dc, background_.bitmap.get(), 0, 0)) {
    // Refused what the picture's copy needs: its place shows the background
    // colour for now, and the paint is tried again a little later.
    const RECT picture{0, 0, background_.size.cx, background_.size.cy};
    ::FillRect(dc, &picture, backBrush_.get());
    RepaintLater();
  }
  // Client area the picture does not cover shows the background colour.
  const RECT right{background_.size.cx, 0, client.right, client.bottom};
  const RECT below{0, background_.size.cy, background_.size.cx, client.bottom};
  if (right.left < right.right) ::FillRect(dc, &right, backBrush_.get());
  if (below.top < below.bottom) ::FillRect(dc, &below, backBrush_.get());
}

void Form::RepaintLater() {
  // Without a timer the window is painted again when next uncovered.
  if (!::SetTimer(hwnd_, kRepaintTimer, kRepaintDelayMs, nullptr)) {
    ::OutputDebugStringA("SetTimer failed: a refused paint waits to be uncovered");
  }
}

void Form::OnRepaintTimer() {
  ::KillTimer(hwnd_, kRepaintTimer);
  ::InvalidateRect(hwnd_, nullptr, FALSE);
}

void Form::Close() {
  if (::DestroyWindow(hwnd_)) return;
  // Refused: the window leaves the screen at once and goes when the system
  // lets it (a timer, not a loop); without a timer, the next close box or
  // the program's end takes it.
  ::ShowWindow(hwnd_, SW_HIDE);
  if (!::SetTimer(hwnd_, kCloseTimer, kCloseRetryMs, nullptr)) {
    ::OutputDebugStringA("SetTimer failed: a refused close waits for the next one");
  }
}

void Form::OnCommand(int id, int code) {
  LiveControl* control = ControlById(id);
  if (!control || code != BN_CLICKED || control->description->kind != ControlKind::PictureButton) {
    return;
  }
  // The description outlives the window, so the name stays valid even when
  // the action unloads this window.
  const std::wstring_view name = control->description->name;
  RunAction([this, name] { OnClick(name); });
}

void Form::OnDrawItem(const DRAWITEMSTRUCT& item) {
  if (LiveControl* control = ControlById(static_cast<int>(item.CtlID))) {
    DrawPictureButton(item, control->picture.bitmap.get(), dpi());
  }
}

void Form::OnNcDestroy() {
  hwnd_ = nullptr;
  lastFocus_ = nullptr;
  frameUnchecked_ = false;
  controls_.clear();  // releases hosted components with their window
  background_ = Picture{};
  bigIcon_.reset();
  smallIcon_.reset();
  backBrush_.reset();
  NoteFormUnloaded(*this);
}

LRESULT CALLBACK Form::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    if (message == WM_NCCREATE) {
      auto* form = static_cast<Form*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
      // The previous value is 0 either way: only the last error tells.
      ::SetLastError(0);
      if (!::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form)) &&
          ::GetLastError() != 0) {
        // Unbound, the window would show nothing and take no click: it is
        // not made, and CreateFrame reports why.
        form->bindError_ = ::GetLastError();
        return FALSE;
      }
      form->hwnd_ = hwnd;
    }
    auto* form = reinterpret_cast<Form*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    // Where the window's own slot cannot be read, a loaded window is still
    // found among the loaded forms.
    if (!form) form = LoadedForm(hwnd);
    if (!form) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
      ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      form->OnNcDestroy();
      return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
    return form->HandleMessage(message, wParam, lParam);
  } catch (...) {
    ReportCallbackException();
    return 0;
  }
}

LRESULT Form::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PaintScope paint(hwnd_);
      if (paint.dc()) {
        Paint(paint.dc());
      } else {
        // No device context to paint with: the area is taken as painted, so
        // that WM_PAINT does not come back at once, and painted later.
        ::ValidateRect(hwnd_, nullptr);
        RepaintLater();
      }
      return 0;
    }
    case WM_TIMER:
      if (wParam == kRepaintTimer) {
        OnRepaintTimer();
        return 0;
      }
      if (wParam == kCloseTimer) {
        ::KillTimer(hwnd_, kCloseTimer);
        Close();
        return 0;
      }
      return ::DefWindowProcW(hwnd_, message, wParam, lParam);
    case WM_PRINTCLIENT:
      Paint(reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_COMMAND:
      if (lParam != 0) OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_DRAWITEM:
      OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_ACTIVATE:
      OnActivate(LOWORD(wParam) != WA_INACTIVE);
      return 0;
    case WM_DPICHANGED:
      // The scale of the screen the window moved to; lParam points at the
      // rectangle Windows suggests for it there.
      OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_SIZE:
      if (wParam == SIZE_RESTORED) OnRestored();
      return ::DefWindowProcW(hwnd_, message, wParam, lParam);
    case WM_CLOSE:
      // The close box unloads the window; the program ends with its last one.
      Close();
      return 0;
    default:
      return ::DefWindowProcW(hwnd_, message, wParam, lParam);
  }
}

}  // namespace rt
