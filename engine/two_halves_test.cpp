#include "engine/two_halves.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>

namespace {

TEST(TwoHalves, SecondHalfOnAnotherThreadAndBothDoneOnReturn) {
  const std::thread::id caller = std::this_thread::get_id();
  std::thread::id firstOn, secondOn;
  std::atomic<bool> secondDone{false};
  RunTwoHalves([&] { firstOn = std::this_thread::get_id(); },
               [&] {
                 secondOn = std::this_thread::get_id();
                 // Slower than the first half: the call must still wait for it.
                 std::this_thread::sleep_for(std::chrono::milliseconds(50));
                 secondDone = true;
               });
  EXPECT_EQ(firstOn, caller);
  EXPECT_NE(secondOn, caller);
  EXPECT_TRUE(secondDone);
}

TEST(TwoHalves, WithoutAThreadBothRunOnTheCallerFirstHalfFirst) {
  NoHelperThreads none;
  const std::thread::id caller = std::this_thread::get_id();
  std::string order;
  std::thread::id secondOn;
  RunTwoHalves([&] { order += "1"; },
               [&] {
                 order += "2";
                 secondOn = std::this_thread::get_id();
               });
  EXPECT_EQ(order, "12");
  EXPECT_EQ(secondOn, caller);
}

// Each case once with a helper thread and once without.
class TwoHalvesErrors : public testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    if (!GetParam()) none_.emplace();
  }
  std::optional<NoHelperThreads> none_;
};

TEST_P(TwoHalvesErrors, SecondHalfErrorReachesTheCallerAfterTheFirstHalfEnded) {
  bool firstDone = false;
  try {
    RunTwoHalves([&] { firstDone = true; }, [] { throw std::runtime_error("second"); });
    ADD_FAILURE() << "nothing thrown";
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(), "second");
  }
  EXPECT_TRUE(firstDone);
}

TEST_P(TwoHalvesErrors, FirstHalfErrorWaitsForTheSecondHalf) {
  // The second half may still be using what the caller owns: the caller sees the error
  // only once it has ended, and it is not cut short.
  std::atomic<bool> secondDone{false};
  try {
    RunTwoHalves([] { throw std::runtime_error("first"); },
                 [&] {
                   std::this_thread::sleep_for(std::chrono::milliseconds(50));
                   secondDone = true;
                 });
    ADD_FAILURE() << "nothing thrown";
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(), "first");
    EXPECT_TRUE(secondDone);
  }
}

TEST_P(TwoHalvesErrors, BothFailTheFirstHalfsErrorIsThrown) {
  EXPECT_THROW(RunTwoHalves([] { throw std::length_error("first"); },
                            [] { throw std::runtime_error("second"); }),
               std::length_error);
}

INSTANTIATE_TEST_SUITE_P(WithAndWithoutThread, TwoHalvesErrors, testing::Bool());

TEST(HelperThread, JoinThrowsTheWorksErrorOnceAndDestructionWaits) {
  std::atomic<bool> done{false};
  {
    HelperThread helper([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      done = true;
    });
    ASSERT_TRUE(helper.Started());
  }
  EXPECT_TRUE(done);

  HelperThread failing([] { throw std::runtime_error("work"); });
  ASSERT_TRUE(failing.Started());
  EXPECT_THROW(failing.Join(), std::runtime_error);
  EXPECT_NO_THROW(failing.Join());
}

TEST(HelperThread, NoThreadMeansNoWork) {
  NoHelperThreads none;
  bool ran = false;
  {
    HelperThread helper([&] { ran = true; });
    EXPECT_FALSE(helper.Started());
    EXPECT_NO_THROW(helper.Join());
  }
  EXPECT_FALSE(ran);
}

}  // namespace
