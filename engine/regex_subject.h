// Iterators that let the regular expression library read UTF-16 text in place where
// wchar_t is 32 bits wide, each position yielding the character the library expects.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string_view>

inline bool IsHighSurrogateUnit(uint32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
inline bool IsLowSurrogateUnit(uint32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Every unit as one character. Right for text without surrogates, where units and code
// points are the same; random access, like the pointer it wraps.
class UnitIterator {
 public:
  using iterator_category = std::random_access_iterator_tag;
  using value_type = wchar_t;
  using difference_type = std::ptrdiff_t;
  using pointer = const wchar_t*;
  using reference = wchar_t;

  UnitIterator() = default;
  explicit UnitIterator(const char16_t* unit) : unit_(unit) {}
  const char16_t* unit() const { return unit_; }

  wchar_t operator*() const { return static_cast<wchar_t>(*unit_); }
  wchar_t operator[](difference_type n) const { return static_cast<wchar_t>(unit_[n]); }
  UnitIterator& operator++() { ++unit_; return *this; }
  UnitIterator operator++(int) { UnitIterator old = *this; ++unit_; return old; }
  UnitIterator& operator--() { --unit_; return *this; }
  UnitIterator operator--(int) { UnitIterator old = *this; --unit_; return old; }
  UnitIterator& operator+=(difference_type n) { unit_ += n; return *this; }
  UnitIterator& operator-=(difference_type n) { unit_ -= n; return *this; }
  friend UnitIterator operator+(UnitIterator i, difference_type n) { return i += n; }
  friend UnitIterator operator+(difference_type n, UnitIterator i) { return i += n; }
  friend UnitIterator operator-(UnitIterator i, difference_type n) { return i -= n; }
  friend difference_type operator-(UnitIterator a, UnitIterator b) { return a.unit_ - b.unit_; }
  friend bool operator==(UnitIterator a, UnitIterator b) { return a.unit_ == b.unit_; }
  friend auto operator<=>(UnitIterator a, UnitIterator b) { return a.unit_ <=> b.unit_; }

 private:
  const char16_t* unit_ = nullptr;
};

// Code points: a surrogate pair is one character, a lone surrogate is its own unit's
// value. Steps back the same way it steps forward, as a high surrogate always pairs with
// a low one behind it. Bidirectional; it knows the text's bounds so as never to read
// outside them.
class PointIterator {
 public:
  using iterator_category = std::bidirectional_iterator_tag;
  using value_type = wchar_t;
  using difference_type = std::ptrdiff_t;
  using pointer = const wchar_t*;
  using reference = wchar_t;

  PointIterator() = default;
  PointIterator(const char16_t* first, const char16_t* unit, const char16_t* last)
      : first_(first), unit_(unit), last_(last) {}
  const char16_t* unit() const { return unit_; }

  wchar_t operator*() const {
    const uint32_t unit = *unit_;
    if (IsHighSurrogateUnit(unit) && unit_ + 1 != last_ && IsLowSurrogateUnit(unit_[1])) {
      return static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) + (unit_[1] - 0xDC00u));
    }
    return static_cast<wchar_t>(unit);
  }
  PointIterator& operator++() {
    if (IsHighSurrogateUnit(*unit_) && unit_ + 1 != last_ && IsLowSurrogateUnit(unit_[1])) {
      unit_ += 2;
    } else {
      ++unit_;
    }
    return *this;
  }
  PointIterator operator++(int) { PointIterator old = *this; ++*this; return old; }
  PointIterator& operator--() {
    --unit_;
    if (IsLowSurrogateUnit(*unit_) && unit_ != first_ && IsHighSurrogateUnit(unit_[-1])) {
      --unit_;
    }
    return *this;
  }
  PointIterator operator--(int) { PointIterator old = *this; --*this; return old; }
  friend bool operator==(const PointIterator& a, const PointIterator& b) {
    return a.unit_ == b.unit_;
  }

 private:
  const char16_t* first_ = nullptr;
  const char16_t* unit_ = nullptr;
  const char16_t* last_ = nullptr;
};
