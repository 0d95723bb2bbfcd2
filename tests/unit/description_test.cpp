#include "runtime/core/description.h"

#include <gtest/gtest.h>

#include "runtime/core/twips.h"

namespace rt {
namespace {

TEST(TwipsToPixels, ConvertsAtFifteenTwipsPerPixel) {
  struct Case {
    int twips, pixels;
  };
  const Case cases[] = {{0, 0},      {15, 1},     {975, 65},   {5415, 361}, {6735, 449},
                        {1150, 77},  {1147, 76},  {1148, 77},  {-15, -1},   {-1150, -77},
                        {4935, 329}, {3420, 228}, {1185, 79},  {5070, 338}};
  for (const Case& c : cases) {
    EXPECT_EQ(TwipsToPixels(c.twips), c.pixels) << c.twips << " twips";
  }
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
