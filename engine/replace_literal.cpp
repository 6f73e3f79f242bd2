#include "engine/replace_literal.h"

#include <algorithm>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/find_unit.h"
#include "engine/large_buffer.h"
#include "engine/replace_text.h"

namespace {

struct SameUnit {
  char16_t operator()(char16_t c) const { return c; }
  // The units that fold to c.
  char16_t Other(char16_t c) const { return c; }
};

// Folds A-Z to a-z and nothing else: no full-width, accented or Greek letters.
struct FoldAsciiUnit {
  char16_t operator()(char16_t c) const {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + (u'a' - u'A')) : c;
  }
  char16_t Other(char16_t c) const {
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - (u'a' - u'A')) : c;
  }
};

// Knuth-Morris-Pratt over folded units: linear in text plus pattern whatever they hold.
template <class Fold>
class LiteralFinder {
 public:
  LiteralFinder(std::u16string_view search, Fold fold)
      : fold_(fold), pattern_(search.size(), u'\0'), border_(search.size() + 1, 0) {
    std::transform(search.begin(), search.end(), pattern_.begin(), fold_);
    for (size_t i = 1, k = 0; i < pattern_.size(); ++i) {
      while (k > 0 && pattern_[i] != pattern_[k]) k = border_[k];
      if (pattern_[i] == pattern_[k]) ++k;
      border_[i + 1] = k;
    }
  }

  // Calls onHit(start) for each occurrence, leftmost first, the next one searched behind
  // the end of the last. Reads data[i] only after onHit has been told of every occurrence
  // that ends before i, so onHit may rewrite data up to the end of the occurrence.
  template <class OnHit>
  void Scan(const char16_t* data, size_t size, OnHit&& onHit) const {
    const size_t length = pattern_.size();
    const char16_t first = pattern_[0];
    const char16_t firstOther = fold_.Other(first);
    size_t matched = 0;
    for (size_t i = 0; i < size; ++i) {
      if (matched == 0) {
        // Skip to the next unit that can start an occurrence.
        i = static_cast<size_t>(FindEitherUnit(data + i, data + size, first, firstOther) - data);
        if (i == size) break;
      }
      const char16_t c = fold_(data[i]);
      while (matched > 0 && c != pattern_[matched]) matched = border_[matched];
      if (c == pattern_[matched]) ++matched;
      if (matched == length) {
        onHit(i + 1 - length);
        matched = 0;  // occurrences never overlap
      }
    }
  }

 private:
  Fold fold_;
  std::u16string pattern_;
  std::vector<size_t> border_;
};

template <class Fold>
bool ReplaceOccurrences(WideText& subject, std::u16string_view search,
                        std::u16string_view replacement, Fold fold) {
  using Units = std::char_traits<char16_t>;
  const LiteralFinder<Fold> finder(search, fold);
  const size_t size = subject.size();
  const size_t searchLength = search.size();
  const size_t replacementLength = replacement.size();
  char16_t* data = subject.data();

  if (replacementLength == searchLength) {
    // Overwrite in place; an occurrence already equal to the replacement (ignoring case
    // it may be) changes nothing.
    bool changed = false;
    finder.Scan(data, size, [&](size_t start) {
      if (!std::equal(replacement.begin(), replacement.end(), data + start)) {
        Units::copy(data + start, replacement.data(), replacementLength);
        changed = true;
      }
    });
    return changed;
  }

  if (replacementLength < searchLength) {
    // Compact in place: what is written never reaches beyond the occurrence just found.
    size_t written = 0;
    size_t copied = 0;
    finder.Scan(data, size, [&](size_t start) {
      Units::move(data + written, data + copied, start - copied);
      written += start - copied;
      Units::copy(data + written, replacement.data(), replacementLength);
      written += replacementLength;
      copied = start + searchLength;
    });
    if (copied == 0) return false;  // no occurrence (an occurrence ends at 1 or later)
    Units::move(data + written, data + copied, size - copied);
    subject.resize(written + size - copied);
    return true;
  }

  // The text grows: count, then build the result once at its final size.
  size_t hits = 0;
  finder.Scan(data, size, [&](size_t) { ++hits; });
  if (hits == 0) return false;
  const size_t growth = replacementLength - searchLength;
  if (growth > (std::numeric_limits<size_t>::max() - size) / hits) {
    throw std::length_error("replacement result too large");
  }
  const size_t newSize = size + hits * growth;
  if (newSize <= subject.capacity()) {
    // The text has the room already (decoding reserves one unit per byte read): shift it
    // to the end of its final size and build the result from the front, over the part
    // already read. Fresh memory would cost more to claim than the one extra move.
    const size_t shift = newSize - size;
    subject.resize(newSize);
    char16_t* const base = subject.data();
    Units::move(base + shift, base, size);
    const char16_t* const moved = base + shift;
    size_t written = 0;
    size_t copied = 0;
    finder.Scan(moved, size, [&](size_t start) {
      // Before hit k, written = copied + growth * k <= copied + shift: the writes stay
      // behind what the scan has read.
      Units::move(base + written, moved + copied, start - copied);
      written += start - copied;
      Units::copy(base + written, replacement.data(), replacementLength);
      written += replacementLength;
      copied = start + searchLength;
    });
    // The rest after the last occurrence already stands where it belongs: written has
    // caught up with shift + copied.
    return true;
  }
  WideText result;
  ReserveLarge(result, newSize);
  const char16_t* replacementData = replacement.data();
  size_t copied = 0;
  finder.Scan(data, size, [&](size_t start) {
    result.append(data + copied, start - copied);
    result.append(replacementData, replacementLength);
    copied = start + searchLength;
  });
  result.append(data + copied, size - copied);
  subject.swap(result);
  return true;
}

}  // namespace

bool ReplaceLiteralOccurrences(WideText& subject, std::u16string_view search,
                               std::u16string_view replacement, bool ignoreCase) {
  if (search.empty() || subject.size() < search.size()) return false;
  if (ignoreCase) return ReplaceOccurrences(subject, search, replacement, FoldAsciiUnit{});
  return ReplaceOccurrences(subject, search, replacement, SameUnit{});
}

void ReplaceLiteral(WideText& subject, std::u16string_view search,
                    std::u16string_view replacement, bool ignoreCase) {
  ReplaceLiteralOccurrences(subject, search, replacement, ignoreCase);
}
