#include "runtime/core/art_scale.h"

#include <cstdint>
#include <stdexcept>
#include <vector>

#include <gtest/gtest.h>

namespace rt {
namespace {

TEST(ArtScaleFor, TakesTheDrawingAtOrJustAboveTheWindowScale) {
  struct Case {
    int dpi, percent;
  };
  const Case cases[] = {{0, 100},   {72, 100},  {96, 100},  {97, 125},  {120, 125},
                        {121, 150}, {144, 150}, {168, 175}, {169, 200}, {192, 200},
                        {216, 250}, {240, 250}, {288, 300}, {289, 300}, {480, 300}};
  for (const Case& c : cases) {
    EXPECT_EQ(ArtScaleFor(c.dpi), c.percent) << c.dpi << " dpi";
  }
}

TEST(ArtPixels, ConvertsLayoutPixelsLikeDescribedSizes) {
  struct Case {
    int pixels, dpi, expected;
  };
  const Case cases[] = {{361, 96, 361},  {361, 120, 451}, {446, 120, 558}, {15, 120, 19},
                        {15, 144, 23},   {60, 168, 105},  {2, 120, 3},     {2, 240, 5},
                        {500, 144, 750}, {1, 144, 2},     {73, 192, 146}};
  for (const Case& c : cases) {
    EXPECT_EQ(ArtPixels(c.pixels, c.dpi), c.expected) << c.pixels << " px at " << c.dpi;
  }
}

std::uint32_t Rgb(int r, int g, int b) {
  return static_cast<std::uint32_t>(r << 16 | g << 8 | b);
}

TEST(ResampleByArea, AveragesTheAreaEachTargetPixelCovers) {
  struct Case {
    const char* what;
    int sourceWidth, sourceHeight;
    std::vector<std::uint32_t> source;
    int targetWidth, targetHeight;
    std::vector<std::uint32_t> expected;
  };
  const std::uint32_t black = Rgb(0, 0, 0);
  const std::uint32_t white = Rgb(255, 255, 255);
  const Case cases[] = {
      {"same size copies", 2, 1, {Rgb(1, 2, 3), Rgb(4, 5, 6)}, 2, 1, {Rgb(1, 2, 3), Rgb(4, 5, 6)}},
      {"halving averages pairs", 4, 1, {black, white, Rgb(10, 20, 30), Rgb(30, 40, 50)}, 2, 1,
       {Rgb(128, 128, 128), Rgb(20, 30, 40)}},
      {"two by two to one", 2, 2, {black, white, white, black}, 1, 1, {Rgb(128, 128, 128)}},
      {"three to two splits the middle pixel", 3, 1, {black, Rgb(90, 90, 90), white}, 2, 1,
       {Rgb(30, 30, 30), Rgb(200, 200, 200)}},
      {"a solid picture stays solid", 5, 3, std::vector<std::uint32_t>(15, Rgb(0x47, 0x7A, 0xCB)),
       4, 2, std::vector<std::uint32_t>(8, Rgb(0x47, 0x7A, 0xCB))},
      {"channels do not bleed into each other", 2, 1, {Rgb(255, 0, 0), Rgb(0, 0, 255)}, 1, 1,
       {Rgb(128, 0, 128)}},
      {"enlarging repeats whole pixels", 2, 1, {black, white}, 4, 1, {black, black, white, white}},
  };
  for (const Case& c : cases) {
    std::vector<std::uint32_t> target(c.expected.size(), 0xFFFFFFFF);
    ResampleByArea(c.source, c.sourceWidth, c.sourceHeight, target, c.targetWidth,
                   c.targetHeight);
    EXPECT_EQ(target, c.expected) << c.what;
  }
}

TEST(ResampleByArea, RejectsSizesThatDoNotMatchThePixels) {
  struct Case {
    const char* what;
    int sourceWidth, sourceHeight, targetWidth, targetHeight;
    std::size_t sourcePixels, targetPixels;
  };
  const Case cases[] = {
      {"source shorter than its size", 2, 2, 1, 1, 3, 1},
      {"target shorter than its size", 2, 2, 2, 2, 4, 3},
      {"zero target width", 2, 2, 0, 1, 4, 0},
      {"negative source height", 2, -2, 1, 1, 4, 1},
  };
  for (const Case& c : cases) {
    std::vector<std::uint32_t> source(c.sourcePixels);
    std::vector<std::uint32_t> target(c.targetPixels);
    EXPECT_THROW(ResampleByArea(source, c.sourceWidth, c.sourceHeight, target, c.targetWidth,
                                c.targetHeight),
                 std::invalid_argument)
        << c.what;
  }
}

}  // namespace
}  // namespace rt
