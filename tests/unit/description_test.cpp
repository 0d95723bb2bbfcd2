#include "runtime/core/description.h"

#include <gtest/gtest.h>

#include "runtime/core/twips.h"

namespace rt {
namespace {

// Every described size goes through this conversion at its window's scale;
// at 96 dpi it gives the layout's own pixels.
TEST(TwipsToPixels, ScalesByDpiAndRoundsHalvesAwayFromZero) {
  struct Case {
    int twips, dpi, pixels;
  };
  const Case cases[] = {
      {0, 96, 0},       {15, 96, 1},      {975, 96, 65},    {5415, 96, 361},  {6735, 96, 449},
      {1150, 96, 77},   {1147, 96, 76},   {1148, 96, 77},   {-15, 96, -1},    {-1150, 96, -77},
      {4935, 96, 329},  {3420, 96, 228},  {1185, 96, 79},   {5070, 96, 338},  {1150, 120, 96},
      {1150, 144, 115}, {1150, 192, 153}, {1150, 240, 192}, {975, 120, 81},   {300, 120, 25},
      {5415, 120, 451}, {6735, 120, 561}, {5415, 240, 903}, {6735, 240, 1123}, {975, 144, 98},
      {30, 120, 3},     {15, 120, 1},     {15, 144, 2},     {-15, 144, -2},   {1185, 120, 99},
      {12, 120, 1},     {6, 120, 1},      {5, 120, 0},      {1, 1440, 1},     {0, 240, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TwipsToPixels(c.twips, c.dpi), c.pixels) << c.twips << " twips at " << c.dpi;
  }
}

TEST(ToPixels, ConvertsPositionAndSizeSeparately) {
  // 975 twips starting at 240 or at 1440: the same width whatever the position.
  EXPECT_EQ(ToPixels(TwipRect{240, 120, 975, 300}, 144), (PixelRect{24, 12, 98, 30}));
  EXPECT_EQ(ToPixels(TwipRect{1440, 120, 975, 300}, 144), (PixelRect{144, 12, 98, 30}));
  EXPECT_EQ(ToPixels(TwipRect{120, 120, 1215, 855}, 96), (PixelRect{8, 8, 81, 57}));
}

constexpr ControlDescription kInner[] = {
    {.name = L"Inner", .kind = ControlKind::PictureBox, .rect = {0, 0, 1150, 855},
     .widthRoundsToNearestPixel = true},
};
constexpr ControlDescription kWithMarkedRounding[] = {
    {.name = L"Outer", .kind = ControlKind::PictureBox, .rect = {120, 120, 1215, 855},
     .children = kInner},
};
constexpr ControlDescription kUnmarkedInner[] = {
    {.name = L"Inner", .kind = ControlKind::PictureBox, .rect = {0, 0, 1150, 855}},
};
constexpr ControlDescription kWithUnmarkedRounding[] = {
    {.name = L"Outer", .kind = ControlKind::PictureBox, .rect = {120, 120, 1215, 855},
     .children = kUnmarkedInner},
};
constexpr ControlDescription kRoundedHeight[] = {
    {.name = L"Button", .rect = {0, 0, 975, 301}, .widthRoundsToNearestPixel = true},
};

TEST(ConvertsToWholePixels, AcceptsOnlyWholePixelsOrMarkedWidths) {
  struct Case {
    const char* what;
    WindowDescription window;
    bool converts;
  };
  const Case cases[] = {
      {"marked nested width", {.client = {0, 0, 4935, 3420}, .controls = kWithMarkedRounding}, true},
      {"unmarked nested width", {.client = {0, 0, 4935, 3420}, .controls = kWithUnmarkedRounding},
       false},
      {"marking covers the width only", {.client = {0, 0, 4935, 3420}, .controls = kRoundedHeight},
       false},
      {"client size off the grid", {.client = {0, 0, 4936, 3420}}, false},
      {"client position is not drawn", {.client = {7, 7, 4935, 3420}}, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ConvertsToWholePixels(c.window), c.converts) << c.what;
  }
}

}  // namespace
}  // namespace rt
