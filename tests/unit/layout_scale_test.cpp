// What a window does with the changes of scale Windows announces, whenever
// they arrive: it ends in one layout, at the scale announced last.
#include "runtime/core/layout_scale.h"

#include <gtest/gtest.h>

namespace rt {
namespace {

TEST(LayoutScale, AChangeToAnotherScaleIsLaidOutAtOnce) {
  LayoutScale scale(96);
  EXPECT_TRUE(scale.Announce(144));
}

TEST(LayoutScale, AChangeToTheScaleLaidOutChangesNothing) {
  LayoutScale scale(96);
  scale.Begin(144);
  EXPECT_EQ(scale.End(), std::nullopt);
  EXPECT_FALSE(scale.Announce(144));
  EXPECT_EQ(scale.current(), 144);
}

TEST(LayoutScale, AChangeAnnouncedDuringALayoutWaitsForItsEnd) {
  LayoutScale scale(96);
  scale.Begin(144);
  EXPECT_TRUE(scale.layingOut());
  EXPECT_FALSE(scale.Announce(120));
  EXPECT_EQ(scale.current(), 144) << "the layout under way keeps its scale";
  EXPECT_EQ(scale.End(), 120);
  EXPECT_FALSE(scale.layingOut());
}

TEST(LayoutScale, DuringALayoutTheScaleAnnouncedLastCounts) {
  LayoutScale scale(96);
  scale.Begin(144);
  scale.Announce(120);
  scale.Announce(192);
  EXPECT_EQ(scale.End(), 192);

  scale.Begin(144);
  scale.Announce(120);
  scale.Announce(144);
  EXPECT_EQ(scale.End(), std::nullopt) << "announced back to the scale being laid out";
}

TEST(LayoutScale, AnnouncingTheScaleBeingLaidOutAsksForNoSecondLayout) {
  LayoutScale scale(96);
  scale.Begin(144);
  EXPECT_FALSE(scale.Announce(144));
  EXPECT_EQ(scale.End(), std::nullopt);
}

TEST(LayoutScale, ANewLayoutForgetsWhatWasAnnouncedBefore) {
  LayoutScale scale(96);
  scale.Begin(144);
  scale.Announce(120);
  scale.Begin(168);
  EXPECT_EQ(scale.End(), std::nullopt);
  EXPECT_EQ(scale.current(), 168);
}

}  // namespace
}  // namespace rt
