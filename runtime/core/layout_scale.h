// The scale a window is laid out at, and what a change of scale announced
// by Windows (WM_DPICHANGED) does to it. Windows may announce one from
// inside the very SetWindowPos that places the frame; a layout therefore
// runs to its end at one scale, and a change announced meanwhile waits for
// it and is laid out after it. So the window always ends in one layout, at
// the scale announced last, whatever arrives when.
#pragma once

#include <optional>

#include "runtime/core/twips.h"

namespace rt {

class LayoutScale {
 public:
  explicit LayoutScale(int dpi = kLayoutDpi) : current_(dpi) {}

  // The scale of the layout under way, or of the last one.
  int current() const { return current_; }
  bool layingOut() const { return layingOut_; }

  // A layout at `dpi` begins.
  void Begin(int dpi);
  // Windows announces that the window now shows at `dpi`. True when the
  // window must be laid out at it now. False when it is already laid out at
  // it, and while a layout is under way: End then says what comes next.
  bool Announce(int dpi);
  // The layout under way ends. Returns the scale to lay out at next: the
  // one announced last during it, when that is not the layout's own.
  std::optional<int> End();

 private:
  int current_;
  bool layingOut_ = false;
  std::optional<int> announced_;
};

}  // namespace rt
