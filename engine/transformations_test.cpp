#include "engine/transformations.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "engine/column_width.h"
#include "engine/large_buffer.h"

using namespace std::string_literals;

namespace {

struct Case {
  WideText input;
  WideText expected;
  bool changed;
};

template <typename Op>
void ExpectCases(Op op, const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    WideText text = c.input;
    EXPECT_EQ(op(text), c.changed) << testing::PrintToString(c.input);
    EXPECT_EQ(text, c.expected) << testing::PrintToString(c.input);
  }
}

}  // namespace

TEST(TransformLineEndings, ToCrLf) {
  ExpectCases([](WideText& t) { return UnifyLineEndings(t, 0); },
              {{u"", u"", false},
               {u"a\nb", u"a\r\nb", true},
               {u"a\r", u"a\r\n", true},
               {u"\n\r", u"\r\n\r\n", true},
               {u"\r\r\n", u"\r\n\r\n", true},
               {u"\n\n\r\rx", u"\r\n\r\n\r\n\r\nx", true},
               {u"a\r\nb\r\n", u"a\r\nb\r\n", false}});
}

TEST(TransformLineEndings, ToLf) {
  ExpectCases([](WideText& t) { return UnifyLineEndings(t, 1); },
              {{u"", u"", false},
               {u"\r\r\n", u"\n\n", true},
               {u"a\r", u"a\n", true},
               {u"\r\n\n", u"\n\n", true},
               {u"a\nb\n", u"a\nb\n", false}});
}

TEST(TransformLineEndings, ToCr) {
  ExpectCases([](WideText& t) { return UnifyLineEndings(t, 2); },
              {{u"", u"", false},
               {u"\n\r\n", u"\r\r", true},
               {u"\r\n\n", u"\r\r", true},
               {u"a\n", u"a\r", true},
               {u"a\rb\r", u"a\rb\r", false}});
}

TEST(TransformLineEndings, UnknownKindChangesNothing) {
  for (int16_t kind : {int16_t{-1}, int16_t{3}}) {
    WideText text = u"a\r\nb\nc\r";
    EXPECT_FALSE(UnifyLineEndings(text, kind));
    EXPECT_EQ(text, u"a\r\nb\nc\r");
  }
}

TEST(TransformFullWidthSpaces, SplitThenReplace) {
  WideText text = u"\u3000a\u3000\u3000";
  EXPECT_TRUE(SplitFullWidthSpaces(text));
  EXPECT_EQ(text, u"  a    ");
  EXPECT_FALSE(ReplaceFullWidthSpaces(text));

  text = u"\u3000a\u3000";
  EXPECT_TRUE(ReplaceFullWidthSpaces(text));
  EXPECT_EQ(text, u" a ");
  EXPECT_FALSE(SplitFullWidthSpaces(text));

  WideText empty;
  EXPECT_FALSE(SplitFullWidthSpaces(empty));
  EXPECT_FALSE(ReplaceFullWidthSpaces(empty));
}

TEST(TransformTrim, RunsBeforeLineEndsAndAtTheEnd) {
  ExpectCases(TrimLineEndWhiteSpace,
              {{u"", u"", false},
               {u"a \t\r\nb  ", u"a\r\nb", true},
               {u" \t \t", u"", true},
               {u"a \r \n", u"a\r\n", true},
               {u"a \n\t\rb", u"a\n\rb", true},
               {u" a\tb\n", u" a\tb\n", false},
               {u"a \f\n", u"a \f\n", false},
               {u"a\u3000\n", u"a\u3000\n", false}});
}

TEST(TransformTabs, Columns) {
  auto width4 = [](WideText& t) { return ExpandTabsToColumns(t, 4); };
  ExpectCases(width4, {{u"", u"", false},
                       {u"ab\tc", u"ab  c", true},
                       {u"\tx", u"    x", true},
                       {u"abcd\tx", u"abcd    x", true},
                       {u"abcde\r\n\tx", u"abcde\r\n    x", true},
                       {u"abc\r\tx", u"abc\r    x", true},
                       {u"a\f\tx", u"a\f  x", true},
                       {u"a\x1A\tx", u"a\x1A  x", true},
                       {u"\t\t", u"        ", true},
                       {u"abc", u"abc", false}});
  ExpectCases([](WideText& t) { return ExpandTabsToColumns(t, 1); },
              {{u"\ta\t\t", u" a  ", true}});
  ExpectCases([](WideText& t) { return ExpandTabsToColumns(t, 0); }, {{u"a\tb", u"a\tb", false}});
}

// These depend on the code page 932 converter.
TEST(TransformTabs, DoubleByteCharactersTakeTwoColumns) {
  EXPECT_EQ(ColumnWidth(u'あ'), 2);
  EXPECT_EQ(ColumnWidth(u'\u3000'), 2);
  EXPECT_EQ(ColumnWidth(u'a'), 1);
  EXPECT_EQ(ColumnWidth(u'ｱ'), 1);
  EXPECT_EQ(ColumnWidth(char16_t{0xD800}), 1);
  EXPECT_EQ(ColumnWidth(char16_t{0xDC00}), 1);
  ExpectCases([](WideText& t) { return ExpandTabsToColumns(t, 4); },
              {{u"あ\tx", u"あ  x", true},
               {u"\u3000\tx", u"\u3000  x", true},
               {u"ｱ\tx", u"ｱ   x", true},
               {u"aあ\tx", u"aあ x", true}});
}

TEST(TransformControlCodes, DeleteAndBlank) {
  ExpectCases(DeleteControlCodes, {{u"", u"", false},
                                   {u"a\x1B" u"b\0c"s, u"abc", true},
                                   {u"a\t\r\n\x1A\x7F\u0085", u"a\t\r\n\x1A\x7F\u0085", false},
                                   {u"ab\x01\x1F\0"s, u"ab", true},
                                   {u"\x01\x02\x1F", u"", true}});
  ExpectCases(BlankControlCodes, {{u"", u"", false},
                                  {u"a\x1B" u"b\0c\x1F"s, u"a b c ", true},
                                  {u"\t\x1A\x7F", u"\t\x1A\x7F", false}});
}

TEST(TransformControlCodes, ExactlyTheTwentyEightCodes) {
  WideText all;
  for (char16_t unit = 0; unit < 0x100; ++unit) all.push_back(unit);
  WideText deleted = all;
  WideText blanked = all;
  EXPECT_TRUE(DeleteControlCodes(deleted));
  EXPECT_TRUE(BlankControlCodes(blanked));
  EXPECT_EQ(deleted.size(), all.size() - 28);
  EXPECT_EQ(deleted.substr(0, 4), u"\t\n\r\x1A");
  EXPECT_EQ(deleted.substr(4), all.substr(0x20));
  for (char16_t unit = 0; unit < 0x20; ++unit) {
    bool kept = unit == u'\t' || unit == u'\n' || unit == u'\r' || unit == 0x1A;
    EXPECT_EQ(blanked[unit], kept ? unit : u' ') << int{unit};
  }
  EXPECT_EQ(blanked.substr(0x20), all.substr(0x20));
}

TEST(TransformInsertLineBreaks, CountsOriginalUnits) {
  const WideText nine = u"abcdefghi";
  auto n3 = [](int16_t kind) {
    return [kind](WideText& t) { return InsertLineBreaks(t, 3, kind); };
  };
  ExpectCases(n3(0), {{nine, u"abcde\r\nfgh\r\ni", true}, {u"abcde", u"abcde", false}});
  ExpectCases(n3(1), {{nine, u"abcd\nefg\nhi", true},
                      {u"abcdefg", u"abcd\nefg", true},
                      {u"abcd", u"abcd", false},
                      {u"", u"", false},
                      {u"ab\ncdef", u"ab\nc\ndef", true}});
  ExpectCases(n3(2), {{nine, u"abcd\refg\rhi", true}});
  ExpectCases(n3(3), {{nine, nine, false}});
  ExpectCases([](WideText& t) { return InsertLineBreaks(t, 0, 1); }, {{nine, nine, false}});
  ExpectCases([](WideText& t) { return InsertLineBreaks(t, UINT32_MAX, 1); },
              {{nine, nine, false}});
}

// Large inputs with many edits: a quadratic implementation would take minutes here.
namespace {

WideText RandomText(size_t size, std::u16string_view alphabet, uint32_t seed) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
  WideText text(size, u'\0');
  for (char16_t& unit : text) unit = alphabet[pick(random)];
  return text;
}

std::u16string_view Ending(int16_t kind) {
  return kind == 0 ? u"\r\n" : kind == 1 ? u"\n" : u"\r";
}

constexpr size_t kLarge = 3'000'000;
constexpr std::u16string_view kAlphabet = u"ab\r\n\t \u3000あ\x1B";

}  // namespace

TEST(TransformLarge, UnifyLineEndings) {
  const WideText input = RandomText(kLarge, kAlphabet, 1);
  for (int16_t kind : {int16_t{0}, int16_t{1}, int16_t{2}}) {
    WideText expected;
    for (size_t i = 0; i < input.size(); ++i) {
      if (input[i] == u'\r' && i + 1 < input.size() && input[i + 1] == u'\n') {
        expected += Ending(kind);
        ++i;
      } else if (input[i] == u'\r' || input[i] == u'\n') {
        expected += Ending(kind);
      } else {
        expected += input[i];
      }
    }
    WideText text = input;
    EXPECT_TRUE(UnifyLineEndings(text, kind));
    EXPECT_TRUE(text == expected) << "kind " << kind;
  }
}

TEST(TransformLarge, SplitFullWidthSpacesAndDeleteControlCodes) {
  const WideText input = RandomText(kLarge, kAlphabet, 2);
  WideText split;
  WideText deleted;
  for (char16_t unit : input) {
    split += unit == u'\u3000' ? u"  " : std::u16string_view(&unit, 1);
    if (unit != 0x1B) deleted += unit;
  }
  WideText text = input;
  EXPECT_TRUE(SplitFullWidthSpaces(text));
  EXPECT_TRUE(text == split);
  text = input;
  EXPECT_TRUE(DeleteControlCodes(text));
  EXPECT_TRUE(text == deleted);
}

TEST(TransformLarge, ExpandTabsToColumns) {
  const WideText input = RandomText(kLarge, kAlphabet, 3);
  for (uint32_t width : {1u, 8u}) {
    WideText expected;
    uint64_t column = 0;
    for (char16_t unit : input) {
      if (unit == u'\t') {
        const uint64_t spaces = width - column % width;
        expected.append(spaces, u' ');
        column += spaces;
      } else {
        expected += unit;
        column = unit == u'\r' || unit == u'\n' ? 0 : column + ColumnWidth(unit);
      }
    }
    WideText text = input;
    EXPECT_TRUE(ExpandTabsToColumns(text, width));
    EXPECT_TRUE(text == expected) << "width " << width;
  }
}

TEST(TransformLarge, InsertLineBreaks) {
  const WideText input = RandomText(kLarge, u"abcdefgh", 4);
  for (int16_t kind : {int16_t{0}, int16_t{1}}) {
    const uint32_t n = 5;
    const size_t length = Ending(kind).size();
    WideText expected;
    for (size_t i = 0; i < input.size(); ++i) {
      expected += input[i];
      const size_t taken = i + 1;
      if (taken >= n + length && (taken - length) % n == 0 && taken < input.size()) {
        expected += Ending(kind);
      }
    }
    WideText text = input;
    EXPECT_TRUE(InsertLineBreaks(text, n, kind));
    EXPECT_TRUE(text == expected) << "kind " << kind;
  }
}

// Lines far longer than the eight units the passes skip at a time, with blanks, line
// ends and double-byte characters at every offset, against unit-by-unit references.
TEST(TransformLarge, LongLinesAgainstUnitByUnitReferences) {
  const WideText input = RandomText(kLarge, u"abcdefghijklmnopqrstuvwxyzあ\u3000 \t\r\n", 5);

  WideText trimmed;
  size_t blanks = 0;  // trailing blanks held back in trimmed
  for (const char16_t unit : input) {
    if (unit == u'\r' || unit == u'\n') trimmed.resize(trimmed.size() - blanks);
    blanks = unit == u' ' || unit == u'\t' ? blanks + 1 : 0;
    trimmed += unit;
  }
  trimmed.resize(trimmed.size() - blanks);
  WideText text = input;
  EXPECT_TRUE(TrimLineEndWhiteSpace(text));
  EXPECT_TRUE(text == trimmed);
  EXPECT_FALSE(TrimLineEndWhiteSpace(text));  // nothing left to trim

  WideText lf;
  for (size_t i = 0; i < input.size(); ++i) {
    if (input[i] != u'\r') {
      lf += input[i];
    } else if (i + 1 == input.size() || input[i + 1] != u'\n') {
      lf += u'\n';
    }
  }
  text = input;
  EXPECT_TRUE(UnifyLineEndings(text, 1));
  EXPECT_TRUE(text == lf);
  EXPECT_FALSE(UnifyLineEndings(text, 1));

  WideText expanded;
  uint64_t column = 0;
  for (const char16_t unit : input) {
    if (unit == u'\t') {
      expanded.append(4 - column % 4, u' ');
      column += 4 - column % 4;
    } else {
      expanded += unit;
      column = unit == u'\r' || unit == u'\n' ? 0 : column + ColumnWidth(unit);
    }
  }
  text = input;
  EXPECT_TRUE(ExpandTabsToColumns(text, 4));
  EXPECT_TRUE(text == expanded);
}

TEST(TransformTabs, WideTabsAndBlankOnlyTexts) {
  // A width far beyond the text: the result is sized exactly, not by TABs times width.
  WideText text = u"ab\tc\n\t";
  EXPECT_TRUE(ExpandTabsToColumns(text, 1'000'000));
  EXPECT_EQ(text, u"ab" + WideText(999'998, u' ') + u"c\n" + WideText(1'000'000, u' '));
  ExpectCases(TrimLineEndWhiteSpace, {{u"\r\n  \t  \r\n", u"\r\n\r\n", true},
                                      {WideText(20, u' ') + u"x" + WideText(20, u'\t'),
                                       WideText(20, u' ') + u"x", true},
                                      {WideText(30, u'a') + u"\r" + WideText(30, u'b'),
                                       WideText(30, u'a') + u"\r" + WideText(30, u'b'), false}});
}

namespace {

// The text as it was, and whether the step refused with TooLargeError.
template <typename Op>
bool RefusedAsTooLarge(const WideText& input, Op op) {
  WideText text = input;
  try {
    op(text);
  } catch (const TooLargeError&) {
    EXPECT_EQ(text, input) << "a refused step leaves the text as it was";
    return true;
  }
  return false;
}

}  // namespace

TEST(TransformGrowth, EveryGrowingStepStopsAtTheLimitAndNotBefore) {
  // Each step is run at a limit of exactly its result's size, then at one unit less.
  struct Step {
    const char* name;
    WideText input;
    std::function<bool(WideText&)> op;
  };
  const Step steps[] = {
      {"crlf", u"ab\ncd\refghi\n", [](WideText& t) { return UnifyLineEndings(t, 0); }},
      {"full width", u"\u3000a\u3000bcdefgh", SplitFullWidthSpaces},
      {"tabs", u"\tab\tcdefgh", [](WideText& t) { return ExpandTabsToColumns(t, 4); }},
      {"wide tabs", u"\tab\tcdefgh", [](WideText& t) { return ExpandTabsToColumns(t, 5'000'000); }},
      {"breaks", u"abcdefghi", [](WideText& t) { return InsertLineBreaks(t, 3, 0); }},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    WideText grown = step.input;
    ASSERT_TRUE(step.op(grown));
    ASSERT_GT(grown.size(), step.input.size());
    {
      const ScopedHeldLimit limit(grown.size());
      WideText text = step.input;
      EXPECT_TRUE(step.op(text));
      EXPECT_EQ(text, grown);
    }
    const ScopedHeldLimit limit(grown.size() - 1);
    EXPECT_TRUE(RefusedAsTooLarge(step.input, step.op));
  }
}

TEST(TransformGrowth, HostileTabWidthsNeitherLoopNorWrap) {
  // 0 expands nothing; the widest width a store can hand over (-1 read as unsigned) is
  // too large for a text with a TAB, and is found so before anything is reserved.
  WideText text = u"a\tb";
  EXPECT_FALSE(ExpandTabsToColumns(text, 0));
  EXPECT_EQ(text, u"a\tb");
  EXPECT_TRUE(RefusedAsTooLarge(WideText(1000, u'\t'),
                                [](WideText& t) { return ExpandTabsToColumns(t, 0xFFFFFFFF); }));
}
