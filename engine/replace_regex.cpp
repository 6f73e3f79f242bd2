#include "engine/replace_regex.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <iterator>
#include <string>

#include "engine/large_buffer.h"
#include "engine/regex_subject.h"

namespace {

// Where wchar_t holds UTF-16 units the library reads the text as it stands; where it holds
// 32 bits, it is handed code points so that a pair is one character to it.
constexpr bool kWideIsUtf16 = sizeof(wchar_t) == 2;

// Pairs become one code point; a lone surrogate is kept as its own value, so that encoding
// the code points again gives back the very same units.
std::wstring CodePointsOf(std::u16string_view units) {
  std::wstring points;
  points.reserve(units.size());
  const size_t size = units.size();
  for (size_t i = 0; i < size; ++i) {
    uint32_t point = units[i];
    if (IsHighSurrogateUnit(point) && i + 1 < size && IsLowSurrogateUnit(units[i + 1])) {
      point = 0x10000 + ((point - 0xD800) << 10) + (units[i + 1] - 0xDC00u);
      ++i;
    }
    points.push_back(static_cast<wchar_t>(point));
  }
  return points;
}

// Pattern and format text as the library reads them.
std::wstring LibraryTextOf(std::u16string_view units) {
  if constexpr (kWideIsUtf16) {
    return std::wstring(units.begin(), units.end());
  } else {
    return CodePointsOf(units);
  }
}

// Thrown through the library when a replacement's output takes no more: the search stops
// there.
struct OutputRefused {};

// Takes the library's output character by character and compares it with the original
// text while they agree, so that a result equal to the text is never built; from the
// first difference on it holds the result, or with an output, hands it on in pieces.
class ResultBuilder {
 public:
  // A result longer than the original may hold no more units than HeldLimit().
  explicit ResultBuilder(std::u16string_view original)
      : original_(original), most_(std::max<uint64_t>(HeldLimit(), original.size())) {}

  // The result goes to output in pieces of pieceUnits (at least one) instead.
  ResultBuilder(std::u16string_view original, ReplacementOutput& output, size_t pieceUnits)
      : ResultBuilder(original) {
    output_ = &output;
    pieceUnits_ = std::max<size_t>(pieceUnits, 1);
  }

  void PutCharacter(wchar_t character) {
    const uint32_t point = static_cast<uint32_t>(character);
    if (point < 0x10000) {
      PutUnit(static_cast<char16_t>(point));
    } else if (point <= 0x10FFFF) {
      PutUnit(static_cast<char16_t>(0xD800 + ((point - 0x10000) >> 10)));
      PutUnit(static_cast<char16_t>(0xDC00 + (point & 0x3FF)));
    } else {
      PutUnit(u'\xFFFD');  // beyond Unicode: only a format escape can produce it
    }
  }

  // Puts the original's units [from, to): while the output still agrees with the original
  // and these units are the very ones next in it, nothing is compared or copied.
  void PutOriginal(size_t from, size_t to) {
    if (!diverged_) {
      if (agreed_ == from) {
        agreed_ = to;
        return;
      }
      for (; from < to; ++from) PutUnit(original_[from]);
      return;
    }
    if (handed_ + result_.size() + (to - from) > most_) {
      throw TooLargeError("replacement result too large");
    }
    if (!output_) {
      result_.append(original_.substr(from, to - from));
      return;
    }
    while (from < to) {
      const size_t take = std::min(to - from, pieceUnits_ - result_.size());
      result_.append(original_.substr(from, take));
      from += take;
      if (result_.size() == pieceUnits_) HandOn();
    }
  }

  // True when the output differs from the original; result() then holds it, or the
  // output has had all of it.
  bool Finish() {
    if (!diverged_ && agreed_ != original_.size()) Diverge();
    if (diverged_ && output_ && !result_.empty()) HandOn();
    return diverged_;
  }
  WideText& result() { return result_; }

 private:
  void PutUnit(char16_t unit) {
    if (!diverged_) {
      if (agreed_ < original_.size() && original_[agreed_] == unit) {
        ++agreed_;
        return;
      }
      Diverge();
    }
    if (handed_ + result_.size() >= most_) throw TooLargeError("replacement result too large");
    result_.push_back(unit);
    if (result_.size() == pieceUnits_) HandOn();
  }

  void Diverge() {
    diverged_ = true;
    if (!output_) {
      result_.reserve(original_.size());
      result_.assign(original_.substr(0, agreed_));
      return;
    }
    result_.reserve(pieceUnits_);
    PutOriginal(0, agreed_);
  }

  void HandOn() {
    handed_ += result_.size();
    if (!output_->Take(result_)) throw OutputRefused();
    result_.clear();
  }

  std::u16string_view original_;
  size_t agreed_ = 0;
  uint64_t most_;
  bool diverged_ = false;
  WideText result_;
  ReplacementOutput* output_ = nullptr;
  size_t pieceUnits_ = SIZE_MAX;  // never reached without an output
  uint64_t handed_ = 0;           // units the output has taken
};

class ResultIterator {
 public:
  using iterator_category = std::output_iterator_tag;
  using value_type = void;
  using difference_type = std::ptrdiff_t;
  using pointer = void;
  using reference = void;

  explicit ResultIterator(ResultBuilder* builder) : builder_(builder) {}
  ResultIterator& operator*() { return *this; }
  ResultIterator& operator=(wchar_t character) {
    builder_->PutCharacter(character);
    return *this;
  }
  ResultIterator& operator++() { return *this; }
  ResultIterator operator++(int) { return *this; }

 private:
  ResultBuilder* builder_;
};

// Where in the original text an iterator of the subject stands, in units.
[[maybe_unused]] size_t UnitIndex(const char16_t* first, UnitIterator at) {
  return at.unit() - first;
}
[[maybe_unused]] size_t UnitIndex(const char16_t* first, const PointIterator& at) {
  return at.unit() - first;
}
[[maybe_unused]] size_t UnitIndex(const char16_t* first, const wchar_t* at) {
  return reinterpret_cast<const char16_t*>(at) - first;
}

// The library's regex_replace, with the text between matches (and behind the last) taken
// from the original units as a whole rather than character by character.
template <class Iterator>
void ReplaceMatches(ResultBuilder& builder, const char16_t* units, Iterator first,
                    Iterator last, const CompiledPattern::Expression& expression,
                    std::wstring_view format, boost::regex_constants::match_flag_type flags) {
  using boost::regex_constants::format_first_only;
  using boost::regex_constants::format_no_copy;
  boost::regex_iterator<Iterator, wchar_t, PatternTraits> match(first, last, expression, flags);
  const boost::regex_iterator<Iterator, wchar_t, PatternTraits> end;
  Iterator copied = first;  // the end of the last match
  for (; match != end; ++match) {
    if (!(flags & format_no_copy)) {
      builder.PutOriginal(UnitIndex(units, match->prefix().first),
                          UnitIndex(units, match->prefix().second));
    }
    match->format(ResultIterator(&builder), format, flags, expression);
    copied = (*match)[0].second;
    if (flags & format_first_only) break;
  }
  if (!(flags & format_no_copy)) {
    builder.PutOriginal(UnitIndex(units, copied), UnitIndex(units, last));
  }
}

// The library searches by trying a match at every position whose character its map of
// first characters admits; for some expressions (a counted repeat of a class, as in
// [0-9]{3}) the map it makes admits every character. Taking out of it the characters the
// filter shows no match can start with leaves the search exactly as it was, every match
// found where it was found, and only spares the attempts that were bound to fail. The map
// is the expression's own, made once when it is compiled, before any search reads it.
void NarrowStartMap(CompiledPattern::Expression& expression, const StartFilter& filter) {
  constexpr unsigned char kAttempt = boost::BOOST_REGEX_DETAIL_NS::mask_any;
  auto* map = const_cast<unsigned char*>(expression.get_map());
  for (unsigned c = 0; c < 256; ++c) {
    if (!filter.Admits(c)) map[c] &= static_cast<unsigned char>(~kAttempt);
  }
}

}  // namespace

std::shared_ptr<const CompiledPattern> CompilePattern(std::u16string_view pattern,
                                                      bool ignoreCase) {
  auto compiled = std::make_shared<CompiledPattern>();
  boost::regex_constants::syntax_option_type syntax = boost::regex_constants::normal;
  if (ignoreCase) syntax |= boost::regex_constants::icase;
  const std::wstring libraryPattern = LibraryTextOf(pattern);
  compiled->expression.assign(libraryPattern, syntax);
  compiled->start =
      FindStartFilter(libraryPattern, ignoreCase, compiled->expression.get_traits());
  if (compiled->start.active) NarrowStartMap(compiled->expression, compiled->start);
  return compiled;
}

SubjectRoad ChooseSubjectRoad(std::u16string_view text) {
  if constexpr (kWideIsUtf16) return SubjectRoad::kUnits;
  // Most texts hold no surrogate at all: look at four units at once for one.
  const size_t size = text.size();
  bool surrogates = false;
  size_t i = 0;
  constexpr uint64_t kLanes = 0x0001000100010001u;
  for (; i + 4 <= size && !surrogates; i += 4) {
    uint64_t four;
    std::memcpy(&four, text.data() + i, sizeof four);
    // A lane is zero exactly where its unit is a surrogate (0xD800 to 0xDFFF).
    const uint64_t lanes = (four & (0xF800 * kLanes)) ^ (0xD800 * kLanes);
    surrogates = ((lanes - kLanes) & ~lanes & (0x8000 * kLanes)) != 0;
  }
  for (; i < size && !surrogates; ++i) surrogates = (text[i] & 0xF800u) == 0xD800u;
  if (!surrogates) return SubjectRoad::kUnits;
  size_t points = size;
  for (size_t i = 0; i + 1 < size; ++i) {
    if (IsHighSurrogateUnit(text[i]) && IsLowSurrogateUnit(text[i + 1])) {
      --points;
      ++i;
    }
  }
  // The library bounds the work of a match by the length of a subject it can measure at
  // once (at least the square of it, at most a fixed ceiling); a subject it can only walk
  // gets the ceiling. Only where the length reaches the ceiling anyway is walking the
  // same; a shorter text is copied as code points, which costs little at that size.
  constexpr uint64_t kCeiling = BOOST_REGEX_MAX_STATE_COUNT;
  constexpr uint64_t kLeast = 100000;  // the library's allowance on top of the square
  if (points >= (uint64_t{1} << 32) || points * points + kLeast >= kCeiling) {
    return SubjectRoad::kPoints;
  }
  return SubjectRoad::kCopy;
}

bool ReplaceByPattern(WideText& text, const CompiledPattern& pattern,
                      std::u16string_view format, uint32_t matchOptions) {
  return ReplaceByPattern(text, pattern, format, matchOptions, ChooseSubjectRoad(text));
}

namespace {

// Every match of pattern in text replaced into builder, the library reading the text the
// way road says.
void RunReplacement(ResultBuilder& builder, std::u16string_view text,
                    const CompiledPattern& pattern, std::u16string_view format,
                    uint32_t matchOptions, SubjectRoad road) {
  const std::wstring libraryFormat = LibraryTextOf(format);
  // A view, so that the library reads the format through plain pointers: through the
  // string's own iterators it copies each number of the format ($1) into a vector of
  // its own on every match before reading it.
  const std::wstring_view formatView(libraryFormat);
  // match_any lets the library stop at the first match it meets, and for that it runs
  // greedy repeats lazily: \d+ would take one digit and (\w+)@(\w+) only one letter after
  // the @. Expressions are read as Perl reads them, so the flag is left out here.
  const auto flags = static_cast<boost::regex_constants::match_flag_type>(
      matchOptions & ~static_cast<uint32_t>(boost::regex_constants::match_any));
  const char16_t* first = text.data();
  const char16_t* last = first + text.size();
  if constexpr (kWideIsUtf16) {
    ReplaceMatches(builder, first, reinterpret_cast<const wchar_t*>(first),
                   reinterpret_cast<const wchar_t*>(last), pattern.expression, formatView, flags);
  } else if (road == SubjectRoad::kUnits) {
    ReplaceMatches(builder, first, UnitIterator(first), UnitIterator(last), pattern.expression,
                   formatView, flags);
  } else if (road == SubjectRoad::kPoints) {
    ReplaceMatches(builder, first, PointIterator(first, first, last),
                   PointIterator(first, last, last), pattern.expression, formatView, flags);
  } else {
    const std::wstring points = CodePointsOf(text);
    boost::regex_replace(ResultIterator(&builder), points.data(), points.data() + points.size(),
                         pattern.expression, formatView, flags);
  }
}

}  // namespace

bool ReplaceByPattern(WideText& text, const CompiledPattern& pattern,
                      std::u16string_view format, uint32_t matchOptions, SubjectRoad road) {
  ResultBuilder builder(text);
  RunReplacement(builder, text, pattern, format, matchOptions, road);
  if (!builder.Finish()) return false;
  text.swap(builder.result());
  return true;
}

bool ReplaceByPatternInPieces(std::u16string_view text, const CompiledPattern& pattern,
                              std::u16string_view format, uint32_t matchOptions,
                              size_t pieceUnits, ReplacementOutput& output) {
  ResultBuilder builder(text, output, pieceUnits);
  try {
    RunReplacement(builder, text, pattern, format, matchOptions, ChooseSubjectRoad(text));
    return builder.Finish();
  } catch (const OutputRefused&) {
    return true;
  }
}
