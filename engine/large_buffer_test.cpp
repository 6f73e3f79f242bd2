#include "engine/large_buffer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace {

TEST(HeldLimitTest, GrowthNeverWrapsAndReservationsBeyondAStringAreTooLarge) {
  const ScopedHeldLimit limit(100);
  EXPECT_EQ(GrownSize(90, 5, 2), 100u);
  EXPECT_THROW(GrownSize(91, 5, 2), TooLargeError);
  // Products that wrap in 64 bits would look small; no growth is never too large.
  constexpr uint64_t kMax = std::numeric_limits<uint64_t>::max();
  EXPECT_THROW(GrownSize(10, uint64_t{1} << 63, 2), TooLargeError);
  EXPECT_EQ(GrownSize(500, 0, kMax), 500u);
  std::u16string units;
  EXPECT_THROW(ReserveLarge(units, std::numeric_limits<size_t>::max()), TooLargeError);
}

}  // namespace
