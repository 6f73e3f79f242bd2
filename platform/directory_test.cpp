#include "platform/directory.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/test_support.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

namespace fs = std::filesystem;

TEST(MakeParentFolders, MakesWhatIsMissingAndKeepsWhatIsThere) {
  TempDir dir;
  fs::create_directories(dir / "a");
  WriteBytes(dir / "a" / "kept.txt", "x");
  ASSERT_TRUE(MakeParentFolders(ToNative(dir / "a" / "b" / "c" / "store.reg"), 0700));
  EXPECT_TRUE(fs::is_directory(dir / "a" / "b" / "c"));
  EXPECT_FALSE(fs::exists(dir / "a" / "b" / "c" / "store.reg"));  // the file is not made
  EXPECT_EQ(ReadBytes(dir / "a" / "kept.txt"), "x");
  // Everything there already: nothing to do, and no failure.
  EXPECT_TRUE(MakeParentFolders(ToNative(dir / "a" / "b" / "c" / "store.reg"), 0700));
}

TEST(MakeParentFolders, FileInTheWayFails) {
  TempDir dir;
  WriteBytes(dir / "plain", "not a folder");
  EXPECT_FALSE(MakeParentFolders(ToNative(dir / "plain" / "sub" / "store.reg"), 0700));
  EXPECT_EQ(ReadBytes(dir / "plain"), "not a folder");
}

#ifndef _WIN32
TEST(MakeParentFolders, NewFoldersTakeTheModeOldOnesKeepTheirs) {
  TempDir dir;
  fs::create_directories(dir / "old");
  fs::permissions(dir / "old", fs::perms(0755));
  const mode_t umaskWas = umask(022);
  const bool made = MakeParentFolders(ToNative(dir / "old" / "private" / "store.reg"), 0700);
  umask(umaskWas);
  ASSERT_TRUE(made);
  EXPECT_EQ(fs::status(dir / "old" / "private").permissions(), fs::perms(0700));
  EXPECT_EQ(fs::status(dir / "old").permissions(), fs::perms(0755));
}
#endif

}  // namespace
