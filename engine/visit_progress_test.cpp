#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "engine/visit_folder_test.h"

namespace {

// Records the progress the walk tells, in order with the messages and the end.
class ProgressRecorder : public RecordingHost {
 public:
  struct Step {
    ProgressCounts counts;
    WideText folder;  // with '/' between names on every platform and none at the end
  };
  void ShowProgress(const ProgressCounts& counts, const NativePath& folder) override {
    WideText shown = PathForDisplay(folder);
    std::replace(shown.begin(), shown.end(), u'\\', u'/');
    if (shown.size() > 1 && shown.back() == u'/') shown.pop_back();
    steps.push_back({counts, shown});
    events.push_back("progress");
  }
  void EndProgress() override { events.push_back("end"); }
  void ReportMessage(std::u16string_view text) override {
    RecordingHost::ReportMessage(text);
    events.push_back("message");
  }
  std::vector<Step> steps;
  std::vector<std::string> events;
};

using VisitProgressTest = WalkTest;

TEST_F(VisitProgressTest, CountsFoldersFilesAndWritesAndNamesTheFolderBeingWalked) {
  Make("a.txt");
  Make("sub1/b.txt");
  Make("sub1/deep/c.txt");
  Make("sub2/d.txt");
  Make("sub2/skip.bin");
  SetTarget("*.txt");
  ProgressRecorder recorder;
  context.host = &recorder;
  RunJob(controls, context);
  ASSERT_FALSE(recorder.messages.empty());
  EXPECT_EQ(recorder.messages.back(), u"Target files:4, Replaced files:4\n");

  WideText root = PathForDisplay(dir.path().native());
  std::replace(root.begin(), root.end(), u'\\', u'/');
  if (root.size() > 1 && root.back() == u'/') root.pop_back();
  const std::set<WideText> folders = {root, root + u"/sub1", root + u"/sub1/deep",
                                      root + u"/sub2"};
  ASSERT_FALSE(recorder.steps.empty());
  EXPECT_EQ(recorder.steps.front().counts.folders, 1u);
  EXPECT_EQ(recorder.steps.front().counts.files, 0u);
  EXPECT_EQ(recorder.steps.front().folder, root);
  std::set<WideText> shown;
  uint32_t files = 0;
  for (const auto& step : recorder.steps) {
    // A sibling is named below the root, never below the folder walked before it.
    EXPECT_EQ(folders.count(step.folder), 1u) << Utf8FromWide(step.folder);
    shown.insert(step.folder);
    EXPECT_GE(step.counts.files, files);
    files = step.counts.files;
  }
  EXPECT_EQ(shown, folders);
  const ProgressCounts& last = recorder.steps.back().counts;
  EXPECT_EQ(last.folders, 4u);
  EXPECT_EQ(last.files, 4u);
  EXPECT_EQ(last.replaced, 4u);

  // The line goes away after the walk and before the summary.
  const auto end = std::find(recorder.events.begin(), recorder.events.end(), "end");
  ASSERT_NE(end, recorder.events.end());
  EXPECT_EQ(std::count(end, recorder.events.end(), "progress"), 0);
  EXPECT_EQ(end + 2, recorder.events.end());
  EXPECT_EQ(*(end + 1), "message");
}

}  // namespace
