#include "core/encoding_catalogue.h"

#include <cctype>
#include <climits>

#include "core/ascii_case.h"
#include "core/code_pages.h"
#include "core/process_flags.h"

const EncodingEntry EncodingTable[kEncodingCount + 1] = {
    {u"自動判別 (あまりお勧めしません)", 0},
    {u"SHIFT-JIS", kCodePageShiftJis},
    {u"UTF-16(Unicode) [LE]", kCodePageUtf16Le},
    {u"UTF-16(Unicode) [BE]", kCodePageUtf16Be},
    {u"UTF-8", kCodePageUtf8},
    {u"UTF-7", kCodePageUtf7},
    {u"EUC-JP", kCodePageEucJp},
    {u"JIS [iso-2022-jp]", kCodePageIso2022Jp},
    {u"IBM EBCDIC [Katakana]", kCodePageEbcdicKatakana},
    {u"その他 (右にコードページを指定)", 0},
    {nullptr, 0},
};

const char16_t* InputListAutoText() {
  return Text(u"自動判別 (あまりお勧めしません)", u"Automatic Detection");
}

const char16_t* OutputListSameText() { return Text(u"読込み時と同じ", u"None"); }

uint32_t CatalogueCodePage(int index) {
  if (!IsNamedEncoding(index)) return 0;
  return EncodingTable[index].codePage;
}

namespace {

// Reads a base-10 number the way strtol does: leading white space, an optional sign,
// digits up to the first other character; beyond the 32-bit range it clamps.
long long ReadLikeStrtol(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > 1LL + INT_MAX) value = 1LL + INT_MAX;  // enough to clamp either way
  }
  if (negative) value = -value;
  if (value > INT_MAX) value = INT_MAX;
  if (value < INT_MIN) value = INT_MIN;
  return value;
}

}  // namespace

int ParseEncodingName(std::string_view name, uint32_t* otherCodePage) {
  struct Name {
    const char* text;
    int index;
  };
  static constexpr Name kNames[] = {
      {"auto", 0},      {"sjis", 1},     {"s-jis", 1},    {"shiftjis", 1},
      {"shift-jis", 1}, {"unicode", 2},  {"utf16", 2},    {"utf-16", 2},
      {"utf16le", 2},   {"utf-16le", 2}, {"utf16be", 3},  {"utf-16be", 3},
      {"utf8", 4},      {"utf-8", 4},    {"utf7", 5},     {"utf-7", 5},
      {"euc", 6},       {"eucjp", 6},    {"euc-jp", 6},   {"jis", 7},
      {"iso-2022-jp", 7}, {"ebcdic", 8}, {"ebcdik", 8},
  };
  for (const Name& n : kNames) {
    if (EqualsIgnoringAsciiCase(name, n.text)) return n.index;
  }
  long long value = ReadLikeStrtol(name);
  if (value > 0) {
    if (otherCodePage) *otherCodePage = static_cast<uint32_t>(value);
    return kEncodingOther;
  }
  return -1;
}
