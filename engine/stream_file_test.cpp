#include "engine/stream_file.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "core/code_pages.h"
#include "core/encoding_catalogue.h"
#include "core/process_flags.h"
#include "engine/large_buffer.h"
#include "engine/process_file.h"
#include "engine/replace_regex.h"
#include "engine/stream_codec.h"
#include "tests/test_support.h"

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

// What a run over one file leaves behind.
struct Outcome {
  std::string bytes;
  std::vector<WideText> messages;
  uint32_t seen = 0;
  uint32_t written = 0;
  bool operator==(const Outcome&) const = default;
};

void PrintTo(const Outcome& outcome, std::ostream* os) {
  *os << testing::PrintToString(outcome.bytes) << " seen " << outcome.seen << " written "
      << outcome.written;
  for (const WideText& message : outcome.messages) *os << " | " << Utf8FromWide(message);
}

class StreamFileTest : public testing::Test {
 protected:
  ProcessStateGuard state;  // first member: the flags are put back after everything else
  StreamFileTest() {
    japaneseUi = false;
    job.inputEncodingIndex = kEncodingOther;
    job.inputOtherCodePage = kCodePageUtf8;
  }

  // The file's content after ProcessFile on the given file system (the failing one
  // writes whole files only, so the whole-text road is taken there).
  Outcome Run(const std::string& content, FileSystem& files, size_t pieceBytes,
              size_t heldBytes, uint64_t relayFromBytes = uint64_t{4} << 20) {
    WriteBytes(path, content);
    RecordingHost host;
    EngineContext context;
    context.host = &host;
    context.files = &files;
    context.streamPieceBytes = pieceBytes;
    context.streamHeldBytes = heldBytes;
    context.streamRelayFromBytes = relayFromBytes;
    context.replacementPieceUnits = pieceBytes;
    ProcessFile(context, ToNative(path), job);
    Outcome outcome{ReadBytes(path), host.messages, context.counters.targetsSeen,
                    context.counters.filesWritten};
    // Nothing but the file (and its backup) is left in the folder.
    for (const auto& entry : fs::directory_iterator(dir.path())) {
      const std::string name = entry.path().filename().string();
      EXPECT_TRUE(name == "a.txt" || name == "a.txt.bak") << name;
    }
    return outcome;
  }

  // Runs ProcessFile on the file; false when the folder's time shows that something was
  // made or removed in it (a work file), for which an old time is put on it first.
  bool RunLeavesTheFolderAlone(EngineContext& context) {
    const auto old = std::chrono::floor<std::chrono::seconds>(
        fs::file_time_type::clock::now() - std::chrono::hours(24));
    std::error_code timeError;
    fs::last_write_time(dir.path(), old, timeError);
    ProcessFile(context, ToNative(path), job);
    return timeError || fs::last_write_time(dir.path()) == old;
  }

  // Whether the file takes the streaming road under the job.
  bool Streams(const std::string& content) {
    WriteBytes(path, content);
    EngineContext context;
    return StreamFile(context, ToNative(path), job) != nullptr;
  }

  // The streaming road at several piece sizes gives what the whole-text road gives.
  void ExpectSameAsWhole(const std::string& content) {
    FailingFileSystem wholeFiles;
    const Outcome whole = Run(content, wholeFiles, 1 << 18, 1 << 20);
    for (size_t piece : {size_t{1}, size_t{2}, size_t{3}, size_t{64}, size_t{1} << 18}) {
      for (size_t held : {size_t{0}, size_t{1} << 20}) {
        // Encoding and writing on a helper thread too, from the first piece.
        for (uint64_t relay : {uint64_t{0}, uint64_t{4} << 20}) {
          const Outcome streamed = Run(content, RealFileSystem(), piece, held, relay);
          ASSERT_EQ(streamed, whole) << "piece " << piece << " held " << held << " relay "
                                     << relay << " content " << testing::PrintToString(content);
        }
      }
    }
  }

  TempDir dir;
  fs::path path = dir.path() / "a.txt";
  JobOptions job;
};

// The real file system, counting the files read piece by piece.
class CountingFileSystem : public FileSystem {
 public:
  ReadFileResult ReadWholeFileInto(const NativePath& path,
                                   const std::function<char*(uint64_t size)>& place,
                                   uint64_t* length) override {
    return RealFileSystem().ReadWholeFileInto(path, place, length);
  }
  ReadFileResult ReadFileStreaming(const NativePath& path, size_t pieceBytes,
                                   const std::function<bool(uint64_t size)>& begin,
                                   const std::function<bool(char* piece, size_t length)>& take) override {
    ++reads;
    return RealFileSystem().ReadFileStreaming(path, pieceBytes, begin, take);
  }
  ReplaceResult ReplaceFileContents(const NativePath& path, std::string_view head,
                                    std::string_view body, uint32_t* error,
                                    NativePath* where) override {
    return RealFileSystem().ReplaceFileContents(path, head, body, error, where);
  }
  bool WritesInPieces() override { return RealFileSystem().WritesInPieces(); }
  std::unique_ptr<ContentReplacement> BeginReplacement(const NativePath& path) override {
    return RealFileSystem().BeginReplacement(path);
  }
  bool CopyFileReplacing(const NativePath& from, const NativePath& to, uint32_t* error) override {
    return RealFileSystem().CopyFileReplacing(from, to, error);
  }
  bool GetFileTimes(const NativePath& path, FileTimes* times) override {
    return RealFileSystem().GetFileTimes(path, times);
  }
  SetTimesResult SetFileTimes(const NativePath& path, const FileTimes& times) override {
    return RealFileSystem().SetFileTimes(path, times);
  }
  bool KeepCopyLeftBeside(const NativePath& path, NativePath* shown) override {
    return RealFileSystem().KeepCopyLeftBeside(path, shown);
  }

  int reads = 0;
};

std::string RandomUtf8(std::mt19937& random, size_t characters) {
  static const char* kCharacters[] = {"a", "b", " ", "\t", "\r", "\n", "\r\n", "\xe3\x80\x80",
                                      "\x01", "\xe6\x97\xa5", "\xc3\xa9", "\xf0\x9f\x98\x80"};
  std::uniform_int_distribution<size_t> pick(0, std::size(kCharacters) - 1);
  std::string text;
  for (size_t i = 0; i < characters; ++i) text += kCharacters[pick(random)];
  return text;
}

}  // namespace

TEST_F(StreamFileTest, TheRoadIsChosenByTheJobAndTheFilesHead) {
  job.lineEndingConversion = 0;
  if (!RealFileSystem().WritesInPieces()) GTEST_SKIP() << "files are written whole here";
  EXPECT_TRUE(JobStreams(job));
  EXPECT_TRUE(Streams("a\nb"));
  EXPECT_TRUE(Streams("\xEF\xBB\xBF" "a\nb")) << "a mark of a page that streams";
  EXPECT_FALSE(Streams("")) << "an empty file is told of by the whole-text road";
  EXPECT_FALSE(Streams("MZ" + std::string(100, 'a'))) << "a program's header may lie further in";
  job.outputEncodingIndex = kEncodingOther;
  job.outputOtherCodePage = 50220;
  EXPECT_FALSE(Streams("a\nb")) << "ISO-2022-JP carries its state from character to character";
  job.outputEncodingIndex = kEncodingSameAsRead;

  JobOptions other = job;
  other.inputEncodingIndex = kEncodingAutomatic;
  EXPECT_FALSE(JobStreams(other)) << "detection";
  other = job;
  other.insertEveryBytes = 3;
  EXPECT_FALSE(JobStreams(other)) << "line endings every n bytes";
  other = job;
  other.replaceEnabled = other.replaceUseRegex = true;
  EXPECT_FALSE(JobStreams(other)) << "regular expressions";
}

TEST_F(StreamFileTest, EveryStepAndCodePageAsTheWholeTextRoad) {
  std::mt19937 random(11);
  std::vector<JobOptions> jobs;
  auto add = [&](auto set) {
    JobOptions one = job;
    set(one);
    jobs.push_back(one);
  };
  add([](JobOptions& j) { j.lineEndingConversion = 0; });
  add([](JobOptions& j) { j.lineEndingConversion = 1; });
  add([](JobOptions& j) { j.trimTrailingWhiteSpace = true; });
  add([](JobOptions& j) {
    j.expandTabs = true;
    j.tabColumns = 4;
    j.removeControlCodes = true;
    j.fullWidthSpaceToTwo = true;
  });
  add([](JobOptions& j) {
    j.insertEveryChars = 5;
    j.replaceEnabled = true;
    j.searchText = u"b\r\n";
    j.replacementText = u"B\n";
  });
  add([](JobOptions& j) {  // nothing but the code page
    j.outputEncodingIndex = kEncodingOther;
    j.outputOtherCodePage = kCodePageUtf16Be;
  });
  add([](JobOptions& j) {  // to a page that cannot hold every character: "?"
    j.outputEncodingIndex = kEncodingOther;
    j.outputOtherCodePage = kCodePageShiftJis;
    j.lineEndingConversion = 1;
  });
  add([](JobOptions& j) { j.makeBackup = j.keepTimestamps = true; });
  for (const JobOptions& one : jobs) {
    job = one;
    const std::string text = RandomUtf8(random, 50);
    ExpectSameAsWhole(text);
    ExpectSameAsWhole("\xEF\xBB\xBF" + text);
    ExpectSameAsWhole(text.substr(0, 20) + "\0\0"s + text.substr(20));
    // Read as UTF-16 (the mark names it whatever the job says).
    ExpectSameAsWhole("\xFF\xFE" + Utf16LeBytes(WideFromUtf8(text)) + "\0\0"s);
  }
}

TEST_F(StreamFileTest, FilesThatDoNotConvertAreLeftAsTheWholeTextRoadLeavesThem) {
  job.lineEndingConversion = 1;
  const std::string text = "line\r\nline\r\n";
  ExpectSameAsWhole(text + "\xe6\x97");         // ends inside a character
  ExpectSameAsWhole(text + "\xff" + text);      // an invalid byte
  ExpectSameAsWhole("\0\0\0"s);                 // nothing but NULs
  ExpectSameAsWhole("\xEF\xBB\xBF");            // nothing but a mark
  ExpectSameAsWhole("\xFF\xFE" "a\0b"s);        // half a unit at the end
  ExpectSameAsWhole("PK\x03\x04" + text);       // an archive
  ExpectSameAsWhole("line\nline\n");            // nothing to change
}

TEST_F(StreamFileTest, ShiftJisIsReadInPiecesWhereTheTableIs) {
  job.inputOtherCodePage = kCodePageShiftJis;
  job.lineEndingConversion = 0;
  job.expandTabs = true;
  // 表 is 95 5C: its second byte looks like a backslash; ｱ is one byte.
  const std::string text = "\x95\x5c\tx\n\xb1\t\x82\xa0\n";
  ExpectSameAsWhole(text);
  ExpectSameAsWhole(text + "\x81");
  job.outputEncodingIndex = kEncodingOther;
  job.outputOtherCodePage = kCodePageUtf8;
  ExpectSameAsWhole(text);
}

TEST_F(StreamFileTest, OtherCodePagesAsTheWholeTextRoad) {
  if (!RealFileSystem().WritesInPieces()) GTEST_SKIP() << "files are written whole here";
  uint32_t failure = 0;
  std::unique_ptr<Codec> codec = CreateSystemCodec(&failure);
  ASSERT_NE(codec, nullptr);
  job.lineEndingConversion = 1;
  job.expandTabs = true;
  struct Sample {
    uint32_t page;
    std::string text;
  };
  const Sample samples[] = {
      // 日本 and a half-width ｱ (8E B1) and a JIS X 0212 character (8F B0 A1).
      {51932, "\xc6\xfc\xcb\xdc\t\x8e\xb1\r\n\x8f\xb0\xa1x\r\n"},
      {1252, "caf\xe9\t\x80\r\n"},
      {936, "\xd6\xd0\xce\xc4\t\\\r\n"},  // 中文
  };
  for (const Sample& sample : samples) {
    SCOPED_TRACE(sample.page);
    job.inputOtherCodePage = sample.page;
    job.outputEncodingIndex = kEncodingSameAsRead;
    const bool streams = StreamDecoder::Decodes(*codec, sample.page) &&
                         codec->EncodesPieces(sample.page);
    EXPECT_EQ(Streams(sample.text), streams);
    ExpectSameAsWhole(sample.text);
    ExpectSameAsWhole(sample.text + sample.text.substr(0, 1));  // ends inside a character
    ExpectSameAsWhole(sample.text + "\xff\xff" + sample.text);
    // Into UTF-8, and from UTF-8 into the page, with what it lacks as "?".
    job.outputEncodingIndex = kEncodingOther;
    job.outputOtherCodePage = kCodePageUtf8;
    ExpectSameAsWhole(sample.text);
    job.inputOtherCodePage = kCodePageUtf8;
    job.outputOtherCodePage = sample.page;
    ExpectSameAsWhole("\xe6\x97\xa5\xe6\x9c\xac\tcaf\xc3\xa9\r\n\xf0\x9f\x98\x80\n");
  }
  job.inputOtherCodePage = kCodePageUtf8;
  job.outputOtherCodePage = 51932;
  EXPECT_EQ(Streams("a\n"), codec->EncodesPieces(51932));
}

TEST_F(StreamFileTest, LinkedFilesAreRewrittenInPlace) {
  job.lineEndingConversion = 0;
  const fs::path other = dir.path() / "b.txt";
  WriteBytes(path, "a\nb\n");
  std::error_code error;
  fs::create_hard_link(path, other, error);
  if (error) GTEST_SKIP() << "no hard links here: " << error.message();
  RecordingHost host;
  EngineContext context;
  context.host = &host;
  context.streamPieceBytes = 1;
  context.streamHeldBytes = 0;  // through a work file
  ProcessFile(context, ToNative(path), job);
  EXPECT_EQ(ReadBytes(other), "a\r\nb\r\n") << host.AllMessagesUtf8();
  EXPECT_EQ(ReadBytes(path), "a\r\nb\r\n");
  EXPECT_EQ(context.counters.filesWritten, 1u);
}

TEST_F(StreamFileTest, AFileThatStaysAsItIsGetsNoWorkFile) {
  job.lineEndingConversion = 0;
  const std::string text = "line\r\nline\r\n";
  WriteBytes(path, text);
  RecordingHost host;
  EngineContext context;
  context.host = &host;
  context.streamPieceBytes = 3;
  context.streamHeldBytes = 0;
  EXPECT_TRUE(RunLeavesTheFolderAlone(context));
  EXPECT_EQ(context.counters.filesWritten, 0u);
  EXPECT_EQ(ReadBytes(path), text);

  // A change at the very end still writes every byte before it.
  WriteBytes(path, text + "x\n");
  ProcessFile(context, ToNative(path), job);
  EXPECT_EQ(ReadBytes(path), text + "x\r\n");
  EXPECT_EQ(context.counters.filesWritten, 1u);
}

TEST_F(StreamFileTest, LargerFilesInLargerPieces) {
  // Many pieces of the size the program reads, through a work file.
  std::mt19937 random(5);
  const std::string text = RandomUtf8(random, 150000);
  job.lineEndingConversion = 0;
  job.trimTrailingWhiteSpace = true;
  job.expandTabs = true;
  job.tabColumns = 8;
  for (uint32_t output : {kCodePageUtf8, kCodePageUtf16Be, kCodePageShiftJis}) {
    job.outputEncodingIndex = kEncodingOther;
    job.outputOtherCodePage = output;
    FailingFileSystem wholeFiles;
    const Outcome whole = Run(text, wholeFiles, 1 << 18, 1 << 20);
    for (size_t piece : {size_t{1} << 16, size_t{100001}}) {
      ASSERT_EQ(Run(text, RealFileSystem(), piece, 0), whole) << output << " piece " << piece;
    }
  }
}

TEST_F(StreamFileTest, AChangedFileIsReadOnceUnlessTheChangeComesLateInALargeOne) {
  if (!RealFileSystem().WritesInPieces()) GTEST_SKIP() << "files are written whole here";
  job.lineEndingConversion = 0;
  // The first change in the last piece, after a mark that is written again.
  std::string lines;
  for (int i = 0; i < 30; ++i) lines += "line\r\n";
  const std::string text = "\xEF\xBB\xBF" + lines + "x\n";
  const std::string expected = "\xEF\xBB\xBF" + lines + "x\r\n";
  // The pieces before the change held in memory; then none held, so the file is read again.
  for (size_t held : {size_t{1} << 20, size_t{0}}) {
    for (size_t piece : {size_t{3}, size_t{1} << 18}) {
      CountingFileSystem files;
      const Outcome outcome = Run(text, files, piece, held);
      EXPECT_EQ(outcome, (Outcome{expected, {}, 1, 1})) << "held " << held << " piece " << piece;
      // A change in the only piece needs nothing held.
      const int reads = held == 0 && piece == 3 ? 2 : 1;
      EXPECT_EQ(files.reads, reads) << "held " << held << " piece " << piece;
    }
  }
}

namespace {

// Writes pieces nowhere: no work file can be made, so that the whole text is written, and
// fails as the failing file system is told to.
class NoWorkFiles : public FailingFileSystem {
 public:
  bool WritesInPieces() override { return true; }
};

}  // namespace

TEST_F(StreamFileTest, RegularExpressionResultsWrittenInPiecesAsWholeTexts) {
  // Matches and pairs of surrogates cut by the ends of pieces as small as one unit, results
  // that grow, shrink, vanish or equal the text, marks, "?" and results too large to hold.
  std::mt19937 random(23);
  struct Replacement {
    const char16_t* pattern;
    const char16_t* format;
  };
  const Replacement replacements[] = {
      {u"([ab]+) ([ab]+)", u"$2 $1"}, {u"(b)", u"$1"},         {u"\\s+", u""},
      {u"a", u"\U0001F600<$&>"},       {u"\U0001F600|\u65E5", u"#"},   {u"(?s).+", u""},
      {u"\\r\\n|\\n", u"\\r\\n"},   {u"^", u"> "},
  };
  job.replaceEnabled = job.replaceUseRegex = true;
  job.matchOptions = boost::regex_constants::match_any;
  for (const Replacement& replacement : replacements) {
    job.compiledPattern = CompilePattern(replacement.pattern, false);
    job.replacementText = replacement.format;
    for (uint32_t output : {kCodePageUtf8, kCodePageUtf16Be, kCodePageShiftJis}) {
      job.outputEncodingIndex = kEncodingOther;
      job.outputOtherCodePage = output;
      const std::string text = RandomUtf8(random, 40);
      ExpectSameAsWhole(text);
      ExpectSameAsWhole("\xEF\xBB\xBF" + text);
    }
    job.outputEncodingIndex = kEncodingSameAsRead;
    ExpectSameAsWhole(RandomUtf8(random, 40));
    const ScopedHeldLimit limit(60);
    ExpectSameAsWhole(RandomUtf8(random, 50));
  }
}

TEST_F(StreamFileTest, ARegularExpressionThatChangesNothingGetsNoWorkFile) {
  job.replaceEnabled = job.replaceUseRegex = true;
  job.compiledPattern = CompilePattern(u"(in)(e)", false);
  job.replacementText = u"$1$2";
  // With a mark, which is written only once the text is known to change.
  const std::string text = "\xEF\xBB\xBF" "line\r\nline\r\n";
  WriteBytes(path, text);
  RecordingHost host;
  EngineContext context;
  context.host = &host;
  context.replacementPieceUnits = 1;
  context.streamHeldBytes = 0;
  EXPECT_TRUE(RunLeavesTheFolderAlone(context));
  EXPECT_EQ(context.counters.targetsSeen, 1u);
  EXPECT_EQ(context.counters.filesWritten, 0u);
  EXPECT_EQ(ReadBytes(path), text);
  EXPECT_TRUE(host.messages.empty());
}

TEST_F(StreamFileTest, ARegularExpressionResultWithoutAWorkFileFailsAsAWholeText) {
  job.replaceEnabled = job.replaceUseRegex = true;
  job.compiledPattern = CompilePattern(u"i", false);
  job.replacementText = u"I";
  job.makeBackup = true;
  for (ReplaceResult failure : {ReplaceResult::kCannotCreate, ReplaceResult::kOk}) {
    FailingFileSystem wholeFiles;
    wholeFiles.replaceResult = failure;
    NoWorkFiles noWorkFiles;
    noWorkFiles.replaceResult = failure;
    const Outcome whole = Run("line\nline\n", wholeFiles, 1, 0);
    EXPECT_EQ(Run("line\nline\n", noWorkFiles, 1, 0), whole);
    EXPECT_EQ(noWorkFiles.replaceCalls, 1);
  }
}

TEST_F(StreamFileTest, AnAbortAfterARegularExpressionWrittenInPiecesLeavesTheFile) {
  job.replaceEnabled = job.replaceUseRegex = true;
  job.compiledPattern = CompilePattern(u"i", false);
  job.replacementText = u"I";
  const std::string text = "line\nline\n";
  WriteBytes(path, text);
  RecordingHost host;
  host.abortAfterPolls = 9;  // the tenth poll follows the replacement
  EngineContext context;
  context.host = &host;
  context.replacementPieceUnits = 1;
  context.streamHeldBytes = 0;
  EXPECT_EQ(ProcessFile(context, ToNative(path), job), FileOutcome::kStop);
  EXPECT_EQ(host.polls, 10);
  EXPECT_EQ(ReadBytes(path), text);
  EXPECT_EQ(context.counters.filesWritten, 0u);
  for (const auto& entry : fs::directory_iterator(dir.path())) {
    EXPECT_EQ(entry.path().filename().string(), "a.txt") << "no work file is left";
  }
}
