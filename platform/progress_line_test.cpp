#include "platform/progress_line.h"

#include <gtest/gtest.h>

#include "platform/message_host.h"

#include <string>
#include <vector>

namespace {

// A terminal that records what is drawn, each event as "show:<text>" or "erase:<columns>".
struct FakeTerminal : ProgressTerminal {
  explicit FakeTerminal(std::vector<std::u16string>* log, size_t columns)
      : log(log), columns(columns) {}
  size_t Columns() override { return columns; }
  void Show(std::u16string_view text) override { log->push_back(u"show:" + std::u16string(text)); }
  void Erase(size_t shown) override {
    std::string digits = std::to_string(shown);
    log->push_back(u"erase:" + std::u16string(digits.begin(), digits.end()));
  }
  std::vector<std::u16string>* log;
  size_t columns;
};

struct ProgressLineTest : ::testing::Test {
  ProgressLine Make(size_t columns) {
    return ProgressLine(std::make_unique<FakeTerminal>(&log, columns), [this] { return now; });
  }
  std::function<WideText()> Folder(std::u16string_view name) {
    return [this, name] {
      ++folderAsked;
      return WideText(name);
    };
  }
  std::vector<std::u16string> log;
  int64_t now = 1000;
  int folderAsked = 0;
};

TEST(KeepEndInColumnsTest, ShortensFromTheStartWithoutCuttingACharacter) {
  EXPECT_EQ(KeepEndInColumns(u"/data/texts", 11), u"/data/texts");
  EXPECT_EQ(KeepEndInColumns(u"/data/texts", 6), u"…texts");
  // Wide characters count two columns: five of them need ten.
  EXPECT_EQ(DisplayColumns(u"あいうえお"), 10u);
  EXPECT_EQ(KeepEndInColumns(u"あいうえお", 10), u"あいうえお");
  // Nine columns: the ellipsis and four; an odd column left over is left empty.
  EXPECT_EQ(KeepEndInColumns(u"あいうえお", 9), u"…いうえお");
  EXPECT_EQ(KeepEndInColumns(u"あいうえお", 8), u"…うえお");
  // A character beyond the 16-bit range is one wide character, never half of one.
  std::u16string outside = u"ab\U0002000Bc";
  EXPECT_EQ(DisplayColumns(outside), 5u);
  EXPECT_EQ(KeepEndInColumns(outside, 4), u"…\U0002000Bc");
  EXPECT_EQ(KeepEndInColumns(outside, 3), u"…c");
  EXPECT_EQ(KeepEndInColumns(u"abc", 1), u"…");
  EXPECT_EQ(KeepEndInColumns(u"abc", 0), u"");
}

TEST_F(ProgressLineTest, DrawsAtMostOncePerIntervalAndNamesTheFolderOnlyWhenDrawn) {
  ProgressLine line = Make(80);
  line.Update({1, 2, 3}, Folder(u"/a"));
  ASSERT_EQ(log.size(), 1u);
  EXPECT_NE(log[0].find(u"1"), std::u16string::npos);
  EXPECT_NE(log[0].find(u"/a"), std::u16string::npos);
  now += ProgressLine::kIntervalMs - 1;
  line.Update({1, 3, 3}, Folder(u"/a"));
  EXPECT_EQ(log.size(), 1u);
  EXPECT_EQ(folderAsked, 1);
  now += 1;
  line.Update({1, 4, 3}, Folder(u"/b"));
  ASSERT_EQ(log.size(), 2u);
  EXPECT_NE(log[1].find(u"4"), std::u16string::npos);
  EXPECT_NE(log[1].find(u"/b"), std::u16string::npos);
  EXPECT_EQ(folderAsked, 2);
}

TEST_F(ProgressLineTest, ErasesOnlyWhatShowsAndLeavesNoTailOfALongerLine) {
  ProgressLine line = Make(80);
  line.Clear();
  EXPECT_TRUE(log.empty());
  line.Update({1, 1, 0}, Folder(u"/a/long/folder/name"));
  line.Clear();
  line.Clear();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[1].rfind(u"erase:", 0), 0u);

  // A shorter line than the one on the screen erases the old one first.
  log.clear();
  now += ProgressLine::kIntervalMs;
  line.Update({1, 1, 0}, Folder(u"/a/long/folder/name"));
  now += ProgressLine::kIntervalMs;
  line.Update({1, 1, 0}, Folder(u"/b"));
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[1].rfind(u"erase:", 0), 0u);
  EXPECT_EQ(log[2].rfind(u"show:", 0), 0u);
}

TEST_F(ProgressLineTest, FitsTheTerminalsWidthKeepingTheCountsAndTheFolderEnd) {
  for (size_t columns : {size_t{40}, size_t{10}, size_t{0}}) {
    log.clear();
    now += ProgressLine::kIntervalMs;
    ProgressLine line = Make(columns);
    line.Update({12, 345, 6}, Folder(u"/very/long/path/to/フォルダ/最後"));
    ASSERT_EQ(log.size(), 1u);
    std::u16string shown = log[0].substr(5);
    size_t width = columns == 0 ? 80 : columns;  // unknown width: 80
    EXPECT_LE(DisplayColumns(shown), width - 1) << columns;
    if (columns == 40) {
      EXPECT_NE(shown.find(u"345"), std::u16string::npos);
      EXPECT_NE(shown.find(u"…"), std::u16string::npos);
      EXPECT_EQ(shown.back(), u'後');
    }
    if (columns == 0) {
      EXPECT_EQ(shown.substr(shown.size() - 2), u"最後");
    }
  }
}

TEST_F(ProgressLineTest, ControlCharactersOfAFolderNameAreNotSentToTheTerminal) {
  ProgressLine line = Make(80);
  line.Update({1, 0, 0}, Folder(u"/a\nb\x1b[2J\rc\x9b"));
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].substr(log[0].size() - 11), u"/a?b?[2J?c?");
}

TEST(ProgressLineWithoutTerminalTest, DoesNothing) {
  int folderAsked = 0;
  ProgressLine line(nullptr, [] { return int64_t{0}; });
  line.Update({1, 1, 1}, [&] {
    ++folderAsked;
    return WideText(u"/a");
  });
  line.Clear();
  EXPECT_EQ(folderAsked, 0);
}

// The console host: whatever it prints, the line goes first, and it goes at the end.
TEST_F(ProgressLineTest, ConsoleHostErasesTheLineBeforeAMessageAndAtTheEnd) {
  SetConsoleProgressTerminal(std::make_unique<FakeTerminal>(&log, 80), [this] { return now; });
  MessageHost& host = ConsoleMessageHost();
  NativePath folder = PathFromWide(u"/data");
  host.ShowProgress({1, 0, 0}, folder);
  ASSERT_EQ(log.size(), 1u);
  host.ReportMessage(u"");  // an empty message: nothing reaches standard output
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[1].rfind(u"erase:", 0), 0u);
  now += ProgressLine::kIntervalMs;
  host.ShowProgress({1, 1, 0}, folder);
  host.EndProgress();
  ASSERT_EQ(log.size(), 4u);
  EXPECT_EQ(log[3].rfind(u"erase:", 0), 0u);
  host.EndProgress();
  EXPECT_EQ(log.size(), 4u);
  SetConsoleProgressTerminal(OpenStandardErrorTerminal(), SteadyMilliseconds);
}

}  // namespace
