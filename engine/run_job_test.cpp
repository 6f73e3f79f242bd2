#include "engine/run_job.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/memory_controls.h"
#include "core/process_flags.h"
#include "engine/visit_folder.h"
#include "tests/test_support.h"

namespace fs = std::filesystem;

namespace {

// Records which files were read, by folder relative to the run's root, and can refuse to
// enter one folder.
class WalkRecorder : public FailingFileSystem {
 public:
  explicit WalkRecorder(fs::path root) : root_(std::move(root)) {}
  ReadFileResult ReadWholeFileInto(const NativePath& path,
                                   const std::function<char*(uint64_t size)>& place,
                                   uint64_t* length) override {
    fs::path here = fs::relative(fs::current_path(), root_);
    reads.push_back((here / fs::path(path)).lexically_normal().generic_string());
    return FailingFileSystem::ReadWholeFileInto(path, place, length);
  }
  bool GoToFolder(const HeldFolder& folder) override {
    if (!refuse.empty() && fs::path(folder.path()).filename() == refuse) return false;
    return FailingFileSystem::GoToFolder(folder);
  }
  std::vector<std::string> reads;
  std::string refuse;

 private:
  fs::path root_;
};

class RunJobTest : public ::testing::Test {
 protected:
  ProcessStateGuard state;  // first member: the flags are put back after everything else
  RunJobTest() : files(dir.path()) {
    japaneseUi = false;
    consoleMode = true;
    context.host = &host;
    context.files = &files;
    PrepareRunControls(controls, dir.path());
    controls.SetChecked(kIdTrimWhiteSpace, true);
    start = fs::current_path();
  }
  ~RunJobTest() override { fs::current_path(start); }
  void SetTarget(const std::string& pattern) { SetRunTarget(controls, dir.path(), pattern); }
  void Make(const std::string& name, const std::string& content = "x \n") {
    fs::create_directories((dir / name).parent_path());
    WriteBytes(dir / name, content);
  }
  WideText LastMessage() { return host.messages.empty() ? WideText() : host.messages.back(); }

  TempDir dir;
  WalkRecorder files;
  RecordingHost host;
  EngineContext context;
  MemoryControls controls;
  fs::path start;
};

TEST_F(RunJobTest, FilesFirstThenEachSubfolderInNameOrder) {
  Make("zz.txt");
  Make("sub/deeper/c.txt");
  Make("sub/b.txt");
  Make("a.txt");
  Make("a.txt.bak");
  Make("notes.txt/inner.txt");
  Make("Sub2/d.TXT");
  EXPECT_TRUE(RunJob(controls, context));
  std::vector<std::string> expected = {"a.txt", "zz.txt", "notes.txt/inner.txt",
                                       "sub/b.txt", "sub/deeper/c.txt", "Sub2/d.TXT"};
  EXPECT_EQ(files.reads, expected);
  EXPECT_EQ(LastMessage(), u"Target files:6, Replaced files:6\n");
  EXPECT_EQ(ReadBytes(dir / "sub/deeper/c.txt"), "x\n");
  EXPECT_EQ(fs::current_path(), start) << "the run leaves the directory as it found it";
}

TEST_F(RunJobTest, SubfoldersOff) {
  Make("a.txt");
  Make("sub/b.txt");
  controls.SetChecked(kIdSubfolders, false);
  RunJob(controls, context);
  EXPECT_EQ(files.reads, std::vector<std::string>{"a.txt"});
}

TEST_F(RunJobTest, FolderThatCannotBeEnteredIsReportedAndSkipped) {
  Make("a/1.txt");
  Make("locked/2.txt");
  Make("m/3.txt");
  files.refuse = "locked";
  EXPECT_TRUE(RunJob(controls, context));
  EXPECT_EQ(files.reads, (std::vector<std::string>{"a/1.txt", "m/3.txt"}));
  ASSERT_EQ(host.messages.size(), 2u);
  EXPECT_EQ(host.messages[0], u"SetCurrentDirectory error. - locked\r\n");
}

TEST_F(RunJobTest, LinkBackIntoTheTreeIsNotFollowed) {
  Make("sub/b.txt");
  std::error_code error;
  fs::create_directory_symlink("..", dir / "sub" / "up", error);
  if (error) GTEST_SKIP() << "no folder links here: " << error.message();
  EXPECT_TRUE(RunJob(controls, context));
  EXPECT_EQ(files.reads, std::vector<std::string>{"sub/b.txt"});
}

TEST_F(RunJobTest, AbortStopsEverywhereAndRestoresTheDirectory) {
  Make("a.txt");
  Make("sub/deep/b.txt");
  Make("sub/deep/c.txt");
  Make("z.txt");
  host.abortAfterPolls = 16;  // somewhere inside sub/deep
  EXPECT_FALSE(RunJob(controls, context));
  EXPECT_LT(files.reads.size(), 4u);
  ASSERT_GE(host.messages.size(), 2u);
  EXPECT_EQ(host.messages[host.messages.size() - 2], u"Aborted.\r\n");
  EXPECT_EQ(LastMessage().rfind(u"Target files:", 0), 0u);
  EXPECT_EQ(fs::current_path(), start);
}

TEST_F(RunJobTest, AbortedWalkReturnsToItsOwnFolder) {
  Make("sub/deep/b.txt");
  Make("sub/deep/c.txt");
  fs::current_path(dir.path());
  JobOptions job;
  job.filePattern = u"*.txt";
  job.searchSubfolders = true;
  host.abortAfterPolls = 5;
  EXPECT_FALSE(VisitFolder(context, job));
  EXPECT_EQ(fs::current_path(), dir.path());
}

TEST_F(RunJobTest, MissingFolderEndsTheRunBeforeAnything) {
  controls.SetText(kIdTarget, PathForDisplay(ToNative(dir / "nowhere")) + u"/*.txt");
  EXPECT_FALSE(RunJob(controls, context));
  EXPECT_EQ(host.messages, std::vector<WideText>{u"SetCurrentDirectory error.\n"});
  EXPECT_EQ(fs::current_path(), start);

  // No folder part at all: entering "" fails the same way.
  host.messages.clear();
  controls.SetText(kIdTarget, u"*.txt");
  EXPECT_FALSE(RunJob(controls, context));
  EXPECT_EQ(host.messages, std::vector<WideText>{u"SetCurrentDirectory error.\n"});
}

TEST_F(RunJobTest, NothingMatches) {
  Make("a.log");
  japaneseUi = true;
  EXPECT_TRUE(RunJob(controls, context));
  EXPECT_EQ(host.messages, std::vector<WideText>{u"0個中 0個のファイルの置換を行いました。\n"});
}

TEST_F(RunJobTest, DialogModeCollectsMessagesForTheResults) {
  struct ResultsHost : RecordingHost {
    void ReportMessage(std::u16string_view text) override { resultsText += text; }
    void ShowResults(std::u16string_view s, std::u16string_view d) override {
      summary = s;
      details = d;
    }
    WideText summary, details;
  } dialogHost;
  context.host = &dialogHost;
  consoleMode = false;
  Make("a.txt");
  RunJob(controls, context);
  EXPECT_EQ(dialogHost.summary, u"Target files:1, Replaced files:1");
  EXPECT_EQ(dialogHost.details, u"No errors occured.");
  Make("empty.txt", "");
  RunJob(controls, context);
  EXPECT_EQ(dialogHost.details, u"empty.txt is empty.\r\n") << "messages of this run only";
}

}  // namespace
