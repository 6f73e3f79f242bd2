// The characters a match of an expression can start with, found from the expression's text,
// so that the search can skip the text no match can start in without asking the library at
// every position. Only expressions of a shape read here get a filter: a first element that
// is a character, a class escape (\d, \w, \s and their negations) or a bracket expression,
// repeated at least once, and nothing after it that could move the start of a match
// elsewhere or let it match an empty string. Anything else gets no filter.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

class PatternTraits;

struct StartFilter {
  // False: no filter, every position is a candidate.
  bool active = false;
  // For ASCII characters, whether a match may start with it; every character beyond ASCII
  // may start one when nonAscii is set, none when it is not.
  std::array<bool, 128> ascii{};
  bool nonAscii = false;

  bool Admits(uint32_t character) const {
    return character < 128 ? ascii[character] : nonAscii;
  }
};

// The filter of pattern (in the library's characters: UTF-16 units or code points) as it is
// compiled with the default Perl syntax, case-sensitively; an inactive one when ignoreCase
// or when the pattern is not of a shape read here. traits answers class membership.
StartFilter FindStartFilter(std::wstring_view pattern, bool ignoreCase,
                            const PatternTraits& traits);
