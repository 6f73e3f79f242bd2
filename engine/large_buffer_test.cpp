#include "engine/large_buffer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace {

TEST(HeldLimitTest, SystemLimitIsSomethingAStringHolds) {
  const uint64_t limit = SystemHeldLimit();
  EXPECT_GT(limit, uint64_t{1} << 20) << "any machine we run on holds a megabyte";
  EXPECT_LE(limit, std::u16string().max_size());
  {
    const ScopedHeldLimit outer(1000);
    EXPECT_EQ(HeldLimit(), 1000u);
    {
      const ScopedHeldLimit inner(10);
      EXPECT_EQ(HeldLimit(), 10u);
    }
    EXPECT_EQ(HeldLimit(), 1000u);
  }
  EXPECT_EQ(HeldLimit(), limit);
}

TEST(HeldLimitTest, GrownSizeNeverWraps) {
  const ScopedHeldLimit limit(100);
  EXPECT_EQ(GrownSize(90, 5, 2), 100u);
  EXPECT_THROW(GrownSize(91, 5, 2), TooLargeError);
  // Products and sums that wrap in 64 bits would look small.
  constexpr uint64_t kMax = std::numeric_limits<uint64_t>::max();
  EXPECT_THROW(GrownSize(10, uint64_t{1} << 63, 2), TooLargeError);
  EXPECT_THROW(GrownSize(10, kMax, kMax), TooLargeError);
  EXPECT_THROW(GrownSize(kMax, 1, 1), TooLargeError);
  // No growth is never too large, even past the limit.
  EXPECT_EQ(GrownSize(500, 0, kMax), 500u);
  EXPECT_EQ(GrownSize(500, kMax, 0), 500u);
}

TEST(HeldLimitTest, ReservingMoreThanAStringHoldsIsTooLarge) {
  std::string bytes;
  EXPECT_THROW(ReserveLarge(bytes, bytes.max_size()), TooLargeError);
  std::u16string units;
  EXPECT_THROW(ReserveLarge(units, std::numeric_limits<size_t>::max()), TooLargeError);
  ReserveLarge(units, 100);
  EXPECT_GE(units.capacity(), 100u);
}

}  // namespace
