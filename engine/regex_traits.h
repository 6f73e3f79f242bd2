// The character traits of the run's regular expression: the platform's default wide traits
// (the C++ locale on Linux, the user's Windows locale on Windows), with the answers for
// the ASCII characters taken from tables filled by those very traits when the expression
// is made. Matching asks the traits about nearly every character of the text; through
// the default traits each question is a call into the locale.
#pragma once

#include <array>
#include <cstdint>

#include <boost/regex.hpp>

class PatternTraits : public boost::regex_traits<wchar_t> {
 public:
  using Base = boost::regex_traits<wchar_t>;
  using char_type = wchar_t;
  using char_class_type = Base::char_class_type;

  PatternTraits();

  // The calls below answer exactly as Base does, for every character.
  bool isctype(wchar_t c, char_class_type classes) const {
    if (IsTabled(c)) return (classes_[Index(c)] & classes) != 0;
    return BaseIsctype(c, classes);
  }
  wchar_t translate(wchar_t c) const { return Base::translate(c); }
  wchar_t translate(wchar_t c, bool icase) const { return icase ? translate_nocase(c) : c; }
  wchar_t translate_nocase(wchar_t c) const {
    if (IsTabled(c)) return fold_[Index(c)];
    return BaseTranslateNocase(c);
  }
  wchar_t tolower(wchar_t c) const {
    if (IsTabled(c)) return lower_[Index(c)];
    return BaseTolower(c);
  }
  wchar_t toupper(wchar_t c) const {
    if (IsTabled(c)) return upper_[Index(c)];
    return Base::toupper(c);
  }
  int value(wchar_t c, int radix) const {
    if (IsTabled(c) && radix == 10) return decimal_[Index(c)];
    return Base::value(c, radix);
  }
  // A run of up to nine ASCII digits in base 10 (as in $1 of a format or {3} of an
  // expression) is read here; anything else by Base, which may parse through a stream.
  std::intmax_t toi(const wchar_t*& first, const wchar_t* last, int radix) const;

 private:
  static constexpr unsigned kTabled = 128;
  static bool IsTabled(wchar_t c) { return static_cast<uint32_t>(c) < kTabled; }
  static unsigned Index(wchar_t c) { return static_cast<unsigned>(c); }
  // Out of line, so that the tabled path stays small enough to be inlined.
  bool BaseIsctype(wchar_t c, char_class_type classes) const;
  wchar_t BaseTranslateNocase(wchar_t c) const;
  wchar_t BaseTolower(wchar_t c) const;

  // For each character, the classes it belongs to, one bit each: Base answers a set of
  // classes with whether the character is in any of them.
  std::array<char_class_type, kTabled> classes_{};
  std::array<wchar_t, kTabled> fold_{};  // translate_nocase
  std::array<wchar_t, kTabled> lower_{};
  std::array<wchar_t, kTabled> upper_{};
  std::array<int8_t, kTabled> decimal_{};
};

// Bracket expressions of these expressions are tested by the function in this header.
#include "engine/regex_set_member.h"
