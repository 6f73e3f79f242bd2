// The regular expression of a run, compiled once and shared by all its files.
#pragma once

#include <boost/regex.hpp>

#include "engine/regex_start_filter.h"
#include "engine/regex_traits.h"

struct CompiledPattern {
  // The platform's default wide traits with tables for ASCII; on 32-bit wchar_t
  // platforms the expression holds code points, on 16-bit ones UTF-16 units.
  using Expression = boost::basic_regex<wchar_t, PatternTraits>;
  Expression expression;
  // The characters a match can start with, when they could be told from the expression.
  StartFilter start;
};
