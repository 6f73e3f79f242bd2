#include "engine/process_file.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "core/encoding_catalogue.h"
#include "core/process_flags.h"
#include "engine/large_buffer.h"
#include "tests/test_support.h"

namespace fs = std::filesystem;

namespace {

class ProcessFileTest : public ::testing::Test {
 protected:
  ProcessStateGuard state;  // first member: the flags are put back after everything else
  ProcessFileTest() {
    japaneseUi = false;
    context.host = &host;
    context.createCodec = ScriptedCodecFactory(&script);
    job.inputEncodingIndex = 1;
    job.outputEncodingIndex = 0;
  }

  FileOutcome Run(const std::string& name = "a.txt") {
    return ProcessFile(context, ToNative(dir / name), job);
  }
  // An old, recognisable time, so that a rewrite shows.
  void Age(const std::string& name) {
    fs::last_write_time(dir / name, oldTime);
  }

  TempDir dir;
  RecordingHost host;
  ScriptedCodec::Script script;
  EngineContext context;
  JobOptions job;
  // Whole seconds: some platforms set file times only to the second.
  fs::file_time_type oldTime = std::chrono::floor<std::chrono::seconds>(
      fs::file_time_type::clock::now() - std::chrono::hours(24 * 400));
};

TEST_F(ProcessFileTest, UnchangedFileIsNotTouched) {
  WriteBytes(dir / "a.txt", "line\r\n");
  Age("a.txt");
  job.lineEndingConversion = 0;
  job.makeBackup = true;
  EXPECT_EQ(Run(), FileOutcome::kContinue);
  EXPECT_EQ(fs::last_write_time(dir / "a.txt"), oldTime);
  EXPECT_FALSE(fs::exists(dir / "a.txt.bak"));
  EXPECT_EQ(context.counters.targetsSeen, 1u);
  EXPECT_EQ(context.counters.filesWritten, 0u);
  EXPECT_TRUE(host.messages.empty());

  // Naming the code page it was read in changes nothing either.
  job.outputEncodingIndex = 1;
  Run();
  job.outputEncodingIndex = 9;
  job.outputOtherCodePage = 932;
  Run();
  EXPECT_EQ(fs::last_write_time(dir / "a.txt"), oldTime);
  EXPECT_EQ(context.counters.filesWritten, 0u);
}

TEST_F(ProcessFileTest, AFileWithNothingToWriteStillTellsOfAKeepCopyLeftBesideIt) {
  // A rewrite killed late leaves a file that may need no change (new, or cut short at a
  // line end) beside the copy of its old content: the user must hear of the copy.
  WriteBytes(dir / "a.txt", "line\r\n");
  WriteBytes(dir / "a.txt.~qlkeep", "old line\n");
  job.lineEndingConversion = 0;
  EXPECT_EQ(Run(), FileOutcome::kContinue);
  EXPECT_EQ(context.counters.filesWritten, 0u);
  ASSERT_EQ(host.messages.size(), 1u);
  const std::string message = host.AllMessagesUtf8();
  EXPECT_NE(message.find("a.txt.~qlkeep is left from an unfinished rewrite"), std::string::npos)
      << message;
  EXPECT_EQ(ReadBytes(dir / "a.txt.~qlkeep"), "old line\n");
  EXPECT_EQ(ReadBytes(dir / "a.txt"), "line\r\n");
}

TEST_F(ProcessFileTest, AnotherOutputCodePageForcesTheWrite) {
  WriteBytes(dir / "a.txt", "\x82\xA0\r\n");
  job.outputEncodingIndex = 4;
  Run();
  EXPECT_EQ(ReadBytes(dir / "a.txt"), "\xE3\x81\x82\r\n");
  EXPECT_EQ(context.counters.filesWritten, 1u);

  // Index 0 keeps the code page the file was read in, with its mark.
  WriteBytes(dir / "b.txt", "\xEF\xBB\xBF" "x \r\n");
  job.outputEncodingIndex = 0;
  job.trimTrailingWhiteSpace = true;
  Run("b.txt");
  EXPECT_EQ(ReadBytes(dir / "b.txt"), "\xEF\xBB\xBF" "x\r\n");
}

TEST_F(ProcessFileTest, CtrlZInShiftJisIsKeptAndConvertedAsItself) {
  // Ctrl-Z (1A) is not a control code to delete; FS (1C) is. Converted to UTF-8, each
  // stays the same byte.
  WriteBytes(dir / "a.txt", "a\x1A" "b\x1C" "c\x7F\x82\xA0");
  job.removeControlCodes = true;
  job.outputEncodingIndex = 4;
  Run();
  EXPECT_EQ(ReadBytes(dir / "a.txt"), "a\x1A" "bc\x7F\xE3\x81\x82");
}

TEST_F(ProcessFileTest, InsertingEveryNBytesAlwaysWrites) {
  WriteBytes(dir / "a.txt", "ab");
  Age("a.txt");
  job.insertEveryBytes = 10;
  Run();
  EXPECT_EQ(context.counters.filesWritten, 1u);
  EXPECT_NE(fs::last_write_time(dir / "a.txt"), oldTime);
  EXPECT_EQ(ReadBytes(dir / "a.txt"), "ab");
}

TEST_F(ProcessFileTest, TransformationsRunInTheirOrder) {
  // Full-width spaces become spaces before trimming, TABs at a line end are trimmed
  // before expansion, and control codes blanked afterwards stay at the line end.
  WriteBytes(dir / "a.txt", "a\x81\x40\nb\t\r\n\tc\x01\n");
  job.fullWidthSpaceToTwo = true;
  job.fullWidthSpaceToOne = true;
  job.trimTrailingWhiteSpace = true;
  job.expandTabs = true;
  job.tabColumns = 4;
  job.controlCodesToSpaces = true;
  job.lineEndingConversion = 1;
  Run();
  EXPECT_EQ(ReadBytes(dir / "a.txt"), "a\nb\n    c \n");
}

TEST_F(ProcessFileTest, BackupHoldsThePreviousContent) {
  WriteBytes(dir / "a.txt", "old \n");
  WriteBytes(dir / "a.txt.bak", "stale backup");
  job.trimTrailingWhiteSpace = true;
  job.makeBackup = true;
  Run();
  EXPECT_EQ(ReadBytes(dir / "a.txt"), "old\n");
  EXPECT_EQ(ReadBytes(dir / "a.txt.bak"), "old \n");
}

TEST_F(ProcessFileTest, FailedBackupWritesNothingButCounts) {
  WriteBytes(dir / "a.txt", "old \n");
  WriteBytes(dir / "a.txt.bak", "read-only backup");
  fs::permissions(dir / "a.txt.bak",
                  fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  job.trimTrailingWhiteSpace = true;
  job.makeBackup = true;
  EXPECT_EQ(Run(), FileOutcome::kContinue);
  EXPECT_EQ(ReadBytes(dir / "a.txt"), "old \n");
  EXPECT_EQ(ReadBytes(dir / "a.txt.bak"), "read-only backup");
  EXPECT_EQ(context.counters.targetsSeen, 1u);
  EXPECT_EQ(context.counters.filesWritten, 0u);
  ASSERT_EQ(host.messages.size(), 1u);
  std::string message = host.AllMessagesUtf8();
  EXPECT_EQ(message.rfind("Cannot create a backup file - ", 0), 0u) << message;
  EXPECT_NE(message.find("a.txt.bak.\r\n"), std::string::npos) << message;
}

TEST_F(ProcessFileTest, TimestampsAreKeptWhenAsked) {
  WriteBytes(dir / "a.txt", "x \n");
  Age("a.txt");
  job.trimTrailingWhiteSpace = true;
  job.keepTimestamps = true;
  Run();
  EXPECT_EQ(ReadBytes(dir / "a.txt"), "x\n");
  EXPECT_EQ(fs::last_write_time(dir / "a.txt"), oldTime);

  FailingFileSystem files;
  context.files = &files;
  files.failGetTimes = true;
  WriteBytes(dir / "b.txt", "y \n");
  Run("b.txt");
  files.failGetTimes = false;
  files.setTimesResult = SetTimesResult::kCannotSet;
  WriteBytes(dir / "c.txt", "z \n");
  Run("c.txt");
  files.setTimesResult = SetTimesResult::kCannotOpen;
  WriteBytes(dir / "d.txt", "w \n");
  Run("d.txt");
  ASSERT_EQ(host.messages.size(), 3u);
  EXPECT_EQ(host.messages[0].find(u"Cannot read the timestamp. - "), 0u);
  EXPECT_EQ(host.messages[1].find(u"Cannot change the timestamp. - "), 0u);
  EXPECT_EQ(host.messages[2].find(u"Cannot open(for change the timestamp). - "), 0u);
  EXPECT_EQ(context.counters.filesWritten, 4u);
}

TEST_F(ProcessFileTest, EachTransformationRunsOnlyWhenAsked) {
  // One line that every transformation changes, in its own way; a job asks for one.
  const std::string line = "a\x81\x40\tb\x01 \r\n";
  struct Case {
    const char* what;
    void (*ask)(JobOptions& job);
    const char* expected;
  };
  const Case cases[] = {
      {"line endings", [](JobOptions& j) { j.lineEndingConversion = 1; }, "a\x81\x40\tb\x01 \n"},
      {"to two spaces", [](JobOptions& j) { j.fullWidthSpaceToTwo = true; }, "a  \tb\x01 \r\n"},
      {"to one space", [](JobOptions& j) { j.fullWidthSpaceToOne = true; }, "a \tb\x01 \r\n"},
      {"trim", [](JobOptions& j) { j.trimTrailingWhiteSpace = true; }, "a\x81\x40\tb\x01\r\n"},
      {"tabs", [](JobOptions& j) { j.expandTabs = true; }, "a\x81\x40 b\x01 \r\n"},
      {"remove controls", [](JobOptions& j) { j.removeControlCodes = true; },
       "a\x81\x40\tb \r\n"},
      {"blank controls", [](JobOptions& j) { j.controlCodesToSpaces = true; },
       "a\x81\x40\tb  \r\n"},
      // After the first 3 + 2 units (2: the length of CR LF), never at the end.
      {"line breaks", [](JobOptions& j) { j.insertEveryChars = 3; },
       "a\x81\x40\tb\x01\r\n \r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteBytes(dir / "a.txt", line);
    job = JobOptions();
    job.inputEncodingIndex = 1;
    job.tabColumns = 4;
    c.ask(job);
    Run();
    EXPECT_EQ(ReadBytes(dir / "a.txt"), c.expected);
  }
}

TEST_F(ProcessFileTest, TimestampMessagesComeBeforeTheWritersAndNeverWithoutAWrite) {
  FailingFileSystem files;
  context.files = &files;
  files.setTimesResult = SetTimesResult::kCannotSet;
  job.keepTimestamps = true;
  // A character Shift-JIS lacks: written as "?", which the writer reports.
  WriteBytes(dir / "a.txt", "\xEF\xBB\xBF\xF0\x9F\x98\x80");
  job.outputEncodingIndex = 1;
  Run();
  ASSERT_EQ(host.messages.size(), 2u);
  EXPECT_EQ(host.messages[0].find(u"Cannot change the timestamp. - "), 0u);
  EXPECT_NE(host.messages[1].find(u"a.txt:Force Conversion - "), WideText::npos);

  // No backup, no write: neither the times nor their failure are looked at.
  host.messages.clear();
  files.failCopy = true;
  files.failGetTimes = true;
  job.makeBackup = true;
  WriteBytes(dir / "b.txt", "\xEF\xBB\xBF\xF0\x9F\x98\x80");
  Run("b.txt");
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.AllMessagesUtf8().rfind("Cannot create a backup file - ", 0), 0u);
  EXPECT_EQ(files.replaceCalls, 1);  // the first file's only
  EXPECT_EQ(context.counters.filesWritten, 1u);
}

TEST_F(ProcessFileTest, UndecodableFileStaysByteIdentical) {
  const std::string broken = "valid \x82\xA0 then broken \x82";
  WriteBytes(dir / "a.txt", broken);
  job.trimTrailingWhiteSpace = true;
  job.outputEncodingIndex = 4;
  job.makeBackup = true;
  Run();
  EXPECT_EQ(ReadBytes(dir / "a.txt"), broken);
  EXPECT_FALSE(fs::exists(dir / "a.txt.bak"));
  EXPECT_EQ(context.counters.targetsSeen, 0u);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].find(u"Cannot encode "), 0u);

  japaneseUi = true;
  job.insertEveryBytes = 3;
  Run();
  EXPECT_NE(host.messages[1].find(u"「指定したバイト数毎に改行コードを挟む」"), WideText::npos);
}

TEST_F(ProcessFileTest, ReadStatusMessages) {
  WriteBytes(dir / "empty.txt", "");
  Run("empty.txt");
  Run("missing.txt");
  japaneseUi = true;
  Run("empty.txt");
  ASSERT_EQ(host.messages.size(), 3u);
  EXPECT_NE(host.messages[0].find(u"empty.txt is empty.\r\n"), WideText::npos);
  EXPECT_EQ(host.messages[1].find(u"Cannot open "), 0u);
  EXPECT_NE(host.messages[2].find(u"empty.txt は内容が空です。\r\n"), WideText::npos);
  EXPECT_EQ(context.counters.targetsSeen, 0u);

  FailingFileSystem files;
  context.files = &files;
  files.readResult = ReadFileResult::kTooLarge;
  japaneseUi = false;
  Run("empty.txt");
  EXPECT_NE(host.messages[3].find(u"empty.txt is too large.\r\n"), WideText::npos);
}

TEST_F(ProcessFileTest, FailedWriteIsReportedAndCounted) {
  WriteBytes(dir / "a.txt", "keep me \n");
  FailingFileSystem files;
  context.files = &files;
  files.replaceResult = ReplaceResult::kWriteFailed;
  job.trimTrailingWhiteSpace = true;
  job.keepTimestamps = true;
  Run();
  EXPECT_EQ(ReadBytes(dir / "a.txt"), "keep me \n");
  EXPECT_EQ(context.counters.targetsSeen, 1u);
  EXPECT_EQ(context.counters.filesWritten, 0u);
  ASSERT_EQ(host.messages.size(), 1u) << "no timestamp message after a failed write";
  EXPECT_NE(host.messages[0].find(u"a.txt:WriteFile error - "), WideText::npos);
}

TEST_F(ProcessFileTest, SubstitutionReportStillCountsTheWrite) {
  WriteBytes(dir / "a.txt", "\xEF\xBB\xBF\xF0\x9F\x98\x80");
  job.outputEncodingIndex = 1;
  Run();
  EXPECT_EQ(ReadBytes(dir / "a.txt"), "?");
  EXPECT_EQ(context.counters.filesWritten, 1u);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_NE(host.messages[0].find(
                u"a.txt:Force Conversion - Unconvertible charactors are contained.\r\n"),
            WideText::npos);
}

TEST_F(ProcessFileTest, AbortAfterTheLastStepWritesNothing) {
  WriteBytes(dir / "a.txt", "x \n");
  job.trimTrailingWhiteSpace = true;
  host.abortAfterPolls = 9;  // the tenth poll follows the replacement step
  EXPECT_EQ(Run(), FileOutcome::kStop);
  EXPECT_EQ(host.polls, 10);
  EXPECT_EQ(ReadBytes(dir / "a.txt"), "x \n");
  EXPECT_EQ(context.counters.targetsSeen, 0u);
  EXPECT_EQ(context.counters.filesWritten, 0u);

  host.polls = 0;
  host.abortAfterPolls = 10;  // the last poll, after the file is done
  EXPECT_EQ(Run(), FileOutcome::kStop);
  EXPECT_EQ(context.counters.targetsSeen, 1u);
  EXPECT_EQ(context.counters.filesWritten, 1u);
}

TEST_F(ProcessFileTest, ExceptionsEndOnlyThisFile) {
  WriteBytes(dir / "a.txt", "x \n");
  job.trimTrailingWhiteSpace = true;
  script.throwOnDecode = true;
  EXPECT_EQ(Run(), FileOutcome::kContinue);
  EXPECT_EQ(ReadBytes(dir / "a.txt"), "x \n");
  EXPECT_EQ(context.counters.targetsSeen, 0u);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0], WideText(u"Not enough memory. - ") +
                                  PathForDisplay(ToNative(dir / "a.txt")) + u"\r\n");
}

TEST_F(ProcessFileTest, BinaryFilesComeOutByteIdenticalAndUncounted) {
  // A real program as it sits among text files, and a PNG, under detection with steps
  // that would change them.
  std::error_code error;
  const bool haveProgram = fs::copy_file("/bin/true", dir / "true", error) && !error;
  WriteBytes(dir / "p.png", std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR\n\t", 18));
  job.inputEncodingIndex = 0;
  job.lineEndingConversion = 0;
  job.expandTabs = true;
  job.makeBackup = true;
  for (const char* name : {"p.png", "true"}) {
    if (!fs::exists(dir / name)) continue;
    const std::string before = ReadBytes(dir / name);
    Run(name);
    EXPECT_EQ(ReadBytes(dir / name), before) << name;
    EXPECT_FALSE(fs::exists(dir / (std::string(name) + ".bak")));
    EXPECT_EQ(host.messages.back(), PathForDisplay(ToNative(dir / name)) +
                                        u" is a binary file; not converted.\r\n");
  }
  EXPECT_EQ(context.counters.targetsSeen, 0u);
  japaneseUi = true;
  Run("p.png");
  EXPECT_EQ(host.messages.back(), u"ファイル " + PathForDisplay(ToNative(dir / "p.png")) +
                                      u" はバイナリファイルのため変換しません。\r\n");
  if (!haveProgram) GTEST_SKIP() << "no /bin/true to copy: " << error.message();
}

TEST_F(ProcessFileTest, GrowthPastTheLimitIsTooLargeAndTheRunGoesOn) {
  // The TAB width -1 from a store, and a replacement that grows every line: the file
  // stays as it was, and the next file, which does not grow, is converted.
  const ScopedHeldLimit limit(100);
  const std::string content = "\tx" + std::string(40, '\n');
  job.trimTrailingWhiteSpace = true;
  JobOptions tabs = job;
  tabs.expandTabs = true;
  tabs.tabColumns = 0xFFFFFFFF;
  JobOptions literal = job;
  literal.replaceEnabled = true;
  literal.searchText = u"\n";
  literal.replacementText = u"<br>\n";
  for (const JobOptions& grown : {tabs, literal}) {
    WriteBytes(dir / "a.txt", content);
    WriteBytes(dir / "b.txt", "x \n");
    host.messages.clear();
    context.counters = {};
    job = grown;
    EXPECT_EQ(Run("a.txt"), FileOutcome::kContinue);
    Run("b.txt");
    EXPECT_EQ(ReadBytes(dir / "a.txt"), content);
    ASSERT_EQ(host.messages.size(), 1u) << host.AllMessagesUtf8();
    EXPECT_EQ(host.messages[0], PathForDisplay(ToNative(dir / "a.txt")) + u" is too large.\r\n");
    EXPECT_EQ(context.counters.filesWritten, 1u) << "the next file is converted";
  }
}

}  // namespace

namespace {

// Every code page of the encoding list, with a mark where one exists: a Japanese file
// written in it by the program reads back to the same text and, converted back, to the
// same bytes.
TEST_F(ProcessFileTest, EveryListedCodePageRoundTrips) {
  const WideText japanese = u"日本語のテキスト ABC 123\r\n漢字とカタカナ。";
  const WideText katakana = u"ABC 123 ｱｲｳｴｵ";  // what EBCDIC Katakana can hold
  struct Case {
    int16_t index;
    bool mark;
  };
  const Case cases[] = {{1, false}, {2, false}, {2, true},  {3, false}, {3, true},
                        {4, false}, {4, true},  {5, false}, {6, false}, {7, false},
                        {8, false}};
  for (const Case& c : cases) {
    const uint32_t codePage = CatalogueCodePage(c.index);
    if (codePage == 20290 && RunningUnderWine()) continue;  // Wine has no EBCDIC Katakana
    SCOPED_TRACE(codePage);
    const WideText& text = codePage == 20290 ? katakana : japanese;
    // The file as another program would have written it: UTF-8, with or without a mark.
    std::string utf8 = Utf8FromWide(text);
    WriteBytes(dir / "r.txt", c.mark ? "\xEF\xBB\xBF" + utf8 : utf8);
    job.inputEncodingIndex = 4;
    job.outputEncodingIndex = c.index;
    host.messages.clear();
    Run("r.txt");
    std::string converted = ReadBytes(dir / "r.txt");
    EXPECT_TRUE(host.messages.empty()) << host.AllMessagesUtf8();
    if (codePage != 65001) {
      EXPECT_NE(converted.substr(0, 3), utf8.substr(0, 3));
    }
    // And back to UTF-8, which must give the very first bytes again.
    job.inputEncodingIndex = c.index;
    job.outputEncodingIndex = 4;
    Run("r.txt");
    EXPECT_EQ(ReadBytes(dir / "r.txt"), c.mark ? "\xEF\xBB\xBF" + utf8 : utf8)
        << "converted form: " << converted.size() << " bytes";
  }
}

}  // namespace
