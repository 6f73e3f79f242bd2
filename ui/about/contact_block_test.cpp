#include "ui/about/contact_block.h"

#include <gtest/gtest.h>

namespace {

constexpr char16_t kNotice[] =
    u"　メールフィルタやサーバによるドメイン着信拒否の対象になっていることがあります。"
    u"質問しているのに返信がなかなか届かない場合は、ごみ箱や迷惑メールフォルダを確認するか、"
    u"フィルタ作成者・サーバ管理者にご相談下さい。";

TEST(ContactBlock, WebContact) {
  EXPECT_EQ(BuildContactBlock(false, u"https://example.org/", u"HTTPS://example.org/ask",
                              nullptr),
            u"[WebSite]\r\n  <a id=\"https://example.org/\">https://example.org/</a>\r\n\r\n"
            u"[Contact]\r\n  <a id=\"HTTPS://example.org/ask\">HTTPS://example.org/ask</a>"
            u"\r\n\r\n\r\n");
  EXPECT_EQ(BuildContactBlock(true, u"http://a", u"http://b", u"extra"),
            WideText(u"[WebSite]\r\n  <a id=\"http://a\">http://a</a>\r\n\r\n"
                     u"[連絡先]\r\n  <a id=\"http://b\">http://b</a>\r\n\r\n") +
                kNotice + u"\r\nextra");
}

TEST(ContactBlock, MailContactBecomesMailtoLink) {
  EXPECT_EQ(BuildContactBlock(false, nullptr, u"ask@example.org", nullptr),
            u"\r\n  <a id=\"\"></a>\r\n\r\n"
            u"[E-Mail]\r\n  <a id=\"mailto:ask@example.org\">ask@example.org</a>\r\n\r\n\r\n");
  // "http" without the slashes is not a web address.
  WideText japanese = BuildContactBlock(true, nullptr, u"http@example.org", nullptr);
  EXPECT_NE(japanese.find(u"[E-Mail]\r\n  <a id=\"mailto:http@example.org\">"), WideText::npos);
  EXPECT_NE(japanese.find(kNotice), WideText::npos);
}

TEST(ContactBlock, NoContactHasNoNoticeOrLabel) {
  EXPECT_EQ(BuildContactBlock(true, u"https://a", nullptr, nullptr),
            u"[WebSite]\r\n  <a id=\"https://a\">https://a</a>\r\n\r\n"
            u"\r\n  <a id=\"\"></a>\r\n\r\n\r\n");
}

TEST(ContactBlock, LinkAddresses) {
  AboutAddresses addresses{u"https://w", u"a@b", u"https://c", u"https://f"};
  EXPECT_EQ(LinkAddress(u"kifu", addresses), u"https://c");
  EXPECT_EQ(LinkAddress(u"feedback", addresses), u"https://f");
  EXPECT_EQ(LinkAddress(u"mailto:a@b", addresses), u"mailto:a@b");
  EXPECT_EQ(LinkAddress(u"kifu", AboutAddresses{}), u"kifu");
  EXPECT_EQ(LinkAddress(u"feedback", AboutAddresses{}), u"feedback");

  // Ids longer than the link control passes on come back whole.
  const char16_t* longSite = u"https://example.org/a/rather/long/path/to/the/site/index.html";
  const char16_t* longMail = u"someone.with.a.long.name@mail.example.org.example";
  AboutAddresses longOnes{longSite, longMail, nullptr, nullptr};
  WideText siteId = WideText(longSite).substr(0, kLinkIdUnits);
  WideText mailId = (u"mailto:" + WideText(longMail)).substr(0, kLinkIdUnits);
  EXPECT_EQ(LinkAddress(siteId, longOnes), longSite);
  EXPECT_EQ(LinkAddress(mailId, longOnes), u"mailto:" + WideText(longMail));
  EXPECT_EQ(LinkAddress(u"https://w", longOnes), u"https://w");
  EXPECT_TRUE(IsWebAddress(u"hTTp://x"));
  EXPECT_FALSE(IsWebAddress(u"http:/x"));
  EXPECT_FALSE(IsWebAddress(u"ftp://x"));
}

}  // namespace
