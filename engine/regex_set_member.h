// Membership of a character in a bracket expression ([a-z], [^[:space:]_]) for expressions
// with PatternTraits. The library's own test builds a one-character string for every
// character it tries against a range and compares it through the C library; this one
// answers the same from the character itself. Everything else is the library's test as
// it stands. Found by argument-dependent lookup: the expression's data names
// PatternTraits, and as this template takes narrower arguments than the library's,
// overload resolution prefers it.
#pragma once

#include <cstdint>

#include <boost/regex.hpp>

class PatternTraits;

namespace pattern_set_detail {

// The sign of comparing the string holding only c with the NUL-terminated p, as the
// library's string_compare gives it (a string that is only a NUL equals an empty p).
inline int CompareOne(wchar_t c, const wchar_t* p) {
  if (*p == 0) return c == 0 ? 0 : 1;
  if (c != *p) return c < *p ? -1 : 1;
  return p[1] == 0 ? 0 : -1;
}

}  // namespace pattern_set_detail

template <class Iterator, class ClassMask>
Iterator re_is_set_member(
    Iterator next, Iterator last, const boost::BOOST_REGEX_DETAIL_NS::re_set_long<ClassMask>* set,
    const boost::BOOST_REGEX_DETAIL_NS::regex_data<wchar_t, PatternTraits>& e, bool icase) {
  using pattern_set_detail::CompareOne;
  const wchar_t* p = reinterpret_cast<const wchar_t*>(set + 1);
  if (next == last) return next;
  const auto& traits = *(e.m_ptraits);

  // Single characters, or collating elements of several.
  for (unsigned i = 0; i < set->csingles; ++i) {
    Iterator ptr = next;
    if (*p == 0) {
      // The empty string stands for the NUL character.
      if (traits.translate(*ptr, icase)) {
        ++p;
        continue;
      }
      return set->isnot ? next : (ptr == next) ? ++next : ptr;
    }
    while (*p && ptr != last) {
      if (traits.translate(*ptr, icase) != *p) break;
      ++p;
      ++ptr;
    }
    if (*p == 0) return set->isnot ? next : (ptr == next) ? ++next : ptr;
    while (*p) ++p;
    ++p;
  }

  const wchar_t col = traits.translate(*next, icase);
  if (set->cranges || set->cequivalents) {
    if (set->cranges) {
      if ((e.m_flags & boost::regex_constants::collate) == 0) {
        for (unsigned i = 0; i < set->cranges; ++i) {
          if (CompareOne(col, p) >= 0) {
            do { ++p; } while (*p);
            ++p;
            if (CompareOne(col, p) <= 0) return set->isnot ? next : ++next;
          } else {
            do { ++p; } while (*p);
            ++p;
          }
          do { ++p; } while (*p);
          ++p;
        }
      } else {
        const wchar_t a[2] = {col, 0};
        const std::wstring s1 = traits.transform(a, a + 1);
        for (unsigned i = 0; i < set->cranges; ++i) {
          if (boost::BOOST_REGEX_DETAIL_NS::string_compare(s1, p) >= 0) {
            do { ++p; } while (*p);
            ++p;
            if (boost::BOOST_REGEX_DETAIL_NS::string_compare(s1, p) <= 0) {
              return set->isnot ? next : ++next;
            }
          } else {
            do { ++p; } while (*p);
            ++p;
          }
          do { ++p; } while (*p);
          ++p;
        }
      }
    }
    if (set->cequivalents) {
      const wchar_t a[2] = {col, 0};
      const std::wstring s1 = traits.transform_primary(a, a + 1);
      for (unsigned i = 0; i < set->cequivalents; ++i) {
        if (boost::BOOST_REGEX_DETAIL_NS::string_compare(s1, p) == 0) {
          return set->isnot ? next : ++next;
        }
        do { ++p; } while (*p);
        ++p;
      }
    }
  }
  if (traits.isctype(col, set->cclasses)) return set->isnot ? next : ++next;
  if (set->cnclasses != 0 && !traits.isctype(col, set->cnclasses)) {
    return set->isnot ? next : ++next;
  }
  return set->isnot ? ++next : next;
}
