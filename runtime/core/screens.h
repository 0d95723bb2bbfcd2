// The screens of the desktop as the layout decisions see them: each one's
// rectangle and scale. The Windows half of the runtime reads them from the
// system (rt::Screens); the decisions here take them as a plain table, so
// that tests can give them any arrangement of screens and scales.
#pragma once

#include <cstddef>
#include <optional>
#include <span>

#include "runtime/core/twips.h"

namespace rt {

struct ScreenPoint {
  int x = 0;
  int y = 0;
  friend constexpr bool operator==(const ScreenPoint&, const ScreenPoint&) = default;
};

// Desktop pixels; right and bottom lie just outside.
struct ScreenArea {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

struct Screen {
  ScreenArea area;
  int dpi = kLayoutDpi;
  bool primary = false;
};

// The screen a new window is laid out for, chosen before it is laid out: a
// centred window is centred on the primary screen (the first one when none
// is marked); any other window stays where the window manager put it, on
// the screen that holds `defaultTopLeft`, or the nearest one when none
// does. Empty when there are no screens.
std::optional<std::size_t> TargetScreen(std::span<const Screen> screens, bool centred,
                                        ScreenPoint defaultTopLeft);

// Where the top-left corner of a frame `width` x `height` goes on `screen`:
// centred on it, or at `defaultTopLeft`.
ScreenPoint FrameTopLeft(const Screen& screen, bool centred, ScreenPoint defaultTopLeft, int width,
                         int height);

}  // namespace rt
