// Which screen a new window is laid out for, decided from a table of screens
// before the window is laid out, and where its frame goes there.
#include "runtime/core/screens.h"

#include <vector>

#include <gtest/gtest.h>

namespace rt {
namespace {

// A secondary screen at 96 dpi to the left of a primary one at 144, listed
// in that order, and a third below the primary at 192.
const std::vector<Screen> kScreens = {
    {{-1920, 0, 0, 1080}, 96, false},
    {{0, 0, 2560, 1440}, 144, true},
    {{0, 1440, 3840, 3600}, 192, false},
};

TEST(TargetScreen, CentredWindowGoesToThePrimaryScreenWhereverItIsListed) {
  EXPECT_EQ(TargetScreen(kScreens, true, {-1000, 200}), 1u);
  EXPECT_EQ(TargetScreen(kScreens, true, {100, 2000}), 1u);
}

TEST(TargetScreen, CentredWindowGoesToTheFirstScreenWhenNoneIsPrimary) {
  const std::vector<Screen> unmarked = {{{0, 0, 800, 600}, 120, false},
                                        {{800, 0, 1600, 600}, 96, false}};
  EXPECT_EQ(TargetScreen(unmarked, true, {900, 10}), 0u);
}

TEST(TargetScreen, OtherWindowsStayOnTheScreenThatHoldsTheirPlace) {
  EXPECT_EQ(TargetScreen(kScreens, false, {-1000, 200}), 0u);
  EXPECT_EQ(TargetScreen(kScreens, false, {0, 0}), 1u);
  EXPECT_EQ(TargetScreen(kScreens, false, {-1, 0}), 0u);
  EXPECT_EQ(TargetScreen(kScreens, false, {2559, 1439}), 1u);
  EXPECT_EQ(TargetScreen(kScreens, false, {2559, 1440}), 2u);
}

TEST(TargetScreen, APlaceOffEveryScreenTakesTheNearestOne) {
  EXPECT_EQ(TargetScreen(kScreens, false, {-1000, -50}), 0u);
  EXPECT_EQ(TargetScreen(kScreens, false, {2600, 100}), 1u);
  EXPECT_EQ(TargetScreen(kScreens, false, {4000, 3000}), 2u);
  EXPECT_EQ(TargetScreen(kScreens, false, {-3000, 3000}), 0u);
}

TEST(TargetScreen, NoScreensNoTarget) {
  EXPECT_FALSE(TargetScreen({}, true, {0, 0}).has_value());
  EXPECT_FALSE(TargetScreen({}, false, {0, 0}).has_value());
}

TEST(FrameTopLeft, CentredOnTheScreensOwnRectangle) {
  EXPECT_EQ(FrameTopLeft(kScreens[1], true, {5, 5}, 560, 440), (ScreenPoint{1000, 500}));
  EXPECT_EQ(FrameTopLeft(kScreens[0], true, {5, 5}, 921, 81), (ScreenPoint{-1421, 499}));
  EXPECT_EQ(FrameTopLeft(kScreens[2], true, {5, 5}, 840, 1160), (ScreenPoint{1500, 1940}));
}

TEST(FrameTopLeft, OtherwiseWhereTheWindowManagerPutIt) {
  EXPECT_EQ(FrameTopLeft(kScreens[1], false, {26, 52}, 560, 440), (ScreenPoint{26, 52}));
}

}  // namespace
}  // namespace rt
