#include <filesystem>

#include "engine/visit_folder_test.h"
#include "platform/work_files.h"

namespace fs = std::filesystem;

namespace {

using VisitFolderTest = WalkTest;

TEST_F(VisitFolderTest, HardLinksOfOneFileAreConvertedOnce) {
  Make("data.txt");
  fs::create_directory(dir / "sub");
  fs::create_hard_link(dir / "data.txt", dir / "other.txt");
  fs::create_hard_link(dir / "data.txt", dir / "sub" / "third.txt");
  EXPECT_EQ(Run(), u"Target files:1, Replaced files:1\n");
  for (const char* name : {"data.txt", "other.txt", "sub/third.txt"}) {
    EXPECT_EQ(ReadBytes(dir / name), "daataa") << name;
  }
}

// The backup of a.txt replaces a.txt.bak after the folder was read, and a number the
// file system let go of may come back for a.txt's new content: a.txt.bak must still be
// taken as the file it now is.
TEST_F(VisitFolderTest, FileReplacedSinceTheFolderWasReadIsStillConverted) {
  Make("a.txt");
  Make("a.txt.bak", "old");
  controls.SetChecked(kIdBackup, true);
  SetTarget("*");
  EXPECT_EQ(Run(), u"Target files:2, Replaced files:2\n");
  EXPECT_EQ(ReadBytes(dir / "a.txt.bak"), "daataa");
}

// Work files are never targets: neither temporaries nor keep copies, whatever the
// pattern. A temporary whose writer is gone is removed, in subfolders too; one of this
// process and every keep copy stay. A folder with such a name is an ordinary folder.
TEST_F(VisitFolderTest, WorkFilesAreNeverTargetsAndLeftoversAreRemoved) {
  const std::string ours = ".~ql" + std::to_string(CurrentProcessId()) + "-7.tmp";
  Make("a.txt");
  Make(".~ql999999999-1.tmp");
  Make("sub/.~ql999999999-2.tmp");
  Make(ours);
  Make("a.txt.~qlkeep");
  Make(".~ql999999999-3.tmp/b.txt");
  SetTarget("*");
  EXPECT_EQ(Run(), u"Target files:2, Replaced files:2\n");
  EXPECT_FALSE(fs::exists(dir / ".~ql999999999-1.tmp"));
  EXPECT_FALSE(fs::exists(dir / "sub/.~ql999999999-2.tmp"));
  EXPECT_EQ(ReadBytes(dir / ours), "data");
  EXPECT_EQ(ReadBytes(dir / "a.txt.~qlkeep"), "data");
  EXPECT_EQ(ReadBytes(dir / ".~ql999999999-3.tmp/b.txt"), "daataa");
}

TEST_F(VisitFolderTest, PlainNameWithSubfoldersFindsItEverywhere) {
  Make("a.txt");
  Make("sub/a.txt");
  Make("sub/b.txt");
  Make("sub/.~ql999999999-1.tmp");
  SetTarget("a.txt");
  EXPECT_EQ(Run(), u"Target files:2, Replaced files:2\n");
  EXPECT_EQ(ReadBytes(dir / "sub/a.txt"), "daataa");
  EXPECT_EQ(ReadBytes(dir / "sub/b.txt"), "data");
  EXPECT_FALSE(fs::exists(dir / "sub/.~ql999999999-1.tmp"));
}

}  // namespace
