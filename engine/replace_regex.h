// Replacement by regular expression, on UTF-16 text whatever the width of wchar_t.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "core/wide_text.h"
#include "engine/compiled_pattern.h"

// Compiles pattern, whole, with the default Perl syntax (plus icase when ignoreCase).
// Throws boost::regex_error for an expression that cannot be compiled.
std::shared_ptr<const CompiledPattern> CompilePattern(std::u16string_view pattern,
                                                      bool ignoreCase);

// Replaces every match of pattern in text by the expansion of format (Perl format syntax),
// with matchOptions as the library's match flags. Returns true and rewrites text when the
// result differs from it; otherwise text is left as it was, and nothing is copied. Errors
// of the library (complexity, memory) propagate, and text is then untouched; so does
// TooLargeError, for a result that would grow past HeldLimit() units.
bool ReplaceByPattern(WideText& text, const CompiledPattern& pattern,
                      std::u16string_view format, uint32_t matchOptions);

// How the library reads the text where wchar_t is 32 bits wide (where it is 16 bits wide,
// it reads the units in place whatever is asked):
//   kUnits   each unit in place, as a character: for text without surrogates;
//   kPoints  code points decoded in place as the library walks the text;
//   kCopy    a copy of the text as code points.
// All three give the same result wherever they may be used; ChooseSubjectRoad picks the
// cheapest one that keeps the library's bound on the work of a match as it was.
enum class SubjectRoad { kUnits, kPoints, kCopy };
SubjectRoad ChooseSubjectRoad(std::u16string_view text);

// ReplaceByPattern on the given road (kUnits only for text without surrogates).
bool ReplaceByPattern(WideText& text, const CompiledPattern& pattern,
                      std::u16string_view format, uint32_t matchOptions, SubjectRoad road);

// Where the result of ReplaceByPatternInPieces goes as it is made.
class ReplacementOutput {
 public:
  virtual ~ReplacementOutput() = default;
  // The next units of the result; they may be changed. False to stop the replacement.
  virtual bool Take(WideText& units) = 0;
};

// ReplaceByPattern that leaves text as it is and hands the result to output in pieces of
// about pieceUnits units, the first one only once the result is known to differ from
// text, so that a replacement that changes nothing hands on nothing. True when the result
// differs: output has then had all of it, unless it stopped the replacement. Errors
// propagate as from ReplaceByPattern, once output may have had part of the result.
bool ReplaceByPatternInPieces(std::u16string_view text, const CompiledPattern& pattern,
                              std::u16string_view format, uint32_t matchOptions,
                              size_t pieceUnits, ReplacementOutput& output);
