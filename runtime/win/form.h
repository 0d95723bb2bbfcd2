// One C++ object per window description: builds its window from the
// description, draws its background, hosts its controls and runs its actions.
// The runtime keeps one instance per description for the whole process; the
// window itself lives from Load to Unload and can be loaded again.
#pragma once

#include <windows.h>

#include <memory>
#include <string_view>
#include <vector>

#include "runtime/core/description.h"
#include "runtime/core/layout_scale.h"
#include "runtime/win/form_layout.h"
#include "runtime/win/handles.h"
#include "runtime/win/picture.h"

namespace rt {

void RegisterFormClass();

class Form {
 public:
  explicit Form(const WindowDescription& description) : description_(description) {}
  virtual ~Form() = default;
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  // The form whose window is `hwnd` or holds it; null for other windows.
  static Form* FromWindow(HWND hwnd);

  const WindowDescription& description() const { return description_; }
  HWND hwnd() const { return hwnd_; }
  // The scale the window is laid out and drawn at, in dots per inch: that of
  // the screen it was placed on; it changes only when Windows announces
  // another (WM_DPICHANGED).
  int dpi() const { return scale_.current(); }
  bool IsLoaded() const { return hwnd_ != nullptr; }

  // Builds the window, hidden, with its controls and components, then runs
  // the load action. Does nothing when already loaded. Throws RuntimeError.
  void Load();
  // Loads if needed, shows the window modeless and activates it; a window
  // already visible is only brought to the front and activated.
  void Show();
  // Destroys the window at once, with its controls and components.
  void Unload();

  // The picture the control `control` shows, drawn for the window's scale;
  // null for a window that is not one of its controls, or shows none.
  HBITMAP PictureOf(HWND control) const;

  // The component hosted by the control `name`; throws RuntimeError when the
  // window is not loaded or hosts no such component.
  Component& FindComponent(std::wstring_view name);

  // Moves the keyboard focus from `from` to the next (or previous) focusable
  // control in tab-index order, wrapping around.
  void MoveFocus(HWND from, bool forward);

 protected:
  virtual void OnLoad() {}
  virtual void OnClick(std::wstring_view /*control*/) {}

 private:
  friend void RegisterFormClass();

  struct LiveControl {
    const ControlDescription* description;
    HWND hwnd;
    Picture picture;
    std::unique_ptr<Component> component;
  };

  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // Draws the background picture and colour. When the picture cannot be
  // copied, its place gets the colour and the paint is tried again later.
  void Paint(HDC dc);
  // Paints the whole window again after a pause (a timer, not a loop).
  void RepaintLater();
  void OnRepaintTimer();
  // Destroys the window for its close box; should the system refuse, hides
  // it and tries again after a pause.
  void Close();
  void OnCommand(int id, int code);
  void OnDrawItem(const DRAWITEMSTRUCT& item);
  void OnActivate(bool active);
  void OnDpiChanged(int dpi, const RECT& suggested);
  void OnRestored();
  void OnNcDestroy();

  // Creates the frame, hidden, where the window manager puts a new window.
  void CreateFrame();
  // Chooses the screen the window goes on (the primary one for a centred
  // window, else the one the window manager put it on) and lays the window
  // out at that screen's scale, before it is ever shown.
  void PlaceOnScreen();
  // Lays the window out at `dpi`, its frame at `place`; then again at each
  // scale Windows announced meanwhile (rt::LayoutScale), so that it ends in
  // one layout at the scale announced last.
  void LayOut(int dpi, FramePlace place);
  // One layout: the frame and every control at `dpi`, with the pictures and
  // icons drawn for it. A minimized window gets its restore rectangle. The
  // window's first layout throws when the system refuses to size the frame
  // or a control: a window without them is no window to show. A later one
  // keeps what it could not change as it was.
  void ApplyScale(int dpi, const FramePlace& place);
  void CreateControls(std::span<const ControlDescription> controls, HWND parent);
  LiveControl* ControlById(int id);
  std::vector<HWND> FocusOrder() const;

  const WindowDescription& description_;
  HWND hwnd_ = nullptr;
  // Why the window procedure refused the window it could not bind to this
  // form (a Win32 error code); 0 when it did not.
  DWORD bindError_ = 0;
  LayoutScale scale_;
  // Where a change of scale announced during a layout puts the frame when
  // the window is laid out at it: the rectangle Windows suggested with it.
  POINT announcedTopLeft_{};
  // Laid out while minimized: the client area is checked once restored.
  bool frameUnchecked_ = false;
  bool laidOut_ = false;  // the first layout is done
  Picture background_;
  UniqueBrush backBrush_;
  UniqueIcon bigIcon_;
  UniqueIcon smallIcon_;
  std::vector<LiveControl> controls_;  // depth-first, stored order
  HWND lastFocus_ = nullptr;
};

// Binds a control's click to a member function of its form.
template <class F>
struct ClickAction {
  std::wstring_view control;
  void (F::*action)();
};

// Runs the action bound to `control`, if any.
template <class F, std::size_t N>
void DispatchClick(F& form, const ClickAction<F> (&actions)[N], std::wstring_view control) {
  for (const ClickAction<F>& binding : actions) {
    if (binding.control == control) {
      (form.*binding.action)();
      return;
    }
  }
}

}  // namespace rt
