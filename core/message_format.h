// The one formatter for the program's message texts.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>

#include "core/wide_text.h"

// One argument of a message: a text, a signed or an unsigned number.
struct FormatArg {
  enum class Kind { kText, kSigned, kUnsigned } kind;
  std::u16string_view text;
  int64_t number = 0;

  FormatArg(std::u16string_view t) : kind(Kind::kText), text(t) {}
  FormatArg(const WideText& t) : kind(Kind::kText), text(t) {}
  FormatArg(const char16_t* t) : kind(Kind::kText), text(t ? t : u"") {}
  FormatArg(int v) : kind(Kind::kSigned), number(v) {}
  FormatArg(long v) : kind(Kind::kSigned), number(v) {}
  FormatArg(long long v) : kind(Kind::kSigned), number(v) {}
  FormatArg(unsigned v) : kind(Kind::kUnsigned), number(static_cast<int64_t>(v)) {}
  FormatArg(unsigned long v) : kind(Kind::kUnsigned), number(static_cast<int64_t>(v)) {}
  FormatArg(unsigned long long v) : kind(Kind::kUnsigned), number(static_cast<int64_t>(v)) {}
};

// Formats with the forms %s, %d, %u, %x with an optional 0 flag and width (%08x, %02u),
// and %%. Arguments are taken in order; a missing one formats as nothing, and a form
// the formatter does not know is copied as it stands.
WideText FormatMessageText(std::u16string_view format, std::initializer_list<FormatArg> args);
