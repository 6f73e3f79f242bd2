#include "core/ascii_case.h"

namespace {

template <class Unit>
Unit FoldAscii(Unit c) {
  return c >= Unit{'A'} && c <= Unit{'Z'} ? static_cast<Unit>(c + (Unit{'a'} - Unit{'A'})) : c;
}

template <class Unit>
bool EqualsFolded(std::basic_string_view<Unit> a, std::basic_string_view<Unit> b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

}  // namespace

bool EqualsIgnoringAsciiCase(std::u16string_view a, std::u16string_view b) {
  return EqualsFolded(a, b);
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return EqualsFolded(a, b);
}
