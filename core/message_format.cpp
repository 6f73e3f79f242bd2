#include "core/message_format.h"

#include <string>

namespace {

void AppendNumber(WideText& out, const FormatArg& arg, char form, bool zeroPad, int width) {
  uint64_t magnitude;
  bool negative = false;
  if (form == 'd' && arg.kind == FormatArg::Kind::kSigned && arg.number < 0) {
    negative = true;
    magnitude = 0 - static_cast<uint64_t>(arg.number);
  } else if (arg.kind == FormatArg::Kind::kSigned && form != 'd') {
    // %u and %x show a negative number as its 32-bit pattern, as the C formatter does.
    magnitude = static_cast<uint32_t>(arg.number);
  } else {
    magnitude = static_cast<uint64_t>(arg.number);
  }
  unsigned base = form == 'x' ? 16 : 10;
  char16_t digits[24];
  int count = 0;
  do {
    unsigned digit = static_cast<unsigned>(magnitude % base);
    digits[count++] = static_cast<char16_t>(digit < 10 ? u'0' + digit : u'a' + digit - 10);
    magnitude /= base;
  } while (magnitude != 0);
  int length = count + (negative ? 1 : 0);
  if (!zeroPad) {
    for (int i = length; i < width; ++i) out.push_back(u' ');
  }
  if (negative) out.push_back(u'-');
  if (zeroPad) {
    for (int i = length; i < width; ++i) out.push_back(u'0');
  }
  while (count > 0) out.push_back(digits[--count]);
}

}  // namespace

WideText FormatMessageText(std::u16string_view format, std::initializer_list<FormatArg> args) {
  WideText out;
  out.reserve(format.size() + 64);
  auto next = args.begin();
  size_t i = 0;
  while (i < format.size()) {
    char16_t c = format[i];
    if (c != u'%') {
      out.push_back(c);
      ++i;
      continue;
    }
    size_t start = i++;
    if (i < format.size() && format[i] == u'%') {
      out.push_back(u'%');
      ++i;
      continue;
    }
    bool zeroPad = false;
    int width = 0;
    if (i < format.size() && format[i] == u'0') {
      zeroPad = true;
      ++i;
    }
    while (i < format.size() && format[i] >= u'0' && format[i] <= u'9' && width < 100) {
      width = width * 10 + (format[i] - u'0');
      ++i;
    }
    char16_t form = i < format.size() ? format[i] : 0;
    if (form != u's' && form != u'd' && form != u'u' && form != u'x') {
      out.append(format.substr(start, i - start));
      continue;
    }
    ++i;
    if (next == args.end()) continue;
    const FormatArg& arg = *next++;
    if (form == u's') {
      if (arg.kind == FormatArg::Kind::kText) out.append(arg.text);
    } else if (arg.kind != FormatArg::Kind::kText) {
      AppendNumber(out, arg, static_cast<char>(form), zeroPad, width);
    }
  }
  return out;
}
