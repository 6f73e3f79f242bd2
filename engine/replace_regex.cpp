#include "engine/replace_regex.h"

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <string>

#include "engine/large_buffer.h"

namespace {

// Where wchar_t holds UTF-16 units the library reads the text as it stands; where it holds
// 32 bits, it is handed code points so that a pair is one character to it.
constexpr bool kWideIsUtf16 = sizeof(wchar_t) == 2;

bool IsHighSurrogate(uint32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(uint32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Pairs become one code point; a lone surrogate is kept as its own value, so that encoding
// the code points again gives back the very same units.
std::wstring CodePointsOf(std::u16string_view units) {
  std::wstring points;
  points.reserve(units.size());
  const size_t size = units.size();
  for (size_t i = 0; i < size; ++i) {
    uint32_t point = units[i];
    if (IsHighSurrogate(point) && i + 1 < size && IsLowSurrogate(units[i + 1])) {
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

// Takes the library's output character by character and compares it with the original
// text while they agree, so that a result equal to the text is never built; from the
// first difference on it holds the result.
class ResultBuilder {
 public:
  // A result longer than the original may hold no more units than HeldLimit().
  explicit ResultBuilder(std::u16string_view original)
      : original_(original), most_(std::max<uint64_t>(HeldLimit(), original.size())) {}

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

  // True when the output differs from the original; result() then holds it.
  bool Finish() {
    if (!diverged_ && agreed_ != original_.size()) Diverge();
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
    if (result_.size() >= most_) throw TooLargeError("replacement result too large");
    result_.push_back(unit);
  }

  void Diverge() {
    diverged_ = true;
    result_.reserve(original_.size());
    result_.assign(original_.substr(0, agreed_));
  }

  std::u16string_view original_;
  size_t agreed_ = 0;
  uint64_t most_;
  bool diverged_ = false;
  WideText result_;
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

}  // namespace

std::shared_ptr<const CompiledPattern> CompilePattern(std::u16string_view pattern,
                                                      bool ignoreCase) {
  auto compiled = std::make_shared<CompiledPattern>();
  boost::regex_constants::syntax_option_type syntax = boost::regex_constants::normal;
  if (ignoreCase) syntax |= boost::regex_constants::icase;
  compiled->expression.assign(LibraryTextOf(pattern), syntax);
  return compiled;
}

bool ReplaceByPattern(WideText& text, const CompiledPattern& pattern,
                      std::u16string_view format, uint32_t matchOptions) {
  const std::wstring libraryFormat = LibraryTextOf(format);
  // match_any lets the library stop at the first match it meets, and for that it runs
  // greedy repeats lazily: \d+ would take one digit and (\w+)@(\w+) only one letter after
  // the @. Expressions are read as Perl reads them, so the flag is left out here.
  const auto flags = static_cast<boost::regex_constants::match_flag_type>(
      matchOptions & ~static_cast<uint32_t>(boost::regex_constants::match_any));
  ResultBuilder builder(text);
  std::wstring points;  // the subject as code points, where wchar_t is 32 bits wide
  const wchar_t* first;
  if constexpr (kWideIsUtf16) {
    first = reinterpret_cast<const wchar_t*>(text.data());
  } else {
    points = CodePointsOf(text);
    first = points.data();
  }
  const wchar_t* last = first + (kWideIsUtf16 ? text.size() : points.size());
  boost::regex_replace(ResultIterator(&builder), first, last, pattern.expression,
                       libraryFormat, flags);
  if (!builder.Finish()) return false;
  text.swap(builder.result());
  return true;
}
