#include "engine/replace_literal.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "engine/find_unit.h"
#include "engine/large_buffer.h"
#include "engine/replace_text.h"
#include "engine/two_halves.h"

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

// Finds the search text among folded units, in time linear in text plus search text
// whatever they hold.
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
  // the end of the last. onHit may rewrite data before the end of the occurrence it is
  // told of: nothing there is looked at again.
  template <class OnHit>
  void Scan(const char16_t* data, size_t size, OnHit&& onHit) const {
    using namespace find_unit;
    const size_t length = pattern_.size();
    if (size < length) return;
    const size_t last = length - 1;
    size_t next = 0;  // where an occurrence may start: behind the last one
    size_t pos = 0;   // every start before pos has been looked at
    // 64 starts at a time (a loop over a mask per sixteen would guess wrong about its end
    // nearly every time where occurrences are dense): a start is a candidate when its
    // first and its last unit fit, and the candidates are checked in order. Checking
    // costs up to the length of the search text each, so when candidates that are no
    // occurrences pile up (a text of "aaaa" searched for "aab"), the rest goes to
    // Knuth-Morris-Pratt, which stays linear whatever the text holds.
    constexpr size_t kWindow = 64;
    const Units8 first = Units8{} + static_cast<uint16_t>(pattern_[0]);
    const Units8 firstOther = Units8{} + static_cast<uint16_t>(fold_.Other(pattern_[0]));
    const Units8 final = Units8{} + static_cast<uint16_t>(pattern_[last]);
    const Units8 finalOther = Units8{} + static_cast<uint16_t>(fold_.Other(pattern_[last]));
    auto fits = [&](size_t at) {
      const Units8 starts = Load(data + at);
      const Units8 ends = Load(data + at + last);
      return reinterpret_cast<Words2>(((starts == first) | (starts == firstOther)) &
                                      ((ends == final) | (ends == finalOther)));
    };
    size_t checked = 0;
    while (pos + last + kWindow <= size && checked <= 2 * pos + 4096) {
      uint64_t candidates = 0;
      for (size_t i = 0; i < kWindow; i += 16) {
        candidates |= uint64_t{LaneBits16(fits(pos + i), fits(pos + i + 8))} << i;
      }
      for (; candidates != 0; candidates &= candidates - 1) {
        const size_t start = pos + static_cast<size_t>(std::countr_zero(candidates));
        if (start < next) continue;
        checked += length;
        if (CandidateFits(data + start)) {
          onHit(start);
          next = start + length;
        }
      }
      pos += kWindow;
    }

    size_t matched = 0;
    const char16_t firstUnit = pattern_[0];
    const char16_t firstUnitOther = fold_.Other(firstUnit);
    for (size_t i = std::max(pos, next); i < size; ++i) {
      if (matched == 0) {
        // Skip to the next unit that can start an occurrence.
        i = static_cast<size_t>(FindEitherUnit(data + i, data + size, firstUnit, firstUnitOther) -
                                data);
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

  // Whether a unit (folded) is one of the search text's: no occurrence lies across a
  // unit that is not.
  bool Holds(char16_t unit) const {
    return pattern_.find(fold_(unit)) != std::u16string::npos;
  }

 private:
  // Whether the search text stands at a candidate p, whose first and last units fit.
  bool CandidateFits(const char16_t* p) const {
    for (size_t k = 1; k + 1 < pattern_.size(); ++k) {
      if (fold_(p[k]) != pattern_[k]) return false;
    }
    return true;
  }

  Fold fold_;
  std::u16string pattern_;
  std::vector<size_t> border_;
};

// Copies count units between places that do not overlap. The stretches between
// occurrences are short and many: sixteen bytes a step, inline, instead of a call each.
inline void CopyUnits(char16_t* to, const char16_t* from, size_t count) {
  if (count >= 8) {
    size_t k = 0;
    for (; k + 8 <= count; k += 8) std::memcpy(to + k, from + k, 16);
    // The last eight again, ending at the end (the places are apart).
    if (k < count) std::memcpy(to + count - 8, from + count - 8, 16);
  } else if (count >= 4) {
    uint64_t head;
    uint64_t tail;
    std::memcpy(&head, from, 8);
    std::memcpy(&tail, from + count - 4, 8);
    std::memcpy(to, &head, 8);
    std::memcpy(to + count - 4, &tail, 8);
  } else {
    for (size_t k = 0; k < count; ++k) to[k] = from[k];
  }
}

// Moves count units from `from` to `to`, wherever they lie.
inline void MoveUnits(char16_t* to, const char16_t* from, size_t count) {
  const size_t apart = to > from ? static_cast<size_t>(to - from) : static_cast<size_t>(from - to);
  if (apart >= count && count <= 256) {
    CopyUnits(to, from, count);
  } else {
    std::char_traits<char16_t>::move(to, from, count);
  }
}

// How far from the middle a place to cut is looked for.
constexpr size_t kCutSearch = 4096;

// What one part of a search keeps count of, on a cache line of its own: the parts run on
// two threads at once.
struct alignas(64) PartTally {
  size_t hits = 0;
  bool changed = false;
  uint64_t shared = 0;  // marks in the word that holds the cut
};

// Where a large text is cut in two to be searched in parts at once: at a unit near the
// middle that the search text does not hold, so that no occurrence lies across the cut
// and each part finds exactly the occurrences one pass would. size: no cut.
template <class Fold>
size_t CutForParts(const LiteralFinder<Fold>& finder, const char16_t* data, size_t size) {
  if (!TwoHalvesPay(size * sizeof(char16_t))) return size;
  for (size_t i = size / 2; i < size / 2 + kCutSearch; ++i) {
    if (!finder.Holds(data[i])) return i;
  }
  return size;
}

// Calls onHit(start, part) for each occurrence, as LiteralFinder::Scan does; with a cut
// (below size), the part before it (0) and the part behind it (1) are searched as two
// halves at once. Each part's calls come from one thread, in order.
template <class Fold, class OnHit>
void ScanInParts(const LiteralFinder<Fold>& finder, const char16_t* data, size_t size,
                 size_t cut, OnHit&& onHit) {
  if (cut >= size) {
    finder.Scan(data, size, [&](size_t start) { onHit(start, 0); });
    return;
  }
  RunTwoHalves([&] { finder.Scan(data, cut, [&](size_t start) { onHit(start, 0); }); },
               [&] {
                 finder.Scan(data + cut, size - cut,
                             [&](size_t start) { onHit(cut + start, 1); });
               });
}

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
    PartTally parts[2];
    ScanInParts(finder, data, size, CutForParts(finder, data, size), [&](size_t start, int part) {
      if (!std::equal(replacement.begin(), replacement.end(), data + start)) {
        CopyUnits(data + start, replacement.data(), replacementLength);
        parts[part].changed = true;
      }
    });
    return parts[0].changed || parts[1].changed;
  }

  if (replacementLength < searchLength) {
    // Compact in place: what is written never reaches beyond the occurrence just found.
    size_t written = 0;
    size_t copied = 0;
    finder.Scan(data, size, [&](size_t start) {
      MoveUnits(data + written, data + copied, start - copied);
      written += start - copied;
      CopyUnits(data + written, replacement.data(), replacementLength);
      written += replacementLength;
      copied = start + searchLength;
    });
    if (copied == 0) return false;  // no occurrence (an occurrence ends at 1 or later)
    Units::move(data + written, data + copied, size - copied);
    subject.resize(written + size - copied);
    return true;
  }

  // The text grows: find every occurrence once, marking where each starts, then move
  // each stretch of text straight to its final place, from the back, so that every unit
  // moves once. The marks take one bit per unit.
  const size_t words = size / 64 + 1;
  LargeWords starts(words);
  // The parts share one word of marks, the one that holds the cut: the second part keeps
  // its marks there aside until both are done.
  const size_t cut = CutForParts(finder, data, size);
  const size_t sharedWord = cut / 64;
  PartTally parts[2];
  ScanInParts(finder, data, size, cut, [&](size_t start, int part) {
    const uint64_t bit = uint64_t{1} << (start % 64);
    if (part == 1 && start / 64 == sharedWord) {
      parts[1].shared |= bit;
    } else {
      starts[start / 64] |= bit;
    }
    ++parts[part].hits;
  });
  starts[sharedWord] |= parts[1].shared;
  const size_t hits = parts[0].hits + parts[1].hits;
  if (hits == 0) return false;
  const size_t newSize =
      static_cast<size_t>(GrownSize(size, hits, replacementLength - searchLength));
  if (newSize > subject.capacity()) {
    WideText larger;
    ReserveLarge(larger, newSize);
    larger.append(subject);
    subject.swap(larger);
  }
  subject.resize(newSize);
  char16_t* const base = subject.data();
  // [0, end) of the old text is still to be placed; to is where its placed part begins.
  size_t end = size;
  size_t to = newSize;
  for (size_t word = words; word-- > 0;) {
    for (uint64_t bits = starts[word]; bits != 0;) {
      const int top = 63 - std::countl_zero(bits);
      bits &= ~(uint64_t{1} << top);
      const size_t start = word * 64 + static_cast<size_t>(top);
      const size_t after = start + searchLength;
      to -= end - after;
      MoveUnits(base + to, base + after, end - after);
      // to stays at or behind start + searchLength: the replacement only covers the
      // occurrence and what has already been moved away.
      to -= replacementLength;
      CopyUnits(base + to, replacement.data(), replacementLength);
      end = start;
    }
  }
  // What comes before the first occurrence is where it was: to == end.
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

// The output of a piece, written through a buffer that is kept from piece to piece, so
// that its memory is only filled anew where it grows.
class LiteralStreamReplacer::Output {
 public:
  // Starts the output of a piece of `size` units, made room for as the last piece grew:
  // the buffer is the piece before, and filling what it lacks for a whole piece each time
  // costs as much as a pass.
  void Start(size_t size) {
    written_ = 0;
    const size_t room = size + grew_ + kShort;
    if (buffer_.size() < room) buffer_.resize(room);
    size_ = size;
  }

  // Puts units at the end; from must not lie in the buffer.
  void Put(const char16_t* from, size_t count) {
    Make(count);
    Copy(buffer_.data() + written_, from, count);
    written_ += count;
  }

  // A stretch and the replacement behind it, room made once for both; the text readable
  // from `from` ends at end. Most stretches between occurrences are short: while the
  // text allows, one store of kShort units covers them whatever their length (a loop over
  // their length would guess its end wrong nearly every time), and what it stores past
  // the stretch is overwritten next.
  void PutBoth(const char16_t* from, size_t count, const char16_t* end,
               std::u16string_view replacement) {
    Make(count + replacement.size() + kShort);
    char16_t* const to = buffer_.data() + written_;
    if (count <= kShort && end - from >= static_cast<ptrdiff_t>(kShort)) {
      std::memcpy(to, from, kShort * sizeof(char16_t));
    } else {
      Copy(to, from, count);
    }
    CopyUnits(to + count, replacement.data(), replacement.size());
    written_ += count + replacement.size();
  }

  // Hands what was written over as the piece; the piece's buffer is kept for the next.
  void Give(WideText& piece) {
    grew_ = written_ > size_ ? written_ - size_ : 0;
    buffer_.resize(written_);
    piece.swap(buffer_);
  }

 private:
  static constexpr size_t kShort = 64;

  void Make(size_t count) {
    if (buffer_.size() - written_ < count) {
      buffer_.resize(std::max(2 * buffer_.size(), written_ + count));
    }
  }

  // Inline for the short stretches, a call for the long ones.
  static void Copy(char16_t* to, const char16_t* from, size_t count) {
    if (count <= 256) {
      CopyUnits(to, from, count);
    } else {
      std::memcpy(to, from, count * sizeof(char16_t));
    }
  }

  WideText buffer_;
  size_t written_ = 0;
  size_t size_ = 0;  // of the piece in hand
  size_t grew_ = 0;  // how much longer than its piece the last output was
};

// The finder of the search text, folded or not.
class LiteralStreamReplacer::Search {
 public:
  virtual ~Search() = default;
  // Puts data[0, size) to *out with each occurrence (as LiteralFinder::Scan finds them)
  // replaced, up to the end of the last one, and returns that end. Sets *changed when a
  // replacement differs from what it replaces.
  virtual size_t Replace(const char16_t* data, size_t size, std::u16string_view replacement,
                         Output* out, bool* changed) const = 0;
};

namespace {

template <class Fold>
class FoldedSearch final : public LiteralStreamReplacer::Search {
 public:
  FoldedSearch(std::u16string_view search, Fold fold)
      : finder_(search, fold), searchLength_(search.size()) {}
  size_t Replace(const char16_t* data, size_t size, std::u16string_view replacement,
                 LiteralStreamReplacer::Output* out, bool* changed) const override {
    size_t copied = 0;
    // The same replacement text and length throughout: whether it changes anything
    // depends only on what it replaces.
    const bool sameLength = replacement.size() == searchLength_;
    finder_.Scan(data, size, [&](size_t start) {
      out->PutBoth(data + copied, start - copied, data + size, replacement);
      if (!sameLength || !std::equal(replacement.begin(), replacement.end(), data + start)) {
        *changed = true;
      }
      copied = start + searchLength_;
    });
    return copied;
  }

 private:
  LiteralFinder<Fold> finder_;
  size_t searchLength_;
};

}  // namespace

LiteralStreamReplacer::LiteralStreamReplacer(std::u16string_view search,
                                             std::u16string_view replacement, bool ignoreCase)
    : replacement_(replacement), searchLength_(search.size()), out_(std::make_unique<Output>()) {
  if (search.empty()) return;
  if (ignoreCase) {
    search_ = std::make_unique<FoldedSearch<FoldAsciiUnit>>(search, FoldAsciiUnit{});
  } else {
    search_ = std::make_unique<FoldedSearch<SameUnit>>(search, SameUnit{});
  }
}

LiteralStreamReplacer::~LiteralStreamReplacer() = default;

bool LiteralStreamReplacer::Feed(WideText& piece, bool last) {
  if (!search_) return false;  // an empty search finds nothing
  const size_t reach = searchLength_ - 1;  // the units held back at most
  // Room for the piece and the held units as they are; the buffer grows where
  // replacements lengthen them.
  out_->Start(piece.size() + held_.size());
  bool changed = false;
  size_t skip = 0;  // the units of the piece an occurrence among the held ones took
  if (!held_.empty()) {
    if (piece.size() < reach) {
      // Too short to settle the held units: they go on with it.
      held_.append(piece);
      piece.swap(held_);
      held_.clear();
    } else {
      // Fewer units are held than the search text has, so at most one occurrence begins
      // among them, and it ends within the piece's first reach units: the held units are
      // settled there without copying the piece behind them.
      const size_t heldSize = held_.size();
      held_.append(piece, 0, reach);
      const size_t copied =
          search_->Replace(held_.data(), held_.size(), replacement_, out_.get(), &changed);
      if (copied == 0) {
        out_->Put(held_.data(), heldSize);
      } else {
        skip = copied - heldSize;
      }
      held_.clear();
    }
  }
  const char16_t* const data = piece.data();
  const size_t size = piece.size();
  // Every occurrence that starts before size - reach lies wholly in the piece and is
  // found as one pass over the whole text finds it: the search goes on behind the last.
  const size_t copied =
      skip + search_->Replace(data + skip, size - skip, replacement_, out_.get(), &changed);
  // The units from which an occurrence may still start wait for the next piece.
  size_t keep = size;
  if (!last) keep = std::max(copied, size >= reach ? size - reach : 0);
  out_->Put(data + copied, keep - copied);
  if (keep != size) held_.assign(data + keep, size - keep);
  out_->Give(piece);
  return changed;
}
