// Twips, the unit of every position and size in a window description, and
// their conversion to screen pixels at a window's dots per inch. This is the
// program's one conversion and its one rounding rule: everything that sizes
// or places something on the screen asks it.
#pragma once

#include <cstdint>

namespace rt {

inline constexpr int kTwipsPerInch = 1440;
// The scale at which descriptions are laid out in whole pixels and the
// artwork's first set is drawn: 100%.
inline constexpr int kLayoutDpi = 96;
inline constexpr int kTwipsPerPixel = kTwipsPerInch / kLayoutDpi;

// twips x dpi / 1440, to the nearest whole pixel; halves round away from zero.
constexpr int TwipsToPixels(int twips, int dpi) {
  const std::int64_t scaled = static_cast<std::int64_t>(twips) * dpi;
  const std::int64_t half = kTwipsPerInch / 2;
  return static_cast<int>(scaled >= 0 ? (scaled + half) / kTwipsPerInch
                                      : -((-scaled + half) / kTwipsPerInch));
}

constexpr bool IsWholePixels(int twips) { return twips % kTwipsPerPixel == 0; }

struct TwipRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

struct PixelRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  friend constexpr bool operator==(const PixelRect&, const PixelRect&) = default;
};

// Position and size convert independently, so that controls described with
// one size keep one size at every scale.
constexpr PixelRect ToPixels(const TwipRect& r, int dpi) {
  return {TwipsToPixels(r.left, dpi), TwipsToPixels(r.top, dpi), TwipsToPixels(r.width, dpi),
          TwipsToPixels(r.height, dpi)};
}

constexpr bool IsWholePixels(const TwipRect& r) {
  return IsWholePixels(r.left) && IsWholePixels(r.top) && IsWholePixels(r.width) &&
         IsWholePixels(r.height);
}

}  // namespace rt
