// quillonc's option parsing: value rules, converting options, targets and errors.
#include <gtest/gtest.h>

#include "cli/cli_options.h"

#include <string>

#include "cli/help_text.h"
#include "quillon_version.h"

namespace {

CliParse Parse(std::initializer_list<const char16_t*> args) {
  std::vector<WideText> list;
  for (const char16_t* arg : args) list.emplace_back(arg);
  return ParseCommandLine(list);
}

TEST(CliHelp, NoArgumentsOrQuestionMarkFirst) {
  EXPECT_TRUE(WantsHelp({}));
  EXPECT_TRUE(WantsHelp({u"/?"}));
  EXPECT_TRUE(WantsHelp({u"-?", u"/W"}));
  EXPECT_FALSE(WantsHelp({u"/W", u"/?"}));
  EXPECT_FALSE(WantsHelp({u"/??"}));
  // A question mark anywhere but first is an ordinary invalid option.
  CliParse p = Parse({u"/W", u"/?", u"a.txt"});
  EXPECT_EQ(p.error, CliError::kInvalidOption);
  EXPECT_EQ(p.offendingArgument, u"/?");
}

// --help and --version count only as the whole first argument; elsewhere, or spelled
// otherwise, they stay the invalid options they always were, and after "--" a target.
TEST(CliHelp, LongHelpAndVersionOnlyFirstAndExact) {
  EXPECT_TRUE(WantsHelp({u"--help"}));
  EXPECT_TRUE(WantsHelp({u"--help", u"/W", u"a.txt"}));
  EXPECT_FALSE(WantsHelp({u"--version"}));
  EXPECT_TRUE(WantsVersion({u"--version", u"/W", u"a.txt"}));
  EXPECT_FALSE(WantsVersion({}));
  EXPECT_FALSE(WantsVersion({u"--help"}));
  for (const char16_t* spelling : {u"--HELP", u"--help=x", u"-help", u"--Version", u"--versio"}) {
    EXPECT_FALSE(WantsHelp({spelling})) << std::u16string(spelling).size();
    EXPECT_FALSE(WantsVersion({spelling}));
    EXPECT_EQ(Parse({spelling, u"/W", u"a.txt"}).error, CliError::kInvalidOption);
  }
  for (const char16_t* later : {u"--help", u"--version"}) {
    EXPECT_FALSE(WantsHelp({u"/W", later}));
    EXPECT_FALSE(WantsVersion({u"/W", later}));
    CliParse p = Parse({u"/W", later, u"a.txt"});
    EXPECT_EQ(p.error, CliError::kInvalidOption);
    EXPECT_EQ(p.offendingArgument, later);
    // After "--" they are file names.
    p = Parse({u"/W", u"--", later});
    EXPECT_EQ(p.error, CliError::kNone);
    EXPECT_EQ(p.firstTarget, 2u);
  }
}

TEST(CliHelp, VersionLineCarriesTheProjectVersion) {
  std::u16string expected = u"quillonc ";
  for (const char* c = kQuillonVersion; *c; ++c) expected.push_back(static_cast<char16_t>(*c));
  expected += u"\n";
  EXPECT_EQ(VersionText(), expected);
  EXPECT_GE(std::string(kQuillonVersion).size(), 5u);  // major.minor.patch
}

TEST(CliSwitches, EachLetterInEitherCaseWithSlashOrDash) {
  struct Case {
    const char16_t* option;
    int32_t CliOptions::*field;
    bool converting;
  };
  const Case cases[] = {
      {u"/K", &CliOptions::fileBackup, false},     {u"-y", &CliOptions::searchSubFolders, false},
      {u"/z", &CliOptions::zenSp2SpSp, true},      {u"-H", &CliOptions::zenSp2Sp, true},
      {u"/w", &CliOptions::delRightWhiteSpace, true}, {u"-D", &CliOptions::delControlCode, true},
      {u"/a", &CliOptions::controlCode2Space, true}, {u"-q", &CliOptions::setts, true},
      {u"/E", &CliOptions::repUseRegex, false},    {u"-p", &CliOptions::repICase, false},
      {u"/g", &CliOptions::rep1Line, false},       {u"-N", &CliOptions::repMatchNotDotNewLine, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.option, c.option + 2));
    CliParse alone = Parse({c.option, u"x"});
    EXPECT_EQ(alone.error, c.converting ? CliError::kNone : CliError::kNoConversion);
    CliParse withW = Parse({c.option, u"/W", u"x"});
    ASSERT_EQ(withW.error, CliError::kNone);
    EXPECT_EQ(withW.options.*c.field, 1);
  }
}

TEST(CliSwitches, DefaultsWhenNothingIsGiven) {
  CliOptions o = Parse({u"/W", u"x"}).options;
  EXPECT_EQ(o.searchSubFolders, 0);
  EXPECT_EQ(o.charEncode, 1);
  EXPECT_EQ(o.writeEncode, 0);
  EXPECT_EQ(o.tab2SpaceClm, 4);
  EXPECT_EQ(o.crlfTransWay, 0);
  EXPECT_FALSE(o.beforeReplace.has_value());
  EXPECT_FALSE(o.afterReplace.has_value());
}

TEST(CliErrors, MalformedOptionsAreInvalid) {
  for (const char16_t* arg : {u"/K1", u"/F:", u"/O:", u"/M:", u"/L:", u"/C:", u"/T:", u"/RB:",
                              u"/", u"-", u"/X", u"/F", u"/T5", u"/RBa", u"/R:x", u"/KY",
                              u"/WW", u"-?x", u"---"}) {
    SCOPED_TRACE(std::string(arg, arg + std::char_traits<char16_t>::length(arg)));
    CliParse p = Parse({u"/W", arg, u"x"});
    EXPECT_EQ(p.error, CliError::kInvalidOption);
    EXPECT_EQ(p.offendingArgument, arg);
  }
}

TEST(CliErrors, FirstErrorWinsAndNamesItsArgument) {
  CliParse p = Parse({u"/T:0", u"/X", u"x"});
  EXPECT_EQ(p.error, CliError::kInvalidTabCount);
  EXPECT_EQ(p.offendingArgument, u"/T:0");
  p = Parse({u"/X", u"/T:0", u"x"});
  EXPECT_EQ(p.error, CliError::kInvalidOption);
  EXPECT_EQ(p.offendingArgument, u"/X");
}

TEST(CliEncodings, NamesNumbersAndRejects) {
  CliParse p = Parse({u"/f:UTF-8", u"/W", u"x"});
  EXPECT_EQ(p.options.charEncode, 4);
  EXPECT_EQ(p.options.charEncodeOther, 0);
  p = Parse({u"/F:932", u"/O:65001abc", u"x"});
  ASSERT_EQ(p.error, CliError::kNone);
  EXPECT_EQ(p.options.charEncode, 9);
  EXPECT_EQ(p.options.charEncodeOther, 932);
  EXPECT_EQ(p.options.writeEncode, 9);
  EXPECT_EQ(p.options.writeEncodeOther, 65001);
  // A later name replaces the number given before it.
  p = Parse({u"/O:932", u"/O:auto", u"x"});
  EXPECT_EQ(p.options.writeEncode, 0);
  EXPECT_EQ(p.options.writeEncodeOther, 0);
  for (const char16_t* arg : {u"/F:utf_8", u"/F:0", u"/O:-5", u"/O:ｕｔｆ８"}) {
    CliParse bad = Parse({u"/W", arg, u"x"});
    EXPECT_EQ(bad.error, CliError::kInvalidEncoding);
    EXPECT_EQ(bad.offendingArgument, arg);
  }
}

TEST(CliEncodings, OnlyTheOutputEncodingConverts) {
  EXPECT_EQ(Parse({u"/F:utf8", u"x"}).error, CliError::kNoConversion);
  EXPECT_EQ(Parse({u"/O:utf8", u"x"}).error, CliError::kNone);
}

TEST(CliNewlines, KindsInAnyCase) {
  CliParse p = Parse({u"/C:crlf", u"x"});
  ASSERT_EQ(p.error, CliError::kNone);
  EXPECT_EQ(p.options.crlfTrans, 1);
  EXPECT_EQ(p.options.crlfTransWay, 3);
  EXPECT_EQ(Parse({u"-c:Lf", u"x"}).options.crlfTransWay, 1);
  EXPECT_EQ(Parse({u"/C:CR", u"x"}).options.crlfTransWay, 2);
  for (const char16_t* arg : {u"/C:CRLF2", u"/C:LFCR", u"/C: LF", u"/C:X"}) {
    CliParse bad = Parse({arg, u"x"});
    EXPECT_EQ(bad.error, CliError::kInvalidNewline);
    EXPECT_EQ(bad.offendingArgument, arg);
  }
}

TEST(CliTabs, CountFromOneToNinetyNine) {
  EXPECT_EQ(Parse({u"/T:0", u"x"}).error, CliError::kInvalidTabCount);
  EXPECT_EQ(Parse({u"/T:100", u"x"}).error, CliError::kInvalidTabCount);
  EXPECT_EQ(Parse({u"/T:-4", u"x"}).error, CliError::kInvalidTabCount);
  EXPECT_EQ(Parse({u"/T:abc", u"x"}).error, CliError::kInvalidTabCount);
  // 2^32 + 8 must not wrap round to 8.
  EXPECT_EQ(Parse({u"/T:4294967304", u"x"}).error, CliError::kInvalidTabCount);
  CliParse p = Parse({u"/T:99", u"x"});
  EXPECT_EQ(p.error, CliError::kNone);
  EXPECT_EQ(p.options.tab2Space, 1);
  EXPECT_EQ(p.options.tab2SpaceClm, 99);
  EXPECT_EQ(Parse({u"/T: 7cols", u"x"}).options.tab2SpaceClm, 7);
  // The later count holds.
  EXPECT_EQ(Parse({u"/T:8", u"/t:2", u"x"}).options.tab2SpaceClm, 2);
}

TEST(CliLineBreakInsertion, NumbersAreStoredAsRead) {
  CliParse p = Parse({u"/M:0", u"x"});
  EXPECT_EQ(p.error, CliError::kNone);  // counts as converting although it changes nothing
  EXPECT_EQ(p.options.insLfByte, 0);
  p = Parse({u"/M:-3", u"/L:abc", u"x"});
  EXPECT_EQ(p.options.insLfByte, -3);
  EXPECT_EQ(p.options.insLfChar, 0);
  EXPECT_EQ(Parse({u"/L:+80x", u"x"}).options.insLfChar, 80);
}

TEST(CliReplacement, ConvertsOnceBothTextsAreGiven) {
  EXPECT_EQ(Parse({u"/RB:a", u"x"}).error, CliError::kNoConversion);
  EXPECT_EQ(Parse({u"/RA:b", u"x"}).error, CliError::kNoConversion);
  EXPECT_EQ(Parse({u"/RB:a", u"/RB:c", u"x"}).error, CliError::kNoConversion);
  CliParse p = Parse({u"/RB:a", u"/RA:", u"x"});
  ASSERT_EQ(p.error, CliError::kNone);
  EXPECT_EQ(*p.options.beforeReplace, u"a");
  EXPECT_EQ(*p.options.afterReplace, u"");
  p = Parse({u"/ra:b:c", u"-rb:a b", u"x"});
  ASSERT_EQ(p.error, CliError::kNone);
  EXPECT_EQ(*p.options.beforeReplace, u"a b");
  EXPECT_EQ(*p.options.afterReplace, u"b:c");
}

TEST(CliTargets, FirstNonOptionStartsThem) {
  CliParse p = Parse({u"/W", u"a.txt", u"/K", u"b.txt"});
  ASSERT_EQ(p.error, CliError::kNone);
  EXPECT_EQ(p.firstTarget, 1u);
  EXPECT_EQ(p.options.fileBackup, 0);  // /K after a target is a target
  EXPECT_EQ(Parse({u"/W", u"/K"}).error, CliError::kNoTarget);
  EXPECT_EQ(Parse({u"/K", u"file.txt"}).error, CliError::kNoConversion);
  // Only options and an error-free run out: the missing target comes first.
  EXPECT_EQ(Parse({u"/K"}).error, CliError::kNoTarget);
}

TEST(CliTargets, DoubleDashEndsTheOptions) {
  CliParse p = Parse({u"/W", u"--", u"/abs/a.txt", u"--"});
  ASSERT_EQ(p.error, CliError::kNone);
  EXPECT_EQ(p.firstTarget, 2u);
  EXPECT_EQ(Parse({u"/W", u"--"}).error, CliError::kNoTarget);
  EXPECT_EQ(Parse({u"--", u"a.txt"}).error, CliError::kNoConversion);
  // Once the targets have begun, "--" is a target like any other argument.
  EXPECT_EQ(Parse({u"/W", u"a", u"--"}).firstTarget, 1u);
}

TEST(CliNumbers, ReadLikeStrtol) {
  EXPECT_EQ(ReadDecimal(u"  \t42"), 42);
  EXPECT_EQ(ReadDecimal(u"-17z"), -17);
  EXPECT_EQ(ReadDecimal(u"+"), 0);
  EXPECT_EQ(ReadDecimal(u"x5"), 0);
  EXPECT_EQ(ReadDecimal(u"99999999999999999999"), 2147483647);
  EXPECT_EQ(ReadDecimal(u"-99999999999999999999"), -2147483647 - 1);
}

}  // namespace
