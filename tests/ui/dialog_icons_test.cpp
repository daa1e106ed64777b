// The small-icon size for a DPI metric: only sizes icon 1 holds, so nothing is blown up.
#include "dialog_icons.h"

#include <gtest/gtest.h>

namespace {

struct SizeCase {
  int metric_width;
  int metric_height;
  int width;
  int height;
};

class SmallIconSizeTest : public ::testing::TestWithParam<SizeCase> {};

TEST_P(SmallIconSizeTest, PicksAnImageOfIconOne) {
  const SizeCase& c = GetParam();
  int width = c.metric_width;
  int height = c.metric_height;
  FitSmallIconSize(&width, &height);
  EXPECT_EQ(width, c.width);
  EXPECT_EQ(height, c.height);
}

INSTANTIATE_TEST_SUITE_P(Metrics, SmallIconSizeTest,
                         ::testing::Values(SizeCase{16, 16, 16, 16}, SizeCase{20, 20, 20, 20},
                                           SizeCase{22, 22, 22, 22}, SizeCase{24, 24, 24, 24},
                                           SizeCase{26, 26, 26, 26}, SizeCase{32, 32, 32, 32},
                                           SizeCase{48, 48, 48, 48},
                                           // 175 %: no 28-pixel image, and 32 would be blown up
                                           SizeCase{28, 28, 16, 16},
                                           // 225 % and 250 %: shrunk from 256
                                           SizeCase{36, 36, 256, 256}, SizeCase{40, 40, 256, 256},
                                           // Only the width decides; the height follows it.
                                           SizeCase{30, 20, 16, 16}, SizeCase{20, 30, 20, 30}));

}  // namespace
