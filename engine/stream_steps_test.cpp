#include "engine/stream_steps.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "engine/replace_literal.h"
#include "engine/transformations.h"

namespace {

// The whole-text road of the same steps, in its order.
bool WholeRoad(WideText& text, const JobOptions& job) {
  bool changed = false;
  if (job.lineEndingConversion != -1) changed |= UnifyLineEndings(text, job.lineEndingConversion);
  if (job.fullWidthSpaceToTwo) changed |= SplitFullWidthSpaces(text);
  if (job.fullWidthSpaceToOne) changed |= ReplaceFullWidthSpaces(text);
  if (job.trimTrailingWhiteSpace) changed |= TrimLineEndWhiteSpace(text);
  if (job.expandTabs) changed |= ExpandTabsToColumns(text, job.tabColumns);
  if (job.removeControlCodes) changed |= DeleteControlCodes(text);
  if (job.controlCodesToSpaces) changed |= BlankControlCodes(text);
  if (job.insertEveryChars != 0) {
    changed |= InsertLineBreaks(text, job.insertEveryChars, job.lineEndingKind);
  }
  if (job.replaceEnabled) {
    changed |= ReplaceLiteralOccurrences(text, job.searchText, job.replacementText,
                                         job.replaceIgnoreCase);
  }
  return changed;
}

// The text cut at the given lengths (the last piece takes the rest) through the steps.
bool StreamRoad(const WideText& text, const JobOptions& job, const std::vector<size_t>& cuts,
                WideText* out) {
  auto steps = MakeStreamSteps(job);
  out->clear();
  bool changed = false;
  size_t at = 0;
  for (size_t cut : cuts) {
    WideText piece = text.substr(at, cut);
    at += piece.size();
    changed |= FeedSteps(steps, piece, false);
    out->append(piece);
  }
  WideText piece = text.substr(at);
  changed |= FeedSteps(steps, piece, true);
  out->append(piece);
  return changed;
}

// The text cut at random lengths gives what the whole-text road gives, and says whether
// it changed alike.
void ExpectPiecesGiveTheWholeTextsResult(const WideText& text, const JobOptions& job,
                                         std::mt19937& random,
                                         std::uniform_int_distribution<size_t>& length,
                                         const std::string& what) {
  WideText whole = text;
  const bool changed = WholeRoad(whole, job);
  std::vector<size_t> cuts;
  for (size_t at = 0; at < text.size();) cuts.push_back(length(random)), at += cuts.back();
  WideText streamed;
  EXPECT_EQ(StreamRoad(text, job, cuts, &streamed), changed) << what;
  ASSERT_EQ(streamed, whole) << testing::PrintToString(text) << " " << what;
}

// Random texts over the units the steps act on: line ends, blanks, full-width spaces,
// control codes, a wide character, letters of both cases and surrogates.
WideText RandomText(std::mt19937& random, size_t length) {
  static const char16_t kUnits[] = {u'a', u'b', u'B', u' ', u'\t', u'\r', u'\n', 0x3000,
                                    0x01,  0x1A, 0x1F, u'あ', 0xD83D, 0xDE00, u'a', u'b'};
  std::uniform_int_distribution<size_t> pick(0, std::size(kUnits) - 1);
  WideText text;
  for (size_t i = 0; i < length; ++i) text += kUnits[pick(random)];
  return text;
}

std::vector<JobOptions> Jobs() {
  std::vector<JobOptions> jobs;
  auto add = [&](auto set) {
    JobOptions job;
    set(job);
    jobs.push_back(job);
  };
  for (int16_t kind : {0, 1, 2}) add([&](JobOptions& j) { j.lineEndingConversion = kind; });
  add([](JobOptions& j) { j.fullWidthSpaceToTwo = true; });
  add([](JobOptions& j) { j.fullWidthSpaceToOne = true; });
  add([](JobOptions& j) { j.trimTrailingWhiteSpace = true; });
  for (uint32_t width : {1u, 3u, 4u, 8u}) {
    add([&](JobOptions& j) {
      j.expandTabs = true;
      j.tabColumns = width;
    });
  }
  add([](JobOptions& j) { j.removeControlCodes = true; });
  add([](JobOptions& j) { j.controlCodesToSpaces = true; });
  for (int16_t kind : {0, 1, 2}) {
    for (uint32_t n : {1u, 2u, 5u}) {
      add([&](JobOptions& j) {
        j.insertEveryChars = n;
        j.lineEndingKind = kind;
      });
    }
  }
  const std::u16string_view searches[][2] = {
      {u"a", u"xy"}, {u"ab", u"b"}, {u"aba", u"ABA"}, {u"b\r\n", u"<br>"},
      {u"aab", u""}, {u"bab", u"bab"}, {u"\t ", u"\t"}};
  for (const auto& pair : searches) {
    for (bool ignoreCase : {false, true}) {
      add([&](JobOptions& j) {
        j.replaceEnabled = true;
        j.searchText = WideText(pair[0]);
        j.replacementText = WideText(pair[1]);
        j.replaceIgnoreCase = ignoreCase;
      });
    }
  }
  // Everything at once, each step feeding the next.
  add([](JobOptions& j) {
    j.lineEndingConversion = 0;
    j.fullWidthSpaceToTwo = true;
    j.trimTrailingWhiteSpace = true;
    j.expandTabs = true;
    j.tabColumns = 4;
    j.removeControlCodes = true;
    j.insertEveryChars = 3;
    j.lineEndingKind = 1;
    j.replaceEnabled = true;
    j.searchText = u"  ";
    j.replacementText = u"_";
  });
  add([](JobOptions& j) {
    j.lineEndingConversion = 2;
    j.fullWidthSpaceToOne = true;
    j.controlCodesToSpaces = true;
    j.trimTrailingWhiteSpace = true;
    j.replaceEnabled = true;
    j.searchText = u"B\r";
    j.replacementText = u"b\r\n";
    j.replaceIgnoreCase = true;
  });
  return jobs;
}

}  // namespace

TEST(StreamSteps, EveryPieceSizeGivesTheWholeTextsResult) {
  std::mt19937 random(7);
  for (const JobOptions& job : Jobs()) {
    ASSERT_TRUE(StepsStream(job));
    for (int round = 0; round < 40; ++round) {
      // Short texts, and texts long enough for the passes that take sixteen units at once.
      const WideText text =
          RandomText(random, round % 5 == 0 ? round / 5 : round % 5 == 1 ? 300 : 60);
      WideText whole = text;
      const bool wholeChanged = WholeRoad(whole, job);
      // Pieces of one unit, of a fixed size and of random sizes (empty ones among them).
      std::vector<std::vector<size_t>> cutsList;
      cutsList.push_back(std::vector<size_t>(text.size(), 1));
      cutsList.push_back(std::vector<size_t>(text.size() / 7 + 1, 7));
      cutsList.push_back(std::vector<size_t>(text.size() / 45 + 1, 45));
      std::uniform_int_distribution<size_t> length(0, 9);
      std::vector<size_t> randomCuts;
      for (size_t at = 0; at < text.size();) randomCuts.push_back(length(random)), at += randomCuts.back();
      cutsList.push_back(randomCuts);
      for (const auto& cuts : cutsList) {
        WideText streamed;
        const bool streamChanged = StreamRoad(text, job, cuts, &streamed);
        ASSERT_EQ(streamed, whole) << testing::PrintToString(text) << " job " << &job - &Jobs()[0];
        ASSERT_EQ(streamChanged, wholeChanged) << testing::PrintToString(text);
      }
    }
  }
}

TEST(StreamSteps, LineEndsAtEveryLaneOfLongPieces) {
  // Pieces long enough for the pass over 64 units at a time, with line ends sparse (long
  // runs, or none at all) and dense (CR LF across a window's edge, pieces ending in CR).
  std::mt19937 random(11);
  std::uniform_int_distribution<size_t> length(0, 400);
  static const char16_t* kEnds[] = {u"\r", u"\n", u"\r\n"};
  for (int16_t kind : {int16_t{0}, int16_t{1}, int16_t{2}}) {
    JobOptions job;
    job.lineEndingConversion = kind;
    for (int round = 0; round < 300; ++round) {
      // One line end in every 2 to 256 units on average, or none.
      const size_t spread = round % 10 == 0 ? 0 : size_t{2} << (round % 8);
      std::uniform_int_distribution<size_t> pick(0, spread == 0 ? 0 : spread - 1);
      std::uniform_int_distribution<int> which(0, 2);
      WideText text;
      for (size_t i = 0, n = length(random) * 3; i < n; ++i) {
        if (spread == 0 || pick(random) != 0) {
          text += static_cast<char16_t>(u'a' + i % 26);
        } else {
          text += kEnds[which(random)];
        }
      }
      ExpectPiecesGiveTheWholeTextsResult(text, job, random, length,
                                          "kind " + std::to_string(kind));
    }
  }
}

TEST(StreamSteps, CarriesAcrossPieceEnds) {
  // The cases each carry is for, cut where it matters.
  struct Case {
    const char16_t* first;
    const char16_t* second;
    JobOptions job;
  };
  JobOptions crlf;
  crlf.lineEndingConversion = 0;
  JobOptions trim;
  trim.trimTrailingWhiteSpace = true;
  JobOptions tabs;
  tabs.expandTabs = true;
  tabs.tabColumns = 4;
  JobOptions breaks;
  breaks.insertEveryChars = 2;
  breaks.lineEndingKind = 1;
  JobOptions literal;
  literal.replaceEnabled = true;
  literal.searchText = u"abc";
  literal.replacementText = u"X";
  for (const Case& c : {Case{u"a\r", u"\nb", crlf}, Case{u"a \t", u" \r\nb", trim},
                        Case{u"a \t", u" b", trim}, Case{u"あa", u"\tb", tabs},
                        Case{u"abc", u"", breaks}, Case{u"ab", u"cd", breaks},
                        Case{u"xab", u"cab", literal}, Case{u"xa", u"bc", literal}}) {
    const WideText text = WideText(c.first) + c.second;
    WideText whole = text;
    const bool changed = WholeRoad(whole, c.job);
    WideText streamed;
    EXPECT_EQ(StreamRoad(text, c.job, {WideText(c.first).size()}, &streamed), changed);
    EXPECT_EQ(streamed, whole) << testing::PrintToString(text);
  }
}

TEST(StreamSteps, RegularExpressionsAndHugeTabsKeepTheWholeRoad) {
  JobOptions job;
  EXPECT_TRUE(StepsStream(job));
  job.replaceEnabled = true;
  job.replaceUseRegex = true;
  EXPECT_FALSE(StepsStream(job));
  job = JobOptions();
  job.expandTabs = true;
  job.tabColumns = kWidestStreamedTab;
  EXPECT_TRUE(StepsStream(job));
  job.tabColumns = 0xFFFFFFFF;
  EXPECT_FALSE(StepsStream(job));
}

TEST(StreamSteps, TabsAfterLongRunsOfAscii) {
  // Runs long enough for the eight- and sixteen-at-a-time paths, ending at every column.
  // (Half-width katakana and an accented letter are one column each, although not ASCII.)
  static const char16_t* kWords[] = {u"abcdefghijklmnop", u"xyz", u"\t", u"あ", u"\n",
                                     u"~}|{", u"\x7f", u"\r", u"ｱé"};
  std::mt19937 random(3);
  std::uniform_int_distribution<size_t> pick(0, std::size(kWords) - 1);
  for (uint32_t width : {1u, 4u, 7u, 16u, 17u, 99u}) {
    JobOptions job;
    job.expandTabs = true;
    job.tabColumns = width;
    for (int round = 0; round < 50; ++round) {
      // Short pieces, and pieces long enough for whole windows.
      std::uniform_int_distribution<size_t> length(0, round % 2 == 0 ? 40 : 300);
      WideText text;
      for (int i = 0; i < 120; ++i) text += kWords[pick(random)];
      ExpectPiecesGiveTheWholeTextsResult(text, job, random, length,
                                          "width " + std::to_string(width));
    }
  }
}

TEST(StreamSteps, OccurrencesCloseTogetherAndFarApart) {
  // Stretches between occurrences from none to several hundred units, each way of
  // copying them, with replacements that shorten, keep and lengthen the text.
  std::mt19937 random(11);
  const std::u16string_view replacements[] = {u"", u"AB", u"ab", u"xyz", u"0123456789abcdefghij"};
  for (std::u16string_view replacement : replacements) {
    JobOptions job;
    job.replaceEnabled = true;
    job.searchText = u"ab";
    job.replacementText = WideText(replacement);
    for (int round = 0; round < 40; ++round) {
      std::uniform_int_distribution<size_t> apart(0, round % 2 == 0 ? 80 : 700);
      std::uniform_int_distribution<size_t> length(0, round % 3 == 0 ? 50 : 3000);
      WideText text;
      for (int i = 0; i < 30; ++i) text += WideText(apart(random), u'a') + u"ab";
      ExpectPiecesGiveTheWholeTextsResult(text, job, random, length,
                                          "to " + testing::PrintToString(WideText(replacement)));
    }
  }
}

TEST(StreamSteps, LongRunsOfBlanksAreHeldWithoutCopyingThemAgain) {
  // 8 MB of blanks in pieces of 1,000 units: copying the run again for every piece would
  // take minutes. Whether they stay depends on what ends them.
  JobOptions job;
  job.trimTrailingWhiteSpace = true;
  const WideText blanks = WideText(2'000'000, u' ') + u"\t" + WideText(2'000'000, u' ');
  const auto start = std::chrono::steady_clock::now();
  for (const WideText& after : {WideText(u"x\n"), WideText(u"\r\nx"), WideText()}) {
    const WideText text = u"a" + blanks + after;
    WideText whole = text;
    const bool changed = WholeRoad(whole, job);
    WideText streamed;
    EXPECT_EQ(StreamRoad(text, job, std::vector<size_t>(text.size() / 1000, 1000), &streamed),
              changed);
    EXPECT_EQ(streamed.size(), whole.size());
    EXPECT_TRUE(streamed == whole) << "ended by " << testing::PrintToString(after);
  }
  // A tenth of a second when each piece is added once; copied again, half a minute.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(8));
}
