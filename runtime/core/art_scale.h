// Which drawing of a picture a window at some dots per inch shows. Every
// picture is drawn at a fixed set of scales; a window whose scale is one of
// them shows that drawing as it is, a window in between shows the next
// larger drawing reduced to its size.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "runtime/core/twips.h"

namespace rt {

// Percentages of the layout scale the artwork is drawn at, smallest first.
inline constexpr std::array<int, 7> kArtScales = {100, 125, 150, 175, 200, 250, 300};

constexpr int DpiOfArtScale(int percent) { return percent * kLayoutDpi / 100; }

// The drawing for a window at `dpi`: the smallest scale at or above it, the
// largest one beyond it. 0 or less counts as the layout scale.
constexpr int ArtScaleFor(int dpi) {
  for (int percent : kArtScales) {
    if (DpiOfArtScale(percent) >= dpi) return percent;
  }
  return kArtScales.back();
}

// Size in pixels at `dpi` of a picture that is `pixels` wide (or high) at
// the layout scale: the same conversion as every described size.
constexpr int ArtPixels(int pixels, int dpi) { return TwipsToPixels(pixels * kTwipsPerPixel, dpi); }

// Reduces (or enlarges) a picture of 0x00RRGGBB pixels, rows top-down, by
// area averaging: each target pixel is the mean of the source area it
// covers, each source pixel weighted by the part of it inside that area.
// `target` must hold targetWidth x targetHeight pixels; sizes must be
// positive and `source` must hold sourceWidth x sourceHeight pixels.
void ResampleByArea(std::span<const std::uint32_t> source, int sourceWidth, int sourceHeight,
                    std::span<std::uint32_t> target, int targetWidth, int targetHeight);

}  // namespace rt
