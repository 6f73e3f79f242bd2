#include "ui/about/version_text.h"

#include <cstdint>

#include "core/message_format.h"

namespace {

// One unsigned decimal number at `pos`, after optional blanks; advances past it.
std::optional<unsigned> ParseNumber(std::u16string_view text, size_t& pos) {
  while (pos < text.size() && text[pos] == u' ') ++pos;
  size_t start = pos;
  uint64_t value = 0;
  while (pos < text.size() && text[pos] >= u'0' && text[pos] <= u'9') {
    value = value * 10 + static_cast<unsigned>(text[pos] - u'0');
    if (value > UINT32_MAX) return std::nullopt;
    ++pos;
  }
  if (pos == start) return std::nullopt;
  return static_cast<unsigned>(value);
}

}  // namespace

std::optional<FileVersionNumbers> ParseFileVersion(std::u16string_view text) {
  unsigned* parts[4];
  FileVersionNumbers numbers;
  parts[0] = &numbers.major;
  parts[1] = &numbers.minor;
  parts[2] = &numbers.release;
  parts[3] = &numbers.build;
  size_t pos = 0;
  for (int i = 0; i < 4; ++i) {
    if (i > 0) {
      if (pos >= text.size() || text[pos] != u'.') break;
      ++pos;
    }
    std::optional<unsigned> number = ParseNumber(text, pos);
    if (!number) {
      if (i == 0) return std::nullopt;
      break;
    }
    *parts[i] = *number;
  }
  return numbers;
}

std::optional<WideText> FormatVersionText(bool japanese, std::u16string_view title,
                                          const VersionStrings& strings) {
  std::optional<FileVersionNumbers> version = ParseFileVersion(strings.fileVersion);
  if (!version) return std::nullopt;
  std::u16string_view special = strings.specialBuild;
  if (japanese && special == u"beta") special = u"β";
  if (japanese && special == u"alpha") special = u"α";
  return FormatMessageText(u"%s ver.%u.%u%u.%02u%s [%s] (x64)\r\n%s\r\n%s",
                           {title, version->major, version->minor, version->release,
                            version->build, special, strings.privateBuild,
                            strings.fileDescription, strings.legalCopyright});
}

std::u16string_view FirstLine(std::u16string_view text, size_t limit) {
  text = text.substr(0, limit);
  size_t end = 0;
  while (end < text.size() && text[end] >= u' ') ++end;
  return text.substr(0, end);
}
