// The About box's links: the contact block shown in its link control, and the address a
// clicked link opens.
#pragma once

#include <string_view>

#include "core/wide_text.h"

// True for an address that begins "http://" or "https://" (in any case).
bool IsWebAddress(std::u16string_view address);

// The markup of the contact block: the web site, then the contact (a web page or an
// e-mail address, which becomes a "mailto:" link), then in Japanese a notice about mail
// filters, then the extra text. Null pointers are absent items. Each link's id is the
// address it opens.
WideText BuildContactBlock(bool japanese, const char16_t* webSite, const char16_t* contact,
                           const char16_t* extraText);

// Link ids of the two single links beside the contact block.
inline constexpr std::u16string_view kContributionLinkId = u"kifu";
inline constexpr std::u16string_view kFeedbackLinkId = u"feedback";

// The maker's addresses the About box links to; null when there is none.
struct AboutAddresses {
  const char16_t* webSite = nullptr;
  const char16_t* contact = nullptr;
  const char16_t* contributionPage = nullptr;
  const char16_t* feedbackPage = nullptr;
};

// The link control reports at most this many units of a link's id; a longer address
// arrives cut short.
inline constexpr size_t kLinkIdUnits = 47;

// The address behind a link id: the contribution page for "kifu", the feedback page for
// "feedback" (each when set), the id itself otherwise. An id that is the cut-short web
// site or contact link gets back its whole address.
WideText LinkAddress(std::u16string_view id, const AboutAddresses& addresses);
