#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "engine/visit_folder_test.h"

namespace fs = std::filesystem;

namespace {

using VisitFolderPosixTest = WalkTest;

// A chain of folders named name below dir, levels deep, with f.txt ("data") at each level
// in withFile. Reached by entering one level after the other, so that no path is ever
// longer than one name.
class DeepTree {
 public:
  DeepTree(const fs::path& dir, const std::string& name, int levels, std::vector<int> withFile)
      : dir_(dir), name_(name), levels_(levels) {
    Down(levels, [&](int level) {
      if (std::count(withFile.begin(), withFile.end(), level)) WriteBytes("f.txt", "data");
    });
    fs::current_path(saved_);
  }
  ~DeepTree() {
    Down(levels_, [](int) {});
    for (int level = 0; level < levels_; ++level) {
      fs::current_path("..");
      fs::remove_all(name_);
    }
    fs::current_path(saved_);
  }
  // The content of f.txt at each level ("" where there is none).
  std::vector<std::string> Contents() {
    std::vector<std::string> found;
    Down(levels_, [&](int) { found.push_back(fs::exists("f.txt") ? ReadBytes("f.txt") : ""); });
    fs::current_path(saved_);
    return found;
  }

 private:
  void Down(int levels, const std::function<void(int)>& atLevel) {
    saved_ = fs::current_path();
    fs::current_path(dir_);
    for (int level = 0; level < levels; ++level) {
      fs::create_directory(name_);
      fs::current_path(name_);
      atLevel(level);
    }
  }
  fs::path dir_, saved_;
  std::string name_;
  int levels_;
};

TEST_F(VisitFolderPosixTest, LinksToFilesAndFoldersLeadToOneConversion) {
  Make("data.txt");
  fs::create_symlink("data.txt", dir / "link.txt");  // met after its target
  Make("more.txt");
  fs::create_symlink("more.txt", dir / "a-link.txt");  // met before its target
  // Written first, so its new inode is no number the run let go of before; the folder
  // with the link to it is listed after the write.
  Make("0.txt");
  Make("sub/b.txt");
  fs::create_symlink("../0.txt", dir / "sub" / "up.txt");
  fs::create_directory_symlink("sub", dir / "alias");
  fs::create_symlink("gone.txt", dir / "broken.txt");  // cannot be identified: read reports
  EXPECT_EQ(Run(), u"Target files:4, Replaced files:4\n");
  EXPECT_EQ(host.messages.front(), u"Cannot open broken.txt.\r\n");
  EXPECT_EQ(ReadBytes(dir / "0.txt"), "daataa");
  EXPECT_EQ(ReadBytes(dir / "data.txt"), "daataa");
  EXPECT_EQ(ReadBytes(dir / "more.txt"), "daataa");
  EXPECT_EQ(ReadBytes(dir / "sub/b.txt"), "daataa");
  EXPECT_TRUE(fs::is_symlink(dir / "link.txt"));
}

// Every level holds two links to the next: without remembering the folders entered, the
// walk would take every one of the 2^18 paths.
TEST_F(VisitFolderPosixTest, ChainOfFolderLinksEntersEachFolderOnce) {
  const int levels = 18;
  for (int level = 0; level < levels; ++level) {
    fs::path here = dir / "store" / ("L" + std::to_string(level));
    Make("store/L" + std::to_string(level) + "/f.txt");
    fs::path next = dir / "store" / ("L" + std::to_string(level + 1));
    fs::create_directory_symlink(next, here / "a");
    fs::create_directory_symlink(next, here / "b");
  }
  auto began = std::chrono::steady_clock::now();
  EXPECT_EQ(Run(), u"Target files:18, Replaced files:18\n");
  EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(5));
  EXPECT_EQ(files.reads.size(), 18u);
  EXPECT_LE(files.moves, 2 * (levels + 1) + 1) << "into each folder and back once";
}

TEST_F(VisitFolderPosixTest, TreeDeeperThanAnyPathIsWalkedInFull) {
  DeepTree deep(dir.path(), std::string(100, 'd'), 60, {0, 30, 59});
  Make("zz/f.txt");
  EXPECT_EQ(Run(), u"Target files:4, Replaced files:4\n");
  std::vector<std::string> contents = deep.Contents();
  EXPECT_EQ(contents[0], "daataa");
  EXPECT_EQ(contents[30], "daataa");
  EXPECT_EQ(contents[59], "daataa");
  EXPECT_EQ(ReadBytes(dir / "zz/f.txt"), "daataa");
  EXPECT_EQ(fs::current_path(), start);
}

// With few descriptors the walk cannot hold every level: the folder where it runs out is
// reported, and the rest of the tree is still converted.
TEST_F(VisitFolderPosixTest, RunningOutOfDescriptorsReportsTheFolderAndGoesOn) {
  DeepTree deep(dir.path(), "d", 100, {0, 10, 99});
  Make("zz/f.txt");
  struct rlimit saved;
  getrlimit(RLIMIT_NOFILE, &saved);
  struct rlimit low = saved;
  low.rlim_cur = 96;
  setrlimit(RLIMIT_NOFILE, &low);
  WideText summary = Run();
  setrlimit(RLIMIT_NOFILE, &saved);
  EXPECT_EQ(summary, u"Target files:3, Replaced files:3\n");
  ASSERT_EQ(host.messages.size(), 2u);
  EXPECT_EQ(host.messages[0], u"SetCurrentDirectory error. - d\r\n");
  std::vector<std::string> contents = deep.Contents();
  EXPECT_EQ(contents[10], "daataa");
  EXPECT_EQ(contents[99], "data");
  EXPECT_EQ(ReadBytes(dir / "zz/f.txt"), "daataa");
}

// The folder is read once for all names, so a leftover goes even when the pattern does
// not match it and subfolders are not searched; only a file itself, not a link by that
// name.
TEST_F(VisitFolderPosixTest, LeftoverGoesWhateverThePattern) {
  Make("a.txt");
  Make(".~ql999999999-1.tmp");
  fs::create_symlink("a.txt", dir / ".~ql999999999-2.tmp");
  controls.SetChecked(kIdSubfolders, false);
  EXPECT_EQ(Run(), u"Target files:1, Replaced files:1\n");
  EXPECT_FALSE(fs::exists(dir / ".~ql999999999-1.tmp"));
  EXPECT_TRUE(fs::is_symlink(dir / ".~ql999999999-2.tmp"));
}

}  // namespace
