#include "settings/settings_file_text.h"

namespace {

bool IsValidUtf8(std::string_view bytes) {
  // The decoder turns every invalid sequence into U+FFFD, so only valid UTF-8 survives
  // the round trip unchanged.
  return Utf8FromWide(WideFromUtf8(bytes)) == bytes;
}

WideText DecodeUtf16(std::string_view bytes, bool bigEndian) {
  WideText text;
  text.reserve(bytes.size() / 2);
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    auto first = static_cast<unsigned char>(bytes[i]);
    auto second = static_cast<unsigned char>(bytes[i + 1]);
    text.push_back(bigEndian ? static_cast<char16_t>(first << 8 | second)
                             : static_cast<char16_t>(second << 8 | first));
  }
  return text;
}

}  // namespace

WideText DecodeSettingsFile(std::string_view bytes) {
  if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
    return DecodeUtf16(bytes.substr(2), false);
  }
  if (bytes.size() >= 2 && bytes[0] == '\xFE' && bytes[1] == '\xFF') {
    return DecodeUtf16(bytes.substr(2), true);
  }
  if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") {
    return WideFromUtf8(bytes.substr(3));
  }
  if (IsValidUtf8(bytes)) return WideFromUtf8(bytes);
  WideText text;
  text.reserve(bytes.size());
  for (char byte : bytes) text.push_back(static_cast<unsigned char>(byte));
  return text;
}

std::string EncodeUtf16LeWithMark(std::u16string_view text) {
  return "\xFF\xFE" + Utf16LeBytes(text);
}

std::vector<TextLine> SplitLines(std::u16string_view text) {
  std::vector<TextLine> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t newline = text.find(u'\n', start);
    if (newline == std::u16string_view::npos) {
      lines.push_back({WideText(text.substr(start)), WideText()});
      break;
    }
    size_t bodyEnd = newline;
    if (bodyEnd > start && text[bodyEnd - 1] == u'\r') --bodyEnd;
    lines.push_back({WideText(text.substr(start, bodyEnd - start)),
                     WideText(text.substr(bodyEnd, newline + 1 - bodyEnd))});
    start = newline + 1;
  }
  return lines;
}

std::u16string JoinLines(const std::vector<TextLine>& lines) {
  std::u16string text;
  for (const TextLine& line : lines) {
    text += line.body;
    text += line.end;
  }
  return text;
}

std::u16string LineEndOf(const std::vector<TextLine>& lines) {
  for (const TextLine& line : lines) {
    if (!line.end.empty()) return line.end;
  }
  return u"\r\n";
}

bool IsAsciiSpace(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f';
}

std::u16string_view TrimAsciiSpace(std::u16string_view text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsAsciiSpace(text[begin])) ++begin;
  while (end > begin && IsAsciiSpace(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}
