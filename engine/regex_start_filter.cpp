#include "engine/regex_start_filter.h"

#include <cstddef>

#include "engine/regex_traits.h"

namespace {

using Mask = PatternTraits::char_class_type;

// Characters with a meaning of their own outside a bracket expression.
constexpr std::wstring_view kSpecial = L"\\^$.|?*+()[]{}";
// Characters that, escaped, stand for themselves (other escaped punctuation, such as \< or
// \`, is an assertion to the library).
constexpr std::wstring_view kQuotable = L".\\^$|?*+()[]{}/-";

bool IsIn(std::wstring_view set, wchar_t c) { return set.find(c) != std::wstring_view::npos; }

class Reader {
 public:
  Reader(std::wstring_view pattern, const PatternTraits& traits)
      : pattern_(pattern), traits_(traits) {}

  // Reads the first element and its repeat; false when they are not of the shape read
  // here or may match nothing.
  bool ReadFirst(StartFilter& filter) {
    if (AtEnd()) return false;
    const wchar_t c = pattern_[at_];
    if (c == L'[') {
      if (!ReadBracket(filter)) return false;
    } else if (c == L'\\') {
      if (at_ + 1 >= pattern_.size()) return false;
      const wchar_t escaped = pattern_[at_ + 1];
      Mask mask = 0;
      bool negated = false;
      if (ClassEscape(escaped, &mask, &negated)) {
        AddClass(filter, mask, negated);
      } else if (IsIn(kQuotable, escaped)) {
        AddCharacter(filter, escaped);
      } else {
        return false;
      }
      at_ += 2;
    } else if (!IsIn(kSpecial, c)) {
      AddCharacter(filter, c);
      ++at_;
    } else {
      return false;
    }
    return ReadRepeatOfOneOrMore();
  }

  // Looks through the rest for what could move the start of a match, let it start with
  // another element or compile differently from the way it was read: alternatives,
  // groups with options or assertions ((?...), (*...)), \G, \K and quoted text \Q.
  bool RestKeepsStart() {
    while (!AtEnd()) {
      const wchar_t c = pattern_[at_];
      if (c == L'\\') {
        if (at_ + 1 >= pattern_.size()) return false;
        if (IsIn(L"GKQ", pattern_[at_ + 1])) return false;
        at_ += 2;
      } else if (c == L'[') {
        StartFilter ignored;
        if (!ReadBracket(ignored)) return false;
      } else if (c == L'|') {
        return false;
      } else if (c == L'(') {
        if (at_ + 1 < pattern_.size() && IsIn(L"?*", pattern_[at_ + 1])) return false;
        ++at_;
      } else {
        ++at_;
      }
    }
    return true;
  }

 private:
  bool AtEnd() const { return at_ >= pattern_.size(); }

  bool ClassEscape(wchar_t letter, Mask* mask, bool* negated) const {
    wchar_t lower = letter;
    *negated = false;
    if (letter == L'D' || letter == L'W' || letter == L'S') {
      lower = static_cast<wchar_t>(letter - L'A' + L'a');
      *negated = true;
    } else if (letter != L'd' && letter != L'w' && letter != L's') {
      return false;
    }
    *mask = traits_.lookup_classname(&lower, &lower + 1);
    return *mask != 0;
  }

  // The ASCII characters in (or, negated, out of) the class; beyond ASCII, any may be.
  void AddClass(StartFilter& filter, Mask mask, bool negated) const {
    for (unsigned c = 0; c < 128; ++c) {
      if (traits_.isctype(static_cast<wchar_t>(c), mask) != negated) filter.ascii[c] = true;
    }
    filter.nonAscii = true;
  }

  static void AddCharacter(StartFilter& filter, wchar_t c) {
    const uint32_t point = static_cast<uint32_t>(c);
    if (point < 128) {
      filter.ascii[point] = true;
    } else {
      filter.nonAscii = true;
    }
  }

  static void AddRange(StartFilter& filter, wchar_t from, wchar_t to) {
    const uint32_t first = static_cast<uint32_t>(from);
    const uint32_t last = static_cast<uint32_t>(to);
    for (uint32_t c = first; c <= last && c < 128; ++c) filter.ascii[c] = true;
    if (last >= 128) filter.nonAscii = true;
  }

  // A bracket expression of single characters, ranges of plain characters, class escapes
  // and [:name:] classes, at at_ (its "["); leaves at_ behind its "]".
  bool ReadBracket(StartFilter& filter) {
    ++at_;
    bool negated = false;
    if (!AtEnd() && pattern_[at_] == L'^') {
      negated = true;
      ++at_;
    }
    StartFilter members;
    Mask negatedClasses = 0;
    bool first = true;
    while (true) {
      if (AtEnd()) return false;
      const wchar_t c = pattern_[at_];
      if (c == L']') {
        if (first) return false;  // a "]" of its own is not read here
        ++at_;
        break;
      }
      const bool leading = first;
      first = false;
      if (c == L'[') {
        if (at_ + 1 >= pattern_.size() || pattern_[at_ + 1] != L':') return false;
        const size_t close = pattern_.find(L":]", at_ + 2);
        if (close == std::wstring_view::npos || close == at_ + 2) return false;
        const std::wstring_view name = pattern_.substr(at_ + 2, close - (at_ + 2));
        if (name[0] == L'^') return false;
        const Mask mask = traits_.lookup_classname(name.data(), name.data() + name.size());
        if (mask == 0) return false;
        AddClass(members, mask, false);
        at_ = close + 2;
        continue;
      }
      if (c == L'\\') {
        if (at_ + 1 >= pattern_.size()) return false;
        const wchar_t escaped = pattern_[at_ + 1];
        Mask mask = 0;
        bool negatedClass = false;
        if (ClassEscape(escaped, &mask, &negatedClass)) {
          // The library takes the negated classes of a bracket together: it holds a
          // character that is in none of them ([\D\S] is neither digit nor space).
          if (negatedClass) {
            negatedClasses |= mask;
          } else {
            AddClass(members, mask, false);
          }
        } else if (IsIn(kQuotable, escaped)) {
          AddCharacter(members, escaped);
        } else {
          return false;
        }
        at_ += 2;
        // An escaped character as the start of a range is not read here.
        if (!AtEnd() && pattern_[at_] == L'-' && at_ + 1 < pattern_.size() &&
            pattern_[at_ + 1] != L']') {
          return false;
        }
        continue;
      }
      if (c == L'-') {
        // Only as the first member or the last one is a dash itself.
        if (!leading && (at_ + 1 >= pattern_.size() || pattern_[at_ + 1] != L']')) return false;
        AddCharacter(members, c);
        ++at_;
        continue;
      }
      if (at_ + 2 < pattern_.size() && pattern_[at_ + 1] == L'-' && pattern_[at_ + 2] != L']') {
        const wchar_t to = pattern_[at_ + 2];
        if (to == L'\\' || to == L'[' || to == L'-' || to < c) return false;
        AddRange(members, c, to);
        at_ += 3;
        // A range followed by a dash that is not the last member.
        if (!AtEnd() && pattern_[at_] == L'-' && at_ + 1 < pattern_.size() &&
            pattern_[at_ + 1] != L']') {
          return false;
        }
        continue;
      }
      AddCharacter(members, c);
      ++at_;
    }
    if (negatedClasses != 0) AddClass(members, negatedClasses, true);
    if (negated) {
      for (unsigned c = 0; c < 128; ++c) filter.ascii[c] = filter.ascii[c] || !members.ascii[c];
      filter.nonAscii = true;
    } else {
      for (unsigned c = 0; c < 128; ++c) filter.ascii[c] = filter.ascii[c] || members.ascii[c];
      filter.nonAscii = filter.nonAscii || members.nonAscii;
    }
    return true;
  }

  // No repeat, "+", or {n}, {n,} or {n,m} with n at least one.
  bool ReadRepeatOfOneOrMore() {
    if (AtEnd()) return true;
    const wchar_t c = pattern_[at_];
    if (c == L'*' || c == L'?') return false;
    if (c != L'{') return true;
    size_t i = at_ + 1;
    uint64_t least = 0;
    size_t digits = 0;
    while (i < pattern_.size() && pattern_[i] >= L'0' && pattern_[i] <= L'9' && digits < 9) {
      least = least * 10 + static_cast<uint64_t>(pattern_[i] - L'0');
      ++i;
      ++digits;
    }
    if (digits == 0 || least == 0 || i >= pattern_.size()) return false;
    if (pattern_[i] == L',') {
      ++i;
      while (i < pattern_.size() && pattern_[i] >= L'0' && pattern_[i] <= L'9') ++i;
    }
    if (i >= pattern_.size() || pattern_[i] != L'}') return false;
    at_ = i + 1;
    return true;
  }

  std::wstring_view pattern_;
  const PatternTraits& traits_;
  size_t at_ = 0;
};

}  // namespace

StartFilter FindStartFilter(std::wstring_view pattern, bool ignoreCase,
                            const PatternTraits& traits) {
  StartFilter filter;
  if (ignoreCase) return {};
  Reader reader(pattern, traits);
  if (!reader.ReadFirst(filter) || !reader.RestKeepsStart()) return {};
  filter.active = true;
  return filter;
}
