#include "engine/replace_text.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <vector>

#include "core/process_flags.h"
#include "engine/compiled_pattern.h"
#include "engine/process_file.h"
#include "tests/test_support.h"
#include "ui/memory_controls.h"

namespace {

constexpr bool kWideIsUtf16 = sizeof(wchar_t) == 2;

WideText Literal(WideText subject, std::u16string_view search, std::u16string_view replacement,
                 bool ignoreCase = false) {
  ReplaceLiteral(subject, search, replacement, ignoreCase);
  return subject;
}

// Saves and restores the process-wide language and mode switches.
class ReplaceFixture : public ::testing::Test {
 protected:
  ReplaceFixture() : savedJapanese_(japaneseUi), savedConsole_(consoleMode) {
    japaneseUi = false;
    consoleMode = true;
  }
  ~ReplaceFixture() override {
    japaneseUi = savedJapanese_;
    consoleMode = savedConsole_;
  }

  // A regular-expression job as the run driver prepares it.
  JobOptions RegexJob(std::u16string_view pattern, std::u16string_view format,
                      bool singleLine = false, bool dotNotNewline = false,
                      bool ignoreCase = false) {
    MemoryControls controls;
    controls.SetChecked(kIdRegexCheck, true);
    controls.SetText(kIdSearchText, pattern);
    controls.SetText(kIdReplacementText, format);
    controls.SetChecked(kIdIgnoreCase, ignoreCase);
    controls.SetChecked(kIdSingleLine, singleLine);
    controls.SetChecked(kIdDotNotNewline, dotNotNewline);
    JobOptions job;
    job.replaceEnabled = true;
    EXPECT_TRUE(PrepareReplacement(controls, &job, host)) << host.AllMessagesUtf8();
    return job;
  }

  WideText Regex(WideText subject, std::u16string_view pattern, std::u16string_view format,
                 bool singleLine = false, bool dotNotNewline = false, bool ignoreCase = false) {
    ReplaceInText(subject, RegexJob(pattern, format, singleLine, dotNotNewline, ignoreCase));
    return subject;
  }

  RecordingHost host;

 private:
  bool savedJapanese_;
  bool savedConsole_;
};

// ---------------------------------------------------------------------------------------
// Literal replacement

TEST(ReplaceLiteral, LeftToRightWithoutOverlap) {
  EXPECT_EQ(Literal(u"aaaa", u"aa", u"x"), u"xx");
  EXPECT_EQ(Literal(u"aaa", u"aa", u"x"), u"xa");
  EXPECT_EQ(Literal(u"ababa", u"aba", u"-"), u"-ba");
}

TEST(ReplaceLiteral, NeverLooksIntoInsertedText) {
  EXPECT_EQ(Literal(u"aaa", u"a", u"aa"), u"aaaaaa");
  EXPECT_EQ(Literal(u"ab", u"ab", u"aab"), u"aab");
  // A shorter replacement that, put next to the rest, would form the search again.
  EXPECT_EQ(Literal(u"aabb", u"ab", u"a"), u"aab");
  EXPECT_EQ(Literal(u"xaby", u"ab", u""), u"xy");
}

TEST(ReplaceLiteral, ShorterEqualAndLongerReplacements) {
  const WideText subject = u"abcXabcYYabc";
  EXPECT_EQ(Literal(subject, u"abc", u""), u"XYY");
  EXPECT_EQ(Literal(subject, u"abc", u"Q"), u"QXQYYQ");
  EXPECT_EQ(Literal(subject, u"abc", u"123"), u"123X123YY123");
  EXPECT_EQ(Literal(subject, u"abc", u"12345"), u"12345X12345YY12345");
  EXPECT_EQ(Literal(subject, u"abcXabcYYabc", u"!"), u"!");
  EXPECT_EQ(Literal(u"ab", u"abc", u"!"), u"ab");
}

TEST(ReplaceLiteral, PartialMatchesFallBackCorrectly) {
  // Each of these restarts a failed partial match inside itself.
  EXPECT_EQ(Literal(u"aaab", u"aab", u"X"), u"aX");
  EXPECT_EQ(Literal(u"abcabcabd", u"abcabd", u"X"), u"abcX");
  EXPECT_EQ(Literal(u"abababc", u"ababc", u"X"), u"abX");
  EXPECT_EQ(Literal(u"aabaabaaab", u"aabaaab", u"X"), u"aabX");
}

TEST(ReplaceLiteral, IgnoreCaseFoldsOnlyAtoZ) {
  EXPECT_EQ(Literal(u"ABC abc Abc aBC", u"abc", u"x", true), u"x x x x");
  EXPECT_EQ(Literal(u"abc", u"ABC", u"x", true), u"x");
  // Full-width, accented and Greek capitals are not their small letters.
  EXPECT_EQ(Literal(u"Ａ", u"ａ", u"x", true), u"Ａ");
  EXPECT_EQ(Literal(u"É", u"é", u"x", true), u"É");
  EXPECT_EQ(Literal(u"ΣΑ", u"σα", u"x", true), u"ΣΑ");
  // The neighbours of A-Z in the code table are not letters.
  EXPECT_EQ(Literal(u"@[`{", u"`", u"x", true), u"@[x{");
  EXPECT_EQ(Literal(u"@[`{", u"[", u"x", true), u"@x`{");
  // The replacement goes in as written, whatever the case of what it replaces.
  EXPECT_EQ(Literal(u"Hello HELLO", u"hello", u"Bye", true), u"Bye Bye");
}

TEST(ReplaceLiteral, NulAndSurrogatesAreOrdinaryUnits) {
  const WideText withNul(u"a\0b\0a", 5);
  EXPECT_EQ(Literal(withNul, u"a", u"x"), WideText(u"x\0b\0x", 5));
  EXPECT_EQ(Literal(withNul, std::u16string_view(u"\0", 1), u"-"), u"a-b-a");
  EXPECT_EQ(Literal(u"😀a😀", u"😀", u"e"), u"eae");
  // Half of a pair is found where it stands, like any unit.
  EXPECT_EQ(Literal(u"\xD83D\xDE00", u"\xDE00", u"!"), u"\xD83D!");
}

TEST(ReplaceLiteral, EmptySearchChangesNothing) {
  EXPECT_EQ(Literal(u"abc", u"", u"x"), u"abc");
  EXPECT_EQ(Literal(u"", u"", u"x"), u"");
}

TEST(ReplaceLiteral, LongRepetitiveSearchStaysLinear) {
  // A naive search compares about 2e10 units here; the test would not end.
  WideText subject(2'000'000, u'a');
  WideText search(10'000, u'a');
  search += u'b';
  EXPECT_EQ(Literal(subject, search, u"x"), subject);
  subject += u'b';
  WideText expected(2'000'000 - 10'000, u'a');
  expected += u'x';
  EXPECT_EQ(Literal(subject, search, u"x"), expected);
}

TEST(ReplaceLiteral, FiftyMegabytesWithAMillionHits) {
  // 25 units per line, one hit each: 25,000,000 units (50 MB) and 1,000,000 hits.
  const std::u16string_view line = u"needle in the hay stack\r\n";
  ASSERT_EQ(line.size(), 25u);
  WideText text;
  text.reserve(line.size() * 1'000'000);
  for (int i = 0; i < 1'000'000; ++i) text += line;
  const WideText original = text;

  WideText longer = original;
  ReplaceLiteral(longer, u"needle", u"pin-cushion", false);
  ASSERT_EQ(longer.size(), original.size() + 5u * 1'000'000);
  EXPECT_EQ(longer.substr(0, 30), u"pin-cushion in the hay stack\r\n");
  EXPECT_EQ(longer.substr(longer.size() - 30), u"pin-cushion in the hay stack\r\n");

  WideText shorter = original;
  ReplaceLiteral(shorter, u"NEEDLE", u"pin", true);
  ASSERT_EQ(shorter.size(), original.size() - 3u * 1'000'000);
  EXPECT_EQ(shorter.substr(shorter.size() - 22), u"pin in the hay stack\r\n");

  ReplaceLiteral(shorter, u"pin", u"needle", false);
  EXPECT_EQ(shorter, original);
}

// ---------------------------------------------------------------------------------------
// ReplaceInText: the changed flag and the untouched text

TEST(ReplaceInText, LiteralChangedMeansTheContentDiffers) {
  JobOptions job;
  job.replaceEnabled = true;
  job.searchText = u"abc";
  job.replacementText = u"abc";
  WideText text = u"xabcx";
  EXPECT_FALSE(ReplaceInText(text, job)) << "a replacement equal to the search";
  EXPECT_EQ(text, u"xabcx");

  job.replacementText = u"xyz";
  WideText none = u"ABC";
  EXPECT_FALSE(ReplaceInText(none, job)) << "no occurrence";
  EXPECT_EQ(none, u"ABC");
  EXPECT_TRUE(ReplaceInText(text, job));
  EXPECT_EQ(text, u"xxyzx");

  // Ignoring case, what was found is compared with the replacement unit by unit.
  job.replaceIgnoreCase = true;
  job.replacementText = u"abc";
  WideText same = u"abc ABC";
  EXPECT_TRUE(ReplaceInText(same, job));
  EXPECT_EQ(same, u"abc abc");
  EXPECT_FALSE(ReplaceInText(same, job));

  // Empty search from a record that was not prepared: nothing happens.
  job.searchText.clear();
  EXPECT_FALSE(ReplaceInText(same, job));
}

TEST_F(ReplaceFixture, RegexChangedMeansTheContentDiffers) {
  WideText text = u"one two";
  EXPECT_FALSE(ReplaceInText(text, RegexJob(u"\\w+", u"$&")));
  EXPECT_FALSE(ReplaceInText(text, RegexJob(u"o", u"o")));
  EXPECT_FALSE(ReplaceInText(text, RegexJob(u"z", u"y")));
  EXPECT_EQ(text, u"one two");
  EXPECT_TRUE(ReplaceInText(text, RegexJob(u"o$", u"")));
  EXPECT_EQ(text, u"one tw");
}

TEST_F(ReplaceFixture, UnpreparedRegexJobIsAnErrorNotSuccess) {
  JobOptions job;
  job.replaceEnabled = true;
  job.replaceUseRegex = true;
  WideText text = u"abc";
  EXPECT_THROW(ReplaceInText(text, job), std::logic_error);
  EXPECT_EQ(text, u"abc");
}

// ---------------------------------------------------------------------------------------
// Regular expressions

TEST_F(ReplaceFixture, PerlFormatAndEveryMatch) {
  EXPECT_EQ(Regex(u"ann@home bob@work", u"(\\w+)@(\\w+)", u"$2:$1"), u"home:ann work:bob");
  EXPECT_EQ(Regex(u"ab", u"(a)(b)", u"\\2\\1$$"), u"ba$");
  // Greedy repeats take all they can, although the job's match options hold match_any.
  EXPECT_EQ(Regex(u"a 123 b", u"\\d+", u"N"), u"a N b");
  EXPECT_EQ(Regex(u"<a><b>", u"<.*>", u"-"), u"-");
  EXPECT_EQ(Regex(u"<a><b>", u"<.*?>", u"-"), u"--");
  EXPECT_EQ(Regex(u"aaaa", u"aa", u"x"), u"xx");
  EXPECT_EQ(Regex(u"aaa", u"aa", u"x"), u"xa");
  EXPECT_EQ(Regex(u"aaa", u"a", u"aa"), u"aaaaaa");
  // Empty matches: one at every position, never twice at the same one.
  EXPECT_EQ(Regex(u"abc", u"x*", u"-"), u"-a-b-c-");
}

TEST_F(ReplaceFixture, CaretFollowsSingleLine) {
  const WideText text = u"a\r\nb\nc\rd";
  EXPECT_EQ(Regex(text, u"^", u">"), u">a\r\n>b\n>c\r>d");
  EXPECT_EQ(Regex(text, u"^", u">", true), u">a\r\nb\nc\rd");
  EXPECT_EQ(Regex(text, u"$", u"<"), u"a<\r\nb<\nc<\rd<");
  EXPECT_EQ(Regex(text, u"$", u"<", true), u"a\r\nb\nc\rd<");
  EXPECT_EQ(Regex(u"x\ny\n", u"^y$", u"Y"), u"x\nY\n");
  EXPECT_EQ(Regex(u"x\ny\n", u"^y$", u"Y", true), u"x\ny\n");
}

TEST_F(ReplaceFixture, DotFollowsDotNotNewline) {
  const WideText text = u"a\nb a\rb axb";
  EXPECT_EQ(Regex(text, u"a.b", u"_"), u"_ _ _");
  EXPECT_EQ(Regex(text, u"a.b", u"_", false, true), u"a\nb a\rb _");
  EXPECT_EQ(Regex(u"a\r\nb", u"a..b", u"_"), u"_");
}

TEST_F(ReplaceFixture, MatchesSpanLineEndings) {
  EXPECT_EQ(Regex(u"end\r\nstart\r\n", u"d\\r\\ns", u"D S"), u"enD Start\r\n");
  EXPECT_EQ(Regex(u"a\nb\nc", u"a[\\s\\S]*c", u"x"), u"x");
}

TEST_F(ReplaceFixture, IgnoreCaseCompilesWithIcase) {
  EXPECT_EQ(Regex(u"ABC abc aBC", u"abc", u"x", false, false, true), u"x x x");
  EXPECT_EQ(Regex(u"ABC abc aBC", u"abc", u"x"), u"ABC x aBC");
}

TEST_F(ReplaceFixture, NulUnitsAreSearchedAndKept) {
  const WideText text(u"a\0a\0", 4);
  EXPECT_EQ(Regex(text, u"a", u"b"), WideText(u"b\0b\0", 4));
  EXPECT_EQ(Regex(text, u"a.", u"-"), u"--");
  EXPECT_EQ(Regex(u"abc", u"b", WideText(u"\0", 1)), WideText(u"a\0c", 3));
}

TEST_F(ReplaceFixture, SurrogatePairsAndLoneSurrogates) {
  // Where the library sees code points an emoji is one character, else two units.
  EXPECT_EQ(Regex(u"😀a", u".", u"x"), kWideIsUtf16 ? u"xxx" : u"xx");
  EXPECT_EQ(Regex(u"a😀b😀", u"😀", u"🎉"), u"a🎉b🎉");
  EXPECT_EQ(Regex(u"a😀", u"a", u"$&$&"), u"aa😀");
  // Lone halves come back as they were, in place, also beside replaced text.
  const WideText lone = u"\xD800x\xDC00y\xDBFF";
  EXPECT_EQ(Regex(lone, u"[xy]", u"Z"), u"\xD800Z\xDC00Z\xDBFF");
  EXPECT_EQ(Regex(lone, u"q", u"Z"), lone);
  EXPECT_EQ(Regex(u"\xDC00\xD800", u"x", u"y"), u"\xDC00\xD800");
}

TEST_F(ReplaceFixture, RunawayMatchThrowsAndLeavesTheText) {
  JobOptions job = RegexJob(u"(a*)*b", u"x");
  WideText text(200'000, u'a');
  const WideText original = text;
  EXPECT_THROW(ReplaceInText(text, job), std::runtime_error);
  EXPECT_EQ(text, original);
}

TEST_F(ReplaceFixture, RunawayMatchIsReportedAndTheFileKept) {
  TempDir dir;
  const std::string content(200'000, 'a');
  WriteBytes(dir / "a.txt", content);
  ScriptedCodec::Script script;
  EngineContext context;
  context.host = &host;
  context.createCodec = ScriptedCodecFactory(&script);
  JobOptions job = RegexJob(u"(a*)*b", u"x");
  job.replaceEnabled = true;
  job.inputEncodingIndex = 1;
  EXPECT_EQ(ProcessFile(context, ToNative(dir / "a.txt"), job), FileOutcome::kContinue);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].find(u"exception. - "), 0u) << host.AllMessagesUtf8();
  EXPECT_EQ(ReadBytes(dir / "a.txt"), content);
}

// ---------------------------------------------------------------------------------------
// PrepareReplacement

// Logs the order in which controls are read, and fails a text read on request.
class LoggingControls : public MemoryControls {
 public:
  WideText GetText(int id) const override {
    log.push_back(id);
    if (id == failTextOf) throw std::bad_alloc();
    return MemoryControls::GetText(id);
  }
  bool IsChecked(int id) const override {
    log.push_back(id);
    return MemoryControls::IsChecked(id);
  }
  mutable std::vector<int> log;
  int failTextOf = 0;
};

TEST_F(ReplaceFixture, PrepareReadsTheControlsInOrder) {
  LoggingControls controls;
  controls.SetText(kIdSearchText, u"a");
  JobOptions job;
  ASSERT_TRUE(PrepareReplacement(controls, &job, host));
  EXPECT_EQ(controls.log, (std::vector<int>{kIdRegexCheck, kIdSearchText, kIdReplacementText,
                                            kIdIgnoreCase, kIdSingleLine, kIdDotNotNewline}));
}

TEST_F(ReplaceFixture, PrepareFillsTheJobForEachMode) {
  MemoryControls controls;
  controls.SetText(kIdSearchText, u"(a)");
  controls.SetText(kIdReplacementText, u"[$1]");
  JobOptions literal;
  ASSERT_TRUE(PrepareReplacement(controls, &literal, host));
  EXPECT_FALSE(literal.replaceUseRegex);
  EXPECT_EQ(literal.searchText, u"(a)");
  EXPECT_EQ(literal.replacementText, u"[$1]");
  EXPECT_EQ(literal.compiledPattern, nullptr);
  EXPECT_EQ(literal.matchOptions, 0x400u);
  WideText text = u"(a)";
  EXPECT_TRUE(ReplaceInText(text, literal));
  EXPECT_EQ(text, u"[$1]") << "literal mode inserts the replacement unchanged";

  controls.SetChecked(kIdRegexCheck, true);
  controls.SetChecked(kIdIgnoreCase, true);
  JobOptions regex;
  ASSERT_TRUE(PrepareReplacement(controls, &regex, host));
  EXPECT_TRUE(regex.replaceUseRegex);
  EXPECT_TRUE(regex.replaceIgnoreCase);
  EXPECT_TRUE(regex.searchText.empty());
  ASSERT_NE(regex.compiledPattern, nullptr);
  EXPECT_EQ(regex.replacementText, u"[$1]");
  text = u"A";
  EXPECT_TRUE(ReplaceInText(text, regex));
  EXPECT_EQ(text, u"[A]");
  EXPECT_TRUE(host.messages.empty());
}

TEST_F(ReplaceFixture, PrepareComputesMatchOptions) {
  const struct {
    bool singleLine, dotNotNewline;
    uint32_t expected;
  } cases[] = {{false, false, 0x400}, {true, false, 0x100400}, {false, true, 0x440},
               {true, true, 0x100440}};
  for (const auto& c : cases) {
    JobOptions job = RegexJob(u"a", u"b", c.singleLine, c.dotNotNewline);
    EXPECT_EQ(job.matchOptions, c.expected);
    EXPECT_EQ(job.replaceSingleLine, c.singleLine);
    EXPECT_EQ(job.replaceDotNotNewline, c.dotNotNewline);
  }
}

TEST_F(ReplaceFixture, PrepareTakesLongTextsWhole) {
  MemoryControls controls;
  controls.SetChecked(kIdRegexCheck, true);
  const WideText search(100'000, u'a');
  controls.SetText(kIdSearchText, search);
  controls.SetText(kIdReplacementText, u" x ");
  JobOptions job;
  ASSERT_TRUE(PrepareReplacement(controls, &job, host)) << host.AllMessagesUtf8();
  WideText text = u"<" + search + u">";
  EXPECT_TRUE(ReplaceInText(text, job));
  EXPECT_EQ(text, u"< x >");
}

TEST_F(ReplaceFixture, BadExpressionStopsTheRun) {
  MemoryControls controls;
  controls.SetChecked(kIdRegexCheck, true);
  controls.SetText(kIdSearchText, u"(abc");
  JobOptions job;
  EXPECT_FALSE(PrepareReplacement(controls, &job, host));
  EXPECT_EQ(host.messages, std::vector<WideText>{u"Regular Expression error. [bad_expression]\n"});
  EXPECT_EQ(job.compiledPattern, nullptr);
  EXPECT_FALSE(job.replaceUseRegex);

  // Without a console: an error box with the product title.
  consoleMode = false;
  japaneseUi = true;
  controls.SetText(kIdSearchText, u"a[");
  EXPECT_FALSE(PrepareReplacement(controls, &job, host));
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].text, u"正規表現の指定が不正です。");
  EXPECT_EQ(host.boxes[0].caption, u"タイドライト");
  EXPECT_EQ(host.boxes[0].style & kBoxIconError, kBoxIconError);
}

TEST_F(ReplaceFixture, EmptySearchTextStopsTheRun) {
  for (bool regex : {false, true}) {
    MemoryControls controls;
    controls.SetChecked(kIdRegexCheck, regex);
    controls.SetText(kIdReplacementText, u"x");
    JobOptions job;
    host.messages.clear();
    EXPECT_FALSE(PrepareReplacement(controls, &job, host));
    EXPECT_EQ(host.messages, std::vector<WideText>{u"The search string is empty.\n"});
    EXPECT_TRUE(job.replacementText.empty());
  }
  japaneseUi = true;
  MemoryControls controls;
  JobOptions job;
  host.messages.clear();
  EXPECT_FALSE(PrepareReplacement(controls, &job, host));
  EXPECT_EQ(host.messages, std::vector<WideText>{u"置換前文字列が指定されていません。\n"});
}

TEST_F(ReplaceFixture, TextShortageNamesTheText) {
  LoggingControls controls;
  controls.SetText(kIdSearchText, u"a");
  JobOptions job;
  controls.failTextOf = kIdSearchText;
  EXPECT_FALSE(PrepareReplacement(controls, &job, host));
  controls.failTextOf = kIdReplacementText;
  EXPECT_FALSE(PrepareReplacement(controls, &job, host));
  japaneseUi = true;
  EXPECT_FALSE(PrepareReplacement(controls, &job, host));
  EXPECT_EQ(host.messages,
            (std::vector<WideText>{u"Not enough memory. [BS]\n", u"Not enough memory. [AS]\n",
                                   u"文字列置換を行うためのメモリが足りません：\r\n置換後文字列\n"}));
}

}  // namespace
