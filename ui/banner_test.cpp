#include "ui/banner.h"

#include <gtest/gtest.h>

namespace {

TEST(BannerTest, JapaneseOnTicksDivisibleBySeven) {
  EXPECT_TRUE(ShouldShowBanner(true, 0));
  EXPECT_TRUE(ShouldShowBanner(true, 7));
  EXPECT_TRUE(ShouldShowBanner(true, 4294967292u)) << "the largest multiple of 7 in 32 bits";
  EXPECT_FALSE(ShouldShowBanner(true, 1));
  EXPECT_FALSE(ShouldShowBanner(true, 6));
  EXPECT_FALSE(ShouldShowBanner(true, 4294967295u));
  int shown = 0;
  for (uint32_t ticks = 1000; ticks < 1700; ++ticks) shown += ShouldShowBanner(true, ticks);
  EXPECT_EQ(shown, 100) << "one start in seven";
}

TEST(BannerTest, NeverInEnglish) {
  for (uint32_t ticks = 0; ticks < 70; ++ticks) EXPECT_FALSE(ShouldShowBanner(false, ticks));
}

}  // namespace
