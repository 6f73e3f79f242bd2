#include "engine/regex_traits.h"

#include <climits>

PatternTraits::PatternTraits() {
  constexpr unsigned kClassBits = sizeof(char_class_type) * CHAR_BIT;
  for (unsigned i = 0; i < kTabled; ++i) {
    const wchar_t c = static_cast<wchar_t>(i);
    char_class_type classes = 0;
    for (unsigned bit = 0; bit < kClassBits; ++bit) {
      const char_class_type one = static_cast<char_class_type>(char_class_type{1} << bit);
      if (Base::isctype(c, one)) classes |= one;
    }
    classes_[i] = classes;
    fold_[i] = Base::translate_nocase(c);
    lower_[i] = Base::tolower(c);
    upper_[i] = Base::toupper(c);
    decimal_[i] = static_cast<int8_t>(Base::value(c, 10));
  }
}

std::intmax_t PatternTraits::toi(const wchar_t*& first, const wchar_t* last, int radix) const {
  constexpr int kMostDigits = 9;  // no run this short can overflow
  if (radix == 10 && first != last && *first >= L'0' && *first <= L'9') {
    const wchar_t* end = first;
    std::intmax_t number = 0;
    while (end != last && end - first <= kMostDigits && *end >= L'0' && *end <= L'9') {
      number = number * 10 + (*end - L'0');
      ++end;
    }
    if (end - first <= kMostDigits) {
      first = end;
      return number;
    }
  }
  return Base::toi(first, last, radix);
}

bool PatternTraits::BaseIsctype(wchar_t c, char_class_type classes) const {
  return Base::isctype(c, classes);
}

wchar_t PatternTraits::BaseTranslateNocase(wchar_t c) const { return Base::translate_nocase(c); }

wchar_t PatternTraits::BaseTolower(wchar_t c) const { return Base::tolower(c); }
