// Twips, the unit of every position and size in a window description, and
// their conversion to screen pixels. Layouts are drawn at 96 dots per inch.
#pragma once

namespace rt {

inline constexpr int kTwipsPerPixel = 15;

// Nearest whole pixel; halves round away from zero.
constexpr int TwipsToPixels(int twips) {
  return twips >= 0 ? (twips + kTwipsPerPixel / 2) / kTwipsPerPixel
                    : -((-twips + kTwipsPerPixel / 2) / kTwipsPerPixel);
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

constexpr PixelRect ToPixels(const TwipRect& r) {
  return {TwipsToPixels(r.left), TwipsToPixels(r.top), TwipsToPixels(r.width),
          TwipsToPixels(r.height)};
}

constexpr bool IsWholePixels(const TwipRect& r) {
  return IsWholePixels(r.left) && IsWholePixels(r.top) && IsWholePixels(r.width) &&
         IsWholePixels(r.height);
}

}  // namespace rt
