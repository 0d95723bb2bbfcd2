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
  // The scale the window is laid out and drawn at, in dots per inch; it
  // changes only when the window moves to a screen of another scale.
  int dpi() const { return dpi_; }
  bool IsLoaded() const { return hwnd_ != nullptr; }

  // Builds the window, hidden, with its controls and components, then runs
  // the load action. Does nothing when already loaded. Throws RuntimeError.
  void Load();
  // Loads if needed, shows the window modeless and activates it; a window
  // already visible is only brought to the front and activated.
  void Show();
  // Destroys the window at once, with its controls and components.
  void Unload();

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
  void Paint(HDC dc);
  void OnCommand(int id, int code);
  void OnDrawItem(const DRAWITEMSTRUCT& item);
  void OnActivate(bool active);
  void OnDpiChanged(int dpi, const RECT& suggested);
  void OnNcDestroy();

  void CreateFrame();
  // Lays out the frame and every control at `dpi` and takes the pictures
  // and icons drawn for it. With `suggested` (the rectangle Windows offers
  // on a change of screen) the frame starts from there; otherwise it keeps
  // its place, or is centred on the screen when described so.
  void ApplyScale(int dpi, const RECT* suggested);
  void CreateControls(std::span<const ControlDescription> controls, HWND parent);
  LiveControl* ControlById(int id);
  std::vector<HWND> FocusOrder() const;

  const WindowDescription& description_;
  HWND hwnd_ = nullptr;
  int dpi_ = kLayoutDpi;
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
