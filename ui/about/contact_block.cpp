#include "ui/about/contact_block.h"

#include "core/ascii_case.h"
#include "core/message_format.h"

namespace {

bool StartsWithNoCase(std::u16string_view text, std::u16string_view prefix) {
  return text.size() >= prefix.size() &&
         EqualsIgnoringAsciiCase(text.substr(0, prefix.size()), prefix);
}

constexpr char16_t kMailNotice[] =
    u"　メールフィルタやサーバによるドメイン着信拒否の対象になっていることがあります。"
    u"質問しているのに返信がなかなか届かない場合は、ごみ箱や迷惑メールフォルダを確認するか、"
    u"フィルタ作成者・サーバ管理者にご相談下さい。";

}  // namespace

bool IsWebAddress(std::u16string_view address) {
  return StartsWithNoCase(address, u"http://") || StartsWithNoCase(address, u"https://");
}

WideText BuildContactBlock(bool japanese, const char16_t* webSite, const char16_t* contact,
                           const char16_t* extraText) {
  std::u16string_view site = webSite ? webSite : u"";
  std::u16string_view address = contact ? contact : u"";
  bool web = IsWebAddress(address);
  // Without a contact address its label and link prefix are left out as well.
  std::u16string_view label;
  std::u16string_view prefix;
  if (contact) {
    label = !web ? u"[E-Mail]" : japanese ? u"[連絡先]" : u"[Contact]";
    prefix = web ? u"" : u"mailto:";
  }
  return FormatMessageText(
      u"%s\r\n  <a id=\"%s\">%s</a>\r\n\r\n%s\r\n  <a id=\"%s%s\">%s</a>\r\n\r\n%s\r\n%s",
      {webSite ? u"[WebSite]" : u"", site, site, label, prefix, address, address,
       japanese && contact ? kMailNotice : u"", extraText});
}

WideText LinkAddress(std::u16string_view id, const AboutAddresses& addresses) {
  if (id == kContributionLinkId && addresses.contributionPage) return addresses.contributionPage;
  if (id == kFeedbackLinkId && addresses.feedbackPage) return addresses.feedbackPage;
  if (id.size() == kLinkIdUnits) {
    WideText candidates[2];
    if (addresses.webSite) candidates[0] = addresses.webSite;
    if (addresses.contact) {
      if (!IsWebAddress(addresses.contact)) candidates[1] = u"mailto:";
      candidates[1] += addresses.contact;
    }
    for (const WideText& candidate : candidates) {
      if (candidate.size() > id.size() && candidate.compare(0, id.size(), id) == 0) {
        return candidate;
      }
    }
  }
  return WideText(id);
}
