#include "runtime/backends/browser/pending_area.h"

#include <gtest/gtest.h>

namespace morvane::runtime {
namespace {

TEST(PendingArea, DropsEmptyAndCoveredRectangles) {
  PendingArea a;
  a.add({});
  a.add({5, 5, 0, 10});
  EXPECT_TRUE(a.empty());
  a.add({0, 0, 100, 100});
  a.add({10, 10, 20, 20});
  a.add({0, 0, 100, 100});
  ASSERT_EQ(a.rects().size(), 1u);
  EXPECT_EQ(a.rects()[0], (PixelRect{0, 0, 100, 100}));
}

TEST(PendingArea, ALargerRectangleReplacesTheOnesItCovers) {
  PendingArea a;
  a.add({10, 10, 5, 5});
  a.add({200, 200, 5, 5});
  a.add({12, 12, 5, 5});  // overlaps the first without covering it: both kept
  a.add({0, 0, 50, 50});
  ASSERT_EQ(a.rects().size(), 2u);
  EXPECT_EQ(a.rects()[0], (PixelRect{200, 200, 5, 5}));
  EXPECT_EQ(a.rects()[1], (PixelRect{0, 0, 50, 50}));
}

TEST(PendingArea, ManyRectanglesBecomeTheirUnion) {
  PendingArea a;
  for (std::size_t i = 0; i <= PendingArea::kMaxRects; ++i) a.add({static_cast<int>(i) * 10, 3, 2, 2});
  ASSERT_EQ(a.rects().size(), 1u);
  EXPECT_EQ(a.rects()[0], (PixelRect{0, 3, static_cast<int>(PendingArea::kMaxRects) * 10 + 2, 2}));
}

TEST(PendingArea, TakeHandsOverEverythingOnce) {
  PendingArea a;
  a.add({1, 2, 3, 4});
  a.add({50, 2, 3, 4});
  EXPECT_EQ(a.take().size(), 2u);
  EXPECT_TRUE(a.empty());
  EXPECT_TRUE(a.take().empty());
}

}  // namespace
}  // namespace morvane::runtime
