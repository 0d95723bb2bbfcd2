#include "runtime/core/screens.h"

#include <algorithm>
#include <cstdint>

namespace rt {
namespace {

bool Holds(const ScreenArea& area, ScreenPoint p) {
  return p.x >= area.left && p.x < area.right && p.y >= area.top && p.y < area.bottom;
}

// How far `at` lies outside [begin, end): 0 inside.
std::int64_t Outside(int at, int begin, int end) {
  if (at < begin) return static_cast<std::int64_t>(begin) - at;
  if (at >= end) return static_cast<std::int64_t>(at) - (end - 1);
  return 0;
}

// Squared distance from `p` to the nearest pixel of `area`.
std::int64_t DistanceSquared(const ScreenArea& area, ScreenPoint p) {
  const std::int64_t dx = Outside(p.x, area.left, area.right);
  const std::int64_t dy = Outside(p.y, area.top, area.bottom);
  return dx * dx + dy * dy;
}

}  // namespace

std::optional<std::size_t> TargetScreen(std::span<const Screen> screens, bool centred,
                                        ScreenPoint defaultTopLeft) {
  if (screens.empty()) return std::nullopt;
  if (centred) {
    const auto primary = std::find_if(screens.begin(), screens.end(),
                                      [](const Screen& s) { return s.primary; });
    return primary == screens.end() ? 0 : static_cast<std::size_t>(primary - screens.begin());
  }
  std::size_t nearest = 0;
  for (std::size_t i = 0; i < screens.size(); ++i) {
    if (Holds(screens[i].area, defaultTopLeft)) return i;
    if (DistanceSquared(screens[i].area, defaultTopLeft) <
        DistanceSquared(screens[nearest].area, defaultTopLeft)) {
      nearest = i;
    }
  }
  return nearest;
}

ScreenPoint FrameTopLeft(const Screen& screen, bool centred, ScreenPoint defaultTopLeft, int width,
                         int height) {
  if (!centred) return defaultTopLeft;
  const ScreenArea& a = screen.area;
  return {a.left + (a.right - a.left - width) / 2, a.top + (a.bottom - a.top - height) / 2};
}

}  // namespace rt
