// The regular-expression replacement against the plain use of the library it stands for:
// the default wide traits, the text handed over as a string of code points (where
// wchar_t is 32 bits wide) and the library's regex_replace with the format as a string.
#include <gtest/gtest.h>

#include <boost/regex.hpp>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "engine/compiled_pattern.h"
#include "engine/regex_subject.h"
#include "engine/replace_regex.h"

namespace {

using boost::regex_constants::match_any;

constexpr bool kWideIsUtf16 = sizeof(wchar_t) == 2;

std::wstring LibraryText(std::u16string_view units) {
  std::wstring text;
  for (size_t i = 0; i < units.size(); ++i) {
    uint32_t point = units[i];
    if (!kWideIsUtf16 && IsHighSurrogateUnit(point) && i + 1 < units.size() &&
        IsLowSurrogateUnit(units[i + 1])) {
      point = 0x10000 + ((point - 0xD800) << 10) + (units[i + 1] - 0xDC00u);
      ++i;
    }
    text.push_back(static_cast<wchar_t>(point));
  }
  return text;
}

WideText UnitsOf(const std::wstring& text) {
  WideText units;
  for (wchar_t c : text) {
    const uint32_t point = static_cast<uint32_t>(c);
    if (point >= 0x10000 && point <= 0x10FFFF) {
      units.push_back(static_cast<char16_t>(0xD800 + ((point - 0x10000) >> 10)));
      units.push_back(static_cast<char16_t>(0xDC00 + (point & 0x3FF)));
    } else {
      units.push_back(point > 0x10FFFF ? u'\xFFFD' : static_cast<char16_t>(point));
    }
  }
  return units;
}

// What replacement gave before the traits and the subject's iterators came in: the result,
// or the text "throws" when the library gave up.
struct Outcome {
  bool changed = false;
  WideText text;
  bool operator==(const Outcome&) const = default;
};

Outcome Reference(const WideText& text, std::u16string_view pattern, std::u16string_view format,
                  bool ignoreCase, uint32_t matchOptions) {
  boost::regex_constants::syntax_option_type syntax = boost::regex_constants::normal;
  if (ignoreCase) syntax |= boost::regex_constants::icase;
  const boost::wregex expression(LibraryText(pattern), syntax);
  const auto flags = static_cast<boost::regex_constants::match_flag_type>(
      matchOptions & ~static_cast<uint32_t>(match_any));
  try {
    const WideText result = UnitsOf(
        boost::regex_replace(LibraryText(text), expression, LibraryText(format), flags));
    return {result != text, result != text ? result : text};
  } catch (const std::runtime_error&) {
    return {false, u"throws"};
  }
}

Outcome Replaced(WideText text, const CompiledPattern& pattern, std::u16string_view format,
                 uint32_t matchOptions, const SubjectRoad* road) {
  try {
    const bool changed = road ? ReplaceByPattern(text, pattern, format, matchOptions, *road)
                              : ReplaceByPattern(text, pattern, format, matchOptions);
    return {changed, text};
  } catch (const std::runtime_error&) {
    return {false, u"throws"};
  }
}

std::string Shown(std::u16string_view units) {
  std::string shown;
  for (char16_t unit : units) {
    if (unit >= 0x20 && unit < 0x7F) {
      shown += static_cast<char>(unit);
    } else {
      char escaped[16];
      std::snprintf(escaped, sizeof escaped, "\\u%04X", static_cast<unsigned>(unit));
      shown += escaped;
    }
  }
  return shown;
}

// The four values a run's matchOptions takes.
constexpr uint32_t kMatchOptions[] = {0x400, 0x100400, 0x440, 0x100440};

// Compares the replacement on every road that may carry text with the reference, for
// each of the four match options and both cases.
void ExpectAsReference(const WideText& text, std::u16string_view pattern,
                       std::u16string_view format) {
  bool surrogates = false;
  for (char16_t unit : text) surrogates |= (unit & 0xF800) == 0xD800;
  std::vector<SubjectRoad> roads = {SubjectRoad::kPoints, SubjectRoad::kCopy};
  if (!surrogates) roads.push_back(SubjectRoad::kUnits);
  for (bool ignoreCase : {false, true}) {
    // Some expressions are not valid on every platform (\x{1F600} where wchar_t is 16 bits
    // wide); then neither compiles.
    bool referenceCompiles = true;
    try {
      Reference(u"", pattern, u"", ignoreCase, 0x400);
    } catch (const boost::regex_error&) {
      referenceCompiles = false;
    }
    if (!referenceCompiles) {
      EXPECT_THROW(CompilePattern(pattern, ignoreCase), boost::regex_error) << Shown(pattern);
      continue;
    }
    const auto compiled = CompilePattern(pattern, ignoreCase);
    for (uint32_t options : kMatchOptions) {
      const Outcome expected = Reference(text, pattern, format, ignoreCase, options);
      const std::string where = "pattern " + Shown(pattern) + " format " + Shown(format) +
                                " text " + Shown(text) + " icase " +
                                std::to_string(ignoreCase) + " options " + std::to_string(options);
      EXPECT_EQ(Replaced(text, *compiled, format, options, nullptr), expected) << where;
      for (SubjectRoad road : roads) {
        EXPECT_EQ(Replaced(text, *compiled, format, options, &road), expected)
            << where << " road " << static_cast<int>(road);
      }
    }
  }
}

// Patterns with classes, case, word bounds, dots, anchors, line ends and alternatives,
// each with formats that take groups, the whole match, escapes and nothing.
const std::vector<std::u16string> kPatterns = {
    u"a", u"[a-z]+", u"([a-z]+) ([a-z]+)", u"\\d{2}", u"\\w+", u"\\W", u"\\s+$", u"^\\s*",
    u"\\bab", u"b\\b", u"\\B.", u".", u".+", u"^.*$", u"a.b", u"\r\n|\r|\n", u"$", u"^",
    u"[[:alpha:]]+", u"[[:upper:][:digit:]]", u"[^[:space:]]+", u"\\x{1F600}", u".\\x{DC00}",
    u"[\\x{D800}-\\x{DFFF}]", u"\\x{D83D}", u"(?i)AB", u"[A-Z]", u"\\u\\l",
    u"[\u3042-\u3093]+", u"\uFF21", u"\u03a3", u"a*", u"(a|b)*?c", u"\\h+", u"\\v",
    u"(?<w>[a-z])\\k<w>", u"\\G.", u"[[:punct:]_]", u"\\x00", u"\\0", u"[^a-c]+", u"[B-Y]",
    u"[\\x00-b]", u"[[=a=]]", u"[^\\x{D800}-\\x{FFFF}]", u"[\\d\\s]+", u"[^\\D\\S]"};
const std::vector<std::u16string> kFormats = {u"", u"x", u"$&", u"<$1>", u"$2 $1",
                                              u"\\u$&", u"\\U$0\\E!", u"\\n$10", u"${1}9"};

// Characters of the texts: ASCII letters of both cases and digits, blanks and every line
// end, a word joiner, kana, full-width and Greek letters, a pair, lone surrogates, NUL.
const std::vector<std::u16string> kPieces = {
    u"a", u"b", u"c", u"A", u"B", u"1", u"2", u" ", u"\t", u"\r", u"\n", u"\r\n", u"_", u".",
    u"\u3042", u"\u6F22", u"\uFF21", u"\uFF41", u"\u03A3", u"\u03C3", u"\u3000",
    u"\U0001F600", u"\xD83D", u"\xDE00", u"\xD800\xD800\xDC00", std::u16string(1, u'\0')};

WideText RandomText(std::mt19937& random, size_t pieces) {
  WideText text;
  for (size_t i = 0; i < pieces; ++i) text += kPieces[random() % kPieces.size()];
  return text;
}

TEST(RegexReplace, TableOfPatternsAsTheLibraryAlone) {
  std::mt19937 random(11);
  const std::vector<WideText> fixed = {u"", u"ab Ab aB\r\nba\n\rab", u"\U0001F600a\U0001F600",
                                       u"\xD83D" u"a\xDE00\xD83D", u"abc 12 de\r\n\r\n",
                                       WideText(u"a\0b\0", 4)};
  for (const auto& pattern : kPatterns) {
    for (const auto& format : kFormats) {
      for (const auto& text : fixed) ExpectAsReference(text, pattern, format);
      for (int round = 0; round < 3; ++round) {
        ExpectAsReference(RandomText(random, 1 + random() % 24), pattern, format);
      }
    }
  }
}

TEST(RegexReplace, RandomTextsAsTheLibraryAlone) {
  std::mt19937 random(23);
  for (int round = 0; round < 300; ++round) {
    const auto& pattern = kPatterns[random() % kPatterns.size()];
    const auto& format = kFormats[random() % kFormats.size()];
    ExpectAsReference(RandomText(random, random() % 200), pattern, format);
  }
}

// Text long enough that it is walked in place even with surrogates in it, and text without
// any, where each unit is read as it stands.
TEST(RegexReplace, LongTextsOnTheRoadsTheyTake) {
  std::mt19937 random(5);
  WideText plain;
  while (plain.size() < 40000) plain += kPieces[random() % 14] + u"\u3042";
  EXPECT_EQ(ChooseSubjectRoad(plain), SubjectRoad::kUnits);
  WideText paired = plain + u"\U0001F600";
  WideText lone = u"\xDE00" + plain;
  if (!kWideIsUtf16) {
    EXPECT_EQ(ChooseSubjectRoad(paired), SubjectRoad::kPoints);
    EXPECT_EQ(ChooseSubjectRoad(lone), SubjectRoad::kPoints);
    EXPECT_EQ(ChooseSubjectRoad(u"ab\U0001F600"), SubjectRoad::kCopy);
  }
  for (const auto& text : {plain, paired, lone}) {
    for (const auto& pattern : {u"([a-z]+) ([a-z]+)", u"\\b\\w", u".$", u"\\s+"}) {
      const auto compiled = CompilePattern(pattern, false);
      for (uint32_t options : kMatchOptions) {
        EXPECT_EQ(Replaced(text, *compiled, u"$2<$1>", options, nullptr),
                  Reference(text, pattern, u"$2<$1>", false, options))
            << Shown(pattern);
      }
    }
  }
}

// Code points come back unit for unit, and the iterator steps back as it stepped forward
// over pairs, lone surrogates and the ends of the text.
TEST(RegexReplace, PointIteratorWalksBothWaysAlike) {
  if (kWideIsUtf16) GTEST_SKIP() << "wchar_t holds UTF-16 units: the text is read in place";
  const WideText text = u"\xDE00\xD83D\xDE00\xD83D\xD83D" u"a\xDE00\xD800";
  const char16_t* first = text.data();
  const char16_t* last = first + text.size();
  std::vector<const char16_t*> forward;
  std::wstring points;
  for (PointIterator at(first, first, last); at.unit() != last; ++at) {
    forward.push_back(at.unit());
    points.push_back(*at);
  }
  EXPECT_EQ(UnitsOf(points), text);
  EXPECT_EQ(points.size(), 7u);
  std::vector<const char16_t*> backward;
  for (PointIterator at(first, last, last); at.unit() != first;) {
    --at;
    backward.insert(backward.begin(), at.unit());
  }
  EXPECT_EQ(backward, forward);
}

// The library tries a counted repeat of a class only where the class holds the character.
TEST(RegexReplace, SearchTriesOnlyWhereAMatchCanStart) {
  constexpr unsigned char kAttempt = boost::BOOST_REGEX_DETAIL_NS::mask_any;
  const auto digits = CompilePattern(u"[0-9]{3}", false);
  const unsigned char* map = digits->expression.get_map();
  EXPECT_NE(map[u'5'] & kAttempt, 0);
  EXPECT_EQ(map[u'a'] & kAttempt, 0);
  EXPECT_EQ(map[0xE9] & kAttempt, 0);
  // Without a filter the library's own map stays as it made it.
  const auto folded = CompilePattern(u"[0-9]{3}", true);
  EXPECT_NE(folded->expression.get_map()[u'a'] & kAttempt, 0);
}

// Expressions the search skips ahead for (and some it must not), against the library
// searching every position: where a match starts, what the formats see before and after
// it, \b and ^ at the skipped-to position, anchors, and the library giving up on the work.
TEST(RegexReplace, SkippingToWhereAMatchCanStartAsTheLibraryAlone) {
  const std::vector<std::u16string> patterns = {
      u"[0-9]{3}", u"\\d{3}", u"\\d+", u"[a-z]+ [a-z]+", u"[a-c]b", u"\\w+\\b", u"\\s+$",
      u"[^a-z ]+", u"\\D\\d", u"[[:alpha:]]{2,}", u"a\\b", u"\\ba", u"\\Ba", u"1$", u"b\\z",
      u"[\u3042-\u3093]+", u"\uFF21+", u"[-a]+", u"[a-]", u"\\.\\d", u"\\W", u"[^\\s]",
      u"[\\d_]{1,2}", u"a(b)?\\1", u"(?i)a", u"[0-9]{3}|x", u"\\d?x", u"[0-9]{0,2}a",
      u"a\\Kb", u"\\Ga", u"a*b", u"[]a]", u"x{1}y", u"1\\x{1F600}", u"\\x{1F600}",
      u"\u03a3+", u"[\\x{D800}-\\x{DFFF}]"};
  const std::vector<std::u16string> formats = {u"", u"x", u"$&", u"<$`>", u"$'", u"\\u$&"};
  std::mt19937 random(41);
  const std::vector<WideText> fixed = {u"", u"12 1234 a1 aab ba", u"ab\r\nab\n1\r\n",
                                       u"x\U0001F6001\U0001F600"};
  for (const auto& pattern : patterns) {
    for (const auto& format : formats) {
      for (const auto& text : fixed) ExpectAsReference(text, pattern, format);
      for (int round = 0; round < 4; ++round) {
        ExpectAsReference(RandomText(random, 1 + random() % 40), pattern, format);
      }
    }
  }
  // Too much work for the library at a position it tries: it gives up as it does searching
  // alone (on the road the text takes; walking code points, the library's bound is so high
  // that each attempt takes long).
  const WideText hard = u"1aaaaaaaaaaaaaaaaaaaaaaaaac 1ab";
  const auto compiled = CompilePattern(u"1(a+)+b", false);
  ASSERT_TRUE(compiled->start.active);
  for (uint32_t options : kMatchOptions) {
    EXPECT_EQ(Replaced(hard, *compiled, u"x", options, nullptr),
              Reference(hard, u"1(a+)+b", u"x", false, options));
  }
  EXPECT_EQ(Replaced(hard, *compiled, u"x", 0x400, nullptr).text, u"throws");
}

}  // namespace
