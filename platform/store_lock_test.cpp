// The lock around a store: one holder at a time for the same store, none between
// different stores, and a lock that cannot be made says why.
#include "platform/store_lock.h"

#include <gtest/gtest.h>

#include <errno.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "tests/test_support.h"

namespace {

TEST(StoreLockTest, SecondHolderWaitsForTheFirst) {
  TempDir dir;
  NativePath identity = ToNative(dir / "sub" / "store.lock");  // folder made as needed
  std::atomic<bool> secondHeld{false};
  std::thread second;
  {
    StoreLock first(identity);
    ASSERT_TRUE(first.held());
    second = std::thread([&] {
      StoreLock lock(identity);
      secondHeld = lock.held();
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_FALSE(secondHeld) << "the lock was taken twice";
  }
  second.join();
  EXPECT_TRUE(secondHeld);
}

TEST(StoreLockTest, DifferentStoresDoNotWait) {
  TempDir dir;
  StoreLock a(ToNative(dir / "a.lock"));
  std::atomic<bool> done{false};
  std::thread other([&] {
    StoreLock b(ToNative(dir / "b.lock"));
    done = b.held();
  });
  other.join();
  EXPECT_TRUE(done);
}

#ifndef _WIN32
TEST(StoreLockTest, ALockThatCannotBeMadeIsNotHeldAndSaysWhy) {
  TempDir dir;
  // A folder where the lock file belongs, and a lock below a plain file.
  std::filesystem::create_directory(dir / "store.lock");
  StoreLock folder(ToNative(dir / "store.lock"));
  EXPECT_FALSE(folder.held());
  EXPECT_EQ(folder.error(), static_cast<uint32_t>(EISDIR));
  WriteBytes(dir / "plain", "x");
  StoreLock below(ToNative(dir / "plain" / "store.lock"));
  EXPECT_FALSE(below.held());
  EXPECT_EQ(below.error(), static_cast<uint32_t>(ENOTDIR));
}
#endif

}  // namespace
