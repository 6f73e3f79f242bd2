// The regular expression of a run, compiled once and shared by all its files.
#pragma once

#include <boost/regex.hpp>

struct CompiledPattern {
  // The library's default wide traits; on 32-bit wchar_t platforms the expression holds
  // code points, on 16-bit ones UTF-16 units.
  boost::wregex expression;
};
