// Keyboard focus on a form: the tab order of its picture buttons, moving
// through it, and the control that gets the focus when the form is
// activated again.
#include "runtime/win/form.h"

#include <algorithm>

namespace rt {

std::vector<HWND> Form::FocusOrder() const {
  std::vector<const LiveControl*> focusable;
  for (const LiveControl& c : controls_) {
    if (c.description->kind == ControlKind::PictureButton && ::IsWindowVisible(c.hwnd) &&
        ::IsWindowEnabled(c.hwnd)) {
      focusable.push_back(&c);
    }
  }
  std::stable_sort(focusable.begin(), focusable.end(), [](const LiveControl* a, const LiveControl* b) {
    return a->description->tabIndex < b->description->tabIndex;
  });
  std::vector<HWND> order;
  for (const LiveControl* c : focusable) order.push_back(c->hwnd);
  return order;
}

void Form::MoveFocus(HWND from, bool forward) {
  const std::vector<HWND> order = FocusOrder();
  if (order.empty()) return;
  const auto at = std::find(order.begin(), order.end(), from);
  std::size_t next = 0;
  if (at != order.end()) {
    const std::size_t i = static_cast<std::size_t>(at - order.begin());
    next = forward ? (i + 1) % order.size() : (i + order.size() - 1) % order.size();
  }
  ::SetFocus(order[next]);
}

void Form::OnActivate(bool active) {
  if (!active) {
    const HWND focus = ::GetFocus();
    if (focus && ::IsChild(hwnd_, focus)) lastFocus_ = focus;
    return;
  }
  if (lastFocus_ && ::IsChild(hwnd_, lastFocus_) && ::IsWindowVisible(lastFocus_)) {
    ::SetFocus(lastFocus_);
    return;
  }
  const std::vector<HWND> order = FocusOrder();
  if (!order.empty()) ::SetFocus(order.front());
}

}  // namespace rt
