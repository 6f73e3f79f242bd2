#include "platform/work_files.h"

#include <gtest/gtest.h>

namespace {

NativePath N(std::u16string_view text) { return PathFromWide(text); }

TEST(WorkFilesTest, TemporaryNamesAreShortAndCarryTheirWriter) {
  const NativePath name = TemporaryFileName(4294967295u, 4294967295u);
  EXPECT_LE(name.size(), 30u);
  uint32_t pid = 0;
  ASSERT_TRUE(IsTemporaryFileName(name, &pid));
  EXPECT_EQ(pid, 4294967295u);
  ASSERT_TRUE(IsTemporaryFileName(TemporaryFileName(17, 0), &pid));
  EXPECT_EQ(pid, 17u);
  for (const char16_t* other : {u".~ql12-3.tm", u".~ql-3.tmp", u".~ql12-.tmp", u".~ql12-3.tmpx",
                                u"x.~ql12-3.tmp", u".~ql99999999999-1.tmp", u".~ql1x-2.tmp", u"a.txt"}) {
    EXPECT_FALSE(IsTemporaryFileName(N(other))) << PathForDisplay(N(other)).size();
  }
}

TEST(WorkFilesTest, KeepCopyNamesFitAndNeverCutACharacter) {
  EXPECT_EQ(KeepCopyName(N(u"data.txt")), N(u"data.txt.~qlkeep"));
  EXPECT_TRUE(IsKeepCopyName(KeepCopyName(N(u"data.txt"))));
  EXPECT_FALSE(IsKeepCopyName(N(u"data.txt")));

  const NativePath longName(255, static_cast<PathChar>('a'));
  EXPECT_EQ(KeepCopyName(longName).size(), 255u);
  EXPECT_TRUE(IsKeepCopyName(KeepCopyName(longName)));

  // A name of characters that take several units is cut between characters.
  WideText wide;
  for (int i = 0; i < 200; ++i) wide += u"日";
  const NativePath japanese = PathFromWide(wide);
  const NativePath keep = KeepCopyName(japanese);
  EXPECT_LE(keep.size(), 255u);
  const NativePath head = keep.substr(0, keep.size() - 8);
  EXPECT_EQ(PathFromWide(PathForDisplay(head)), head);
  EXPECT_EQ(japanese.compare(0, head.size(), head), 0);
}

TEST(WorkFilesTest, ThisProcessRunsAndAnUnusedNumberDoesNot) {
  EXPECT_TRUE(ProcessIsRunning(CurrentProcessId()));
  EXPECT_FALSE(ProcessIsRunning(0));
}

}  // namespace
