#include "core/message_format.h"

#include <gtest/gtest.h>

TEST(MessageFormat, FormsUsedByTheMessages) {
  EXPECT_EQ(FormatMessageText(u"%s:%s - %s\r\n", {u"a.txt", u"T", u"D"}), u"a.txt:T - D\r\n");
  EXPECT_EQ(FormatMessageText(u"Target files:%d, Replaced files:%d", {3u, 1u}),
            u"Target files:3, Replaced files:1");
  EXPECT_EQ(FormatMessageText(u"code %08x", {2u}), u"code 00000002");
  EXPECT_EQ(FormatMessageText(u"%08x", {0x80004005u}), u"80004005");
  EXPECT_EQ(FormatMessageText(u"%02u:%02u", {7u, 45u}), u"07:45");
  EXPECT_EQ(FormatMessageText(u"%d%%", {-12}), u"-12%");
}

TEST(MessageFormat, UnsignedValuesAreNeverShownNegative) {
  // A count above 2^31 must not turn negative in a message.
  EXPECT_EQ(FormatMessageText(u"%d", {4294967295u}), u"4294967295");
  EXPECT_EQ(FormatMessageText(u"%u", {-1}), u"4294967295");
}

TEST(MessageFormat, MissingArgumentsAndUnknownForms) {
  EXPECT_EQ(FormatMessageText(u"%s and %s", {u"one"}), u"one and ");
  EXPECT_EQ(FormatMessageText(u"100%q %", {}), u"100%q %");
  EXPECT_EQ(FormatMessageText(u"日本語 %s。", {u"名前"}), u"日本語 名前。");
}
