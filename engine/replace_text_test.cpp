#include "engine/replace_text.h"

#include <gtest/gtest.h>

#include <iterator>
#include <new>
#include <random>
#include <stdexcept>
#include <vector>

#include "core/memory_controls.h"
#include "core/process_flags.h"
#include "engine/large_buffer.h"
#include "engine/process_file.h"
#include "engine/two_halves.h"
#include "tests/test_support.h"

namespace {

WideText Literal(WideText subject, std::u16string_view search, std::u16string_view replacement,
                 bool ignoreCase = false) {
  ReplaceLiteral(subject, search, replacement, ignoreCase);
  return subject;
}

enum RegexSwitch { kPlain = 0, kSingleLine = 1, kDotNotNewline = 2, kIgnoreCase = 4 };

// English console messages; the guard puts the process-wide switches back.
class ReplaceFixture : public ::testing::Test {
 protected:
  ProcessStateGuard state;
  ReplaceFixture() {
    japaneseUi = false;
    consoleMode = true;
  }

  // A regular-expression job as the run driver prepares it.
  JobOptions RegexJob(std::u16string_view pattern, std::u16string_view format, int switches = 0) {
    MemoryControls controls;
    controls.SetChecked(kIdRegexCheck, true);
    controls.SetText(kIdSearchText, pattern);
    controls.SetText(kIdReplacementText, format);
    controls.SetChecked(kIdSingleLine, switches & kSingleLine);
    controls.SetChecked(kIdDotNotNewline, switches & kDotNotNewline);
    controls.SetChecked(kIdIgnoreCase, switches & kIgnoreCase);
    JobOptions job;
    job.replaceEnabled = true;
    EXPECT_TRUE(PrepareReplacement(controls, &job, host)) << host.AllMessagesUtf8();
    return job;
  }
  WideText Regex(WideText subject, std::u16string_view pattern, std::u16string_view format,
                 int switches = 0) {
    ReplaceInText(subject, RegexJob(pattern, format, switches));
    return subject;
  }

  RecordingHost host;
};

TEST(ReplaceLiteral, LeftToRightWithoutOverlapNorRescan) {
  EXPECT_EQ(Literal(u"aaaa", u"aa", u"x"), u"xx");
  EXPECT_EQ(Literal(u"aaa", u"aa", u"x"), u"xa");
  EXPECT_EQ(Literal(u"aaa", u"a", u"aa"), u"aaaaaa");
  EXPECT_EQ(Literal(u"aabb", u"ab", u"a"), u"aab");  // the result holds ab again
  // Replacements shorter, as long and longer than the search, at both ends.
  EXPECT_EQ(Literal(u"abcXabcYabc", u"abc", u""), u"XY");
  EXPECT_EQ(Literal(u"abcXabcYabc", u"abc", u"123"), u"123X123Y123");
  EXPECT_EQ(Literal(u"abcXabcYabc", u"abc", u"12345"), u"12345X12345Y12345");
  // Partial matches that fail and restart inside themselves.
  EXPECT_EQ(Literal(u"aaab", u"aab", u"X"), u"aX");
  EXPECT_EQ(Literal(u"abcabcabd", u"abcabd", u"X"), u"abcX");
  EXPECT_EQ(Literal(u"aabaabaaab", u"aabaaab", u"X"), u"aabX");
}

TEST(ReplaceLiteral, IgnoreCaseFoldsOnlyAtoZ) {
  EXPECT_EQ(Literal(u"ABC abc Abc aBC", u"abc", u"Bye", true), u"Bye Bye Bye Bye");
  EXPECT_EQ(Literal(u"abc", u"ABC", u"x", true), u"x");
  EXPECT_EQ(Literal(u"ＡÉΣ", u"ａéσ", u"x", true), u"ＡÉΣ");
  EXPECT_EQ(Literal(u"@[`{", u"`", u"x", true), u"@[x{");  // neighbours of A-Z stay apart
}

TEST(ReplaceLiteral, HitsAtEveryOffsetOfLongTexts) {
  // Gaps of 0 to 20 units between hits, so the skip to the next first unit starts and
  // stops everywhere; the gaps hold units that share a byte with 'k' or 'K'.
  WideText subject, exact, folded;
  for (int gap = 0; gap <= 20; ++gap) {
    const WideText filler(static_cast<size_t>(gap), gap % 2 ? char16_t{0x6B6B} : char16_t{0x4B00});
    const WideText hit = gap % 3 ? u"kEy" : u"KeY";
    subject += filler + hit;
    exact += filler + (gap % 3 ? WideText(u"kEy") : WideText(u"<>"));
    folded += filler + u"<>";
  }
  EXPECT_EQ(Literal(subject, u"KeY", u"<>"), exact);
  EXPECT_EQ(Literal(subject, u"key", u"<>", true), folded);
  EXPECT_EQ(Literal(subject + u"k", u"KEY", u"<>", true), folded + u"k");

  // Growing, both into a fresh buffer and within room the text already has.
  WideText grown;
  for (const char16_t unit : folded) {
    grown += unit == u'<' ? u"<<<" : unit == u'>' ? u">>>" : std::u16string_view(&unit, 1);
  }
  EXPECT_EQ(Literal(subject, u"kEY", u"<<<>>>", true), grown);
  WideText roomy = subject + u"tail";
  roomy.reserve(2 * roomy.size());
  ReplaceLiteral(roomy, u"kEY", u"<<<>>>", true);
  EXPECT_EQ(roomy, grown + u"tail");
}

// Leftmost occurrences without overlap, the slow and obvious way.
WideText NaiveLiteral(const WideText& subject, const WideText& search, const WideText& replacement,
                      bool ignoreCase) {
  auto fold = [ignoreCase](char16_t c) {
    return ignoreCase && c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
  };
  WideText result;
  size_t i = 0;
  while (i < subject.size()) {
    bool fits = i + search.size() <= subject.size();
    for (size_t k = 0; fits && k < search.size(); ++k) fits = fold(subject[i + k]) == fold(search[k]);
    if (fits) {
      result += replacement;
      i += search.size();
    } else {
      result += subject[i++];
    }
  }
  return result;
}

TEST(ReplaceLiteral, RandomTextsOverFewLettersAsTheObviousWay) {
  // Few letters make candidates that are no occurrences dense, so the search also gives
  // up its fast path and goes on another way within one text; long texts keep it on.
  std::mt19937 random(7);
  const WideText searches[] = {u"a", u"ab", u"aba", u"aab", u"abaab", u"aaaaaaaaaaaaaaaaab", u"bA"};
  for (int round = 0; round < 400; ++round) {
    const size_t length = round % 10 == 0 ? 20000 + random() % 20000 : random() % 600;
    const char16_t* letters = round % 3 == 0 ? u"ab" : u"abAc";
    const size_t count = round % 3 == 0 ? 2 : 4;
    WideText subject;
    for (size_t i = 0; i < length; ++i) subject += letters[random() % count];
    const WideText& search = searches[random() % std::size(searches)];
    const bool ignoreCase = random() % 2 == 0;
    for (const char16_t* replacement : {u"X", u"YZ", u"123456"}) {
      ASSERT_EQ(Literal(subject, search, replacement, ignoreCase),
                NaiveLiteral(subject, search, replacement, ignoreCase))
          << round << " " << Utf8FromWide(search);
    }
  }
}

TEST(ReplaceLiteral, LargeTextsSearchedInTwoPartsAsInOne) {
  // Over 4M units, so the text is searched in two parts cut near the middle at a unit the
  // search text lacks ('c' here, rare): occurrences crowd on both sides of the cut, and
  // the cut falls at every offset within a word of marks.
  std::mt19937 random(11);
  for (int round = 0; round < 6; ++round) {
    WideText subject;
    const size_t length = (size_t{4} << 20) + random() % 5000;
    subject.reserve(length);
    while (subject.size() < length) subject += random() % 700 == 0 ? u'c' : u"ab"[random() % 2];
    const WideText search = round % 2 == 0 ? u"aba" : u"bA";
    const bool ignoreCase = round % 2 == 1;
    for (const char16_t* replacement : {u"X", u"YZ", u"123456"}) {
      ASSERT_EQ(Literal(subject, search, replacement, ignoreCase),
                NaiveLiteral(subject, search, replacement, ignoreCase))
          << round << " " << Utf8FromWide(replacement);
    }
  }
}

TEST(ReplaceLiteral, LargeTextsWithoutAHelperThread) {
  // The two parts one after the other: every occurrence on both sides of the cut, each
  // replaced once, whether the text keeps its length, shrinks or grows.
  WideText subject;
  while (subject.size() < (size_t{5} << 20)) subject += u"xZQXy\tzqx-\n";
  NoHelperThreads none;
  for (const char16_t* replacement : {u"ABC", u"-", u"zqx-ok"}) {
    for (const bool ignoreCase : {false, true}) {
      ASSERT_EQ(Literal(subject, u"ZQX", replacement, ignoreCase),
                NaiveLiteral(subject, u"ZQX", replacement, ignoreCase))
          << Utf8FromWide(replacement) << " " << ignoreCase;
    }
  }
}

TEST(ReplaceLiteral, NulAndSurrogatesAreOrdinaryUnits) {
  EXPECT_EQ(Literal(WideText(u"a\0b\0a", 5), u"a", u"x"), WideText(u"x\0b\0x", 5));
  EXPECT_EQ(Literal(u"😀a😀", u"😀", u"e"), u"eae");
  EXPECT_EQ(Literal(u"\xD83D\xDE00", u"\xDE00", u"!"), u"\xD83D!");
}

TEST(ReplaceLiteral, StaysLinearOnRepetitiveAndLargeTexts) {
  // A naive search would compare some 2e10 units here and never end.
  WideText search(10'000, u'a');
  search += u'b';
  WideText subject(2'000'000, u'a');
  subject += u'b';
  EXPECT_EQ(Literal(subject, search, u"x"), WideText(1'990'000, u'a') + u"x");

  // 50 MB of text with 1,000,000 hits, growing and then shrinking.
  WideText text;
  text.reserve(25'000'000);
  for (int i = 0; i < 1'000'000; ++i) text += u"needle in the hay stack\r\n";
  WideText changed = Literal(text, u"NEEDLE", u"pin-cushion", true);
  ASSERT_EQ(changed.size(), text.size() + 5'000'000u);
  EXPECT_EQ(changed.substr(changed.size() - 30), u"pin-cushion in the hay stack\r\n");
  EXPECT_EQ(Literal(changed, u"pin-cushion", u"needle"), text);
}

TEST(ReplaceInText, ChangedMeansTheContentDiffers) {
  JobOptions job;
  job.searchText = u"abc";
  job.replacementText = u"abc";
  WideText text = u"xabcx";
  EXPECT_FALSE(ReplaceInText(text, job));
  job.replacementText = u"yz";
  WideText none = u"ABC";
  EXPECT_FALSE(ReplaceInText(none, job));
  EXPECT_EQ(none, u"ABC");
  EXPECT_TRUE(ReplaceInText(text, job));
  EXPECT_EQ(text, u"xyzx");
  // Ignoring case, what was found is compared with the replacement as it stands.
  job.replaceIgnoreCase = true;
  job.replacementText = u"abc";
  WideText mixed = u"abc ABC";
  EXPECT_TRUE(ReplaceInText(mixed, job));
  EXPECT_EQ(mixed, u"abc abc");
  EXPECT_FALSE(ReplaceInText(mixed, job));
  job.searchText.clear();  // never prepared so; finds nothing
  EXPECT_FALSE(ReplaceInText(mixed, job));
}

TEST_F(ReplaceFixture, RegexChangedMeansTheContentDiffers) {
  WideText text = u"one two";
  EXPECT_FALSE(ReplaceInText(text, RegexJob(u"\\w+", u"$&")));
  EXPECT_FALSE(ReplaceInText(text, RegexJob(u"z", u"y")));
  EXPECT_EQ(text, u"one two");
  EXPECT_TRUE(ReplaceInText(text, RegexJob(u"o$", u"")));
  EXPECT_EQ(text, u"one tw");
}

TEST_F(ReplaceFixture, RegexPerlSyntaxAndFormat) {
  EXPECT_EQ(Regex(u"ann@home bob@work", u"(\\w+)@(\\w+)", u"$2:$1"), u"home:ann work:bob");
  EXPECT_EQ(Regex(u"ab", u"(a)(b)", u"\\2\\1$$"), u"ba$");
  EXPECT_EQ(Regex(u"aaaa", u"aa", u"x"), u"xx");
  EXPECT_EQ(Regex(u"a 123 b", u"\\d+", u"N"), u"a N b");  // greedy despite match_any
  EXPECT_EQ(Regex(u"<a><b>", u"<.*?>", u"-"), u"--");
  EXPECT_EQ(Regex(u"abc", u"x*", u"-"), u"-a-b-c-");
  EXPECT_EQ(Regex(u"ABC abc aBC", u"abc", u"x", kIgnoreCase), u"x x x");
  EXPECT_EQ(Regex(u"ABC abc aBC", u"abc", u"x"), u"ABC x aBC");
}

TEST_F(ReplaceFixture, RegexLineEndsAnchorsAndDot) {
  const WideText text = u"a\r\nb\nc\rd";
  EXPECT_EQ(Regex(text, u"^", u">"), u">a\r\n>b\n>c\r>d");
  EXPECT_EQ(Regex(text, u"^", u">", kSingleLine), u">a\r\nb\nc\rd");
  EXPECT_EQ(Regex(text, u"$", u"<"), u"a<\r\nb<\nc<\rd<");
  EXPECT_EQ(Regex(text, u"$", u"<", kSingleLine), u"a\r\nb\nc\rd<");
  EXPECT_EQ(Regex(u"a\nb a\rb axb", u"a.b", u"_"), u"_ _ _");
  EXPECT_EQ(Regex(u"a\nb a\rb axb", u"a.b", u"_", kDotNotNewline), u"a\nb a\rb _");
  EXPECT_EQ(Regex(u"end\r\nstart\r\n", u"d\\r\\ns", u"D S"), u"enD Start\r\n");
}

TEST_F(ReplaceFixture, RegexNulAndSurrogates) {
  EXPECT_EQ(Regex(WideText(u"a\0a\0", 4), u"a.", u"-"), u"--");
  EXPECT_EQ(Regex(u"abc", u"b", WideText(u"\0", 1)), WideText(u"a\0c", 3));
  // An emoji is one character where the library sees code points, else two units.
  EXPECT_EQ(Regex(u"😀a", u".", u"x"), sizeof(wchar_t) == 2 ? u"xxx" : u"xx");
  EXPECT_EQ(Regex(u"a😀b😀", u"😀", u"🎉"), u"a🎉b🎉");
  // Lone halves come back as they were, beside replaced text too.
  EXPECT_EQ(Regex(u"\xD800x\xDC00y\xDBFF", u"[xy]", u"Z"), u"\xD800Z\xDC00Z\xDBFF");
  EXPECT_EQ(Regex(u"\xDC00\xD800", u"x", u"y"), u"\xDC00\xD800");
}

TEST_F(ReplaceFixture, RunawayMatchThrowsAndTheFileIsKept) {
  JobOptions job = RegexJob(u"(a*)*b", u"x");
  WideText text(200'000, u'a');
  EXPECT_THROW(ReplaceInText(text, job), std::runtime_error);
  EXPECT_EQ(text, WideText(200'000, u'a'));

  TempDir dir;
  WriteBytes(dir / "a.txt", std::string(200'000, 'a'));
  ScriptedCodec::Script script;
  EngineContext context;
  context.host = &host;
  context.createCodec = ScriptedCodecFactory(&script);
  EXPECT_EQ(ProcessFile(context, ToNative(dir / "a.txt"), job), FileOutcome::kContinue);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].find(u"exception. - "), 0u);
  EXPECT_EQ(ReadBytes(dir / "a.txt"), std::string(200'000, 'a'));
}

TEST_F(ReplaceFixture, GrowthStopsAtTheLimitAndNotBefore) {
  // "a" → "abc" in "a-a-a-a": 7 units become 15. Literal and regular expression alike,
  // fine at a limit of 15, too large at 14 with the text as it was.
  JobOptions literal;
  literal.replaceEnabled = true;
  literal.searchText = u"a";
  literal.replacementText = u"abc";
  const JobOptions jobs[] = {literal, RegexJob(u"a", u"$&bc")};
  for (const JobOptions& job : jobs) {
    SCOPED_TRACE(job.replaceUseRegex);
    {
      const ScopedHeldLimit limit(15);
      WideText text = u"a-a-a-a";
      EXPECT_TRUE(ReplaceInText(text, job));
      EXPECT_EQ(text, u"abc-abc-abc-abc");
    }
    const ScopedHeldLimit limit(14);
    WideText text = u"a-a-a-a";
    EXPECT_THROW(ReplaceInText(text, job), TooLargeError);
    EXPECT_EQ(text, u"a-a-a-a");
  }
}

// Logs the order in which controls are read; fails one text read on request.
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

TEST_F(ReplaceFixture, PrepareFillsTheJob) {
  LoggingControls controls;
  controls.SetText(kIdSearchText, u"(a)");
  controls.SetText(kIdReplacementText, u"[$1]");
  JobOptions literal;
  ASSERT_TRUE(PrepareReplacement(controls, &literal, host));
  EXPECT_EQ(controls.log, (std::vector<int>{kIdRegexCheck, kIdSearchText, kIdReplacementText,
                                            kIdIgnoreCase, kIdSingleLine, kIdDotNotNewline}));
  EXPECT_EQ(literal.searchText, u"(a)");
  EXPECT_EQ(literal.compiledPattern, nullptr);
  WideText text = u"(a)";
  EXPECT_TRUE(ReplaceInText(text, literal));
  EXPECT_EQ(text, u"[$1]");

  controls.SetChecked(kIdRegexCheck, true);
  JobOptions regex;
  ASSERT_TRUE(PrepareReplacement(controls, &regex, host));
  EXPECT_TRUE(regex.searchText.empty());
  ASSERT_NE(regex.compiledPattern, nullptr);
  text = u"a";
  EXPECT_TRUE(ReplaceInText(text, regex));
  EXPECT_EQ(text, u"[a]");

  const uint32_t expected[] = {0x400, 0x100400, 0x440, 0x100440};
  for (int switches = 0; switches < 4; ++switches) {
    EXPECT_EQ(RegexJob(u"a", u"b", switches).matchOptions, expected[switches]);
  }
  // Long texts are taken whole.
  const WideText longSearch(100'000, u'a');
  EXPECT_EQ(Regex(u"<" + longSearch + u">", longSearch, u" x "), u"< x >");
  EXPECT_TRUE(host.messages.empty());
}

TEST_F(ReplaceFixture, PrepareFailuresStopTheRun) {
  MemoryControls controls;
  controls.SetChecked(kIdRegexCheck, true);
  controls.SetText(kIdSearchText, u"(abc");
  JobOptions job;
  EXPECT_FALSE(PrepareReplacement(controls, &job, host));
  EXPECT_EQ(job.compiledPattern, nullptr);
  controls.SetText(kIdSearchText, u"");
  EXPECT_FALSE(PrepareReplacement(controls, &job, host));
  controls.SetChecked(kIdRegexCheck, false);
  EXPECT_FALSE(PrepareReplacement(controls, &job, host));
  EXPECT_EQ(host.messages,
            (std::vector<WideText>{u"Regular Expression error. [bad_expression]\n",
                                   u"The search string is empty.\n",
                                   u"The search string is empty.\n"}));
  // Without a console: an error box with the product title.
  consoleMode = false;
  japaneseUi = true;
  controls.SetChecked(kIdRegexCheck, true);
  controls.SetText(kIdSearchText, u"a[");
  EXPECT_FALSE(PrepareReplacement(controls, &job, host));
  controls.SetText(kIdSearchText, u"");
  EXPECT_FALSE(PrepareReplacement(controls, &job, host));
  ASSERT_EQ(host.boxes.size(), 2u);
  EXPECT_EQ(host.boxes[0].text, u"正規表現の指定が不正です。");
  EXPECT_EQ(host.boxes[1].text, u"置換前文字列が指定されていません。");
  EXPECT_EQ(host.boxes[0].caption, u"タイドライト");
  EXPECT_EQ(host.boxes[0].style & kBoxIconError, kBoxIconError);
}

TEST_F(ReplaceFixture, PrepareNamesTheTextThatFoundNoMemory) {
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
  EXPECT_TRUE(job.replacementText.empty());
}

}  // namespace
