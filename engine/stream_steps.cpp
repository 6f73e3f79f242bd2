#include "engine/stream_steps.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string_view>

#include "engine/column_width.h"
#include "engine/find_unit.h"
#include "engine/replace_literal.h"
#include "engine/transformations.h"

namespace {

// A step that keeps the end of a piece back until the next one comes.
class HoldingStep : public StreamStep {
 protected:
  // Puts what was held back before the piece.
  void TakeHeld(WideText& piece) {
    if (held_.empty()) return;
    held_.append(piece);
    piece.swap(held_);
    held_.clear();
  }
  // Keeps piece[from, end) for the next piece.
  void Hold(WideText& piece, size_t from) {
    held_.assign(piece, from);
    piece.resize(from);
  }

 private:
  WideText held_;
};

// A step that looks at one unit at a time: nothing is carried.
class UnitStep final : public StreamStep {
 public:
  explicit UnitStep(bool (*apply)(WideText&)) : apply_(apply) {}
  void Feed(WideText& piece, bool) override { changed_ |= apply_(piece); }

 private:
  bool (*apply_)(WideText&);
};

// The passes that write a piece anew look at 64 units at a time, from one mask of where
// something happens in them.
constexpr size_t kWindow = 64;

// Copies the window at from to `to`, in full-vector stores.
void CopyWindow(char16_t* to, const char16_t* from) {
  std::memcpy(to, from, kWindow * sizeof(char16_t));
}

// A CR at the end of a piece waits: an LF may follow it. The piece is converted as
// UnifyLineEndings converts a whole text, in one pass over a window of units at a time
// into a buffer kept from piece to piece: a piece is written out only when it changes.
class LineEndingStep final : public HoldingStep {
 public:
  explicit LineEndingStep(int16_t kind) : kind_(kind) {}
  void Feed(WideText& piece, bool last) override {
    TakeHeld(piece);
    if (!last && !piece.empty() && piece.back() == u'\r') Hold(piece, piece.size() - 1);
    changed_ |= Convert(piece, kind_);
  }

 private:
  // The pass looks at a window at a time, from one mask of its changes: most windows
  // hold a line end or two, and a mask per sixteen units would have the loop over them
  // guess wrong about as often as a search from line end to line end.

  // Room past the end of what is written: a window writes at most 3 * kWindow units
  // from where it starts (each unit one that gains a unit, and a full store past the
  // last), and the last units, taken one at a time, at most 2 * (2 * kWindow - 1) + 1.
  static constexpr size_t kSlack = 4 * kWindow;

  // To CR LF, a unit goes in before the unit at p when that is a lone LF (a CR) or
  // follows a lone CR (an LF): exactly when "p is an LF" and "a CR is before p" differ.
  // The LF a CR at the end of the piece lacks is put by the caller.
  static bool GainsBefore(const char16_t* begin, const char16_t* p) {
    return (*p == u'\n') != (p != begin && p[-1] == u'\r');
  }

  // The unit that CR and LF become when converting to LF or CR.
  static char16_t Target(int16_t kind) { return kind == kLineEndingLf ? u'\n' : u'\r'; }
  // The unit that goes or is replaced when converting to LF or CR.
  static char16_t Other(int16_t kind) { return kind == kLineEndingLf ? u'\r' : u'\n'; }

  // Whether something changes at p: for CR LF a unit goes in before it, for LF and CR
  // it goes or is replaced.
  static bool Changes(int16_t kind, const char16_t* begin, const char16_t* p) {
    return kind == kLineEndingCrLf ? GainsBefore(begin, p) : *p == Other(kind);
  }

  // The lanes of the eight units at p where something changes: for CR LF a unit goes in
  // before the lane (GainsBefore, from the units loaded one before: p[-1] must be in the
  // piece), for LF and CR the lane's unit goes or is replaced.
  static find_unit::Words2 ChangedLanes(int16_t kind, const char16_t* p) {
    using namespace find_unit;
    const Units8 cr = Units8{} + static_cast<uint16_t>(u'\r');
    const Units8 lf = Units8{} + static_cast<uint16_t>(u'\n');
    const Units8 units = Load(p);
    if (kind == kLineEndingCrLf) {
      return reinterpret_cast<Words2>((units == lf) ^ (Load(p - 1) == cr));
    }
    return reinterpret_cast<Words2>(units == (kind == kLineEndingLf ? cr : lf));
  }

  // Bit k set when lane k of the window at p changes (ChangedLanes).
  static uint64_t ChangedBits(int16_t kind, const char16_t* p) {
    uint64_t bits = 0;
    for (size_t i = 0; i < kWindow; i += 16) {
      const uint32_t sixteen =
          find_unit::LaneBits16(ChangedLanes(kind, p + i), ChangedLanes(kind, p + i + 8));
      bits |= uint64_t{sixteen} << i;
    }
    return bits;
  }

  // Puts what the unit at p becomes, with what goes in before it, at `to`; returns the
  // end of it.
  static char16_t* ConvertUnit(int16_t kind, const char16_t* begin, const char16_t* p,
                               const char16_t* end, char16_t* to) {
    const char16_t unit = *p;
    if (kind == kLineEndingCrLf) {
      if (GainsBefore(begin, p)) *to++ = unit == u'\n' ? u'\r' : u'\n';
      *to++ = unit;
    } else if (unit != Other(kind)) {
      *to++ = unit;
    } else if (kind == kLineEndingLf ? p + 1 == end || p[1] != u'\n'
                                     : p == begin || p[-1] != u'\r') {
      *to++ = Target(kind);  // a lone one is replaced; the one of a CR LF goes
    }
    return to;
  }

  // Where the pass has to start writing: the first unit that changes or gains a unit
  // before it (or a CR at the end, which gains one after it); end when nothing changes.
  static const char16_t* FirstChange(int16_t kind, const char16_t* begin, const char16_t* end) {
    const char16_t* p = begin;
    // The windows read the unit before theirs: the first unit is looked at alone.
    if (p != end && Changes(kind, begin, p++)) return begin;
    for (; end - p >= static_cast<ptrdiff_t>(kWindow); p += kWindow) {
      const uint64_t bits = ChangedBits(kind, p);
      if (bits != 0) return p + std::countr_zero(bits);
    }
    for (; p != end; ++p) {
      if (Changes(kind, begin, p)) return p;
    }
    if (kind == kLineEndingCrLf && end != begin && end[-1] == u'\r') return end - 1;
    return end;
  }

  // Grows out_ to what the worst piece needs (each unit a lone line end that doubles);
  // returns `to` in the grown buffer.
  char16_t* Grow(char16_t* to, size_t size) {
    const size_t written = static_cast<size_t>(to - out_.data());
    out_.resize(2 * size + kSlack);
    return out_.data() + written;
  }

  bool Convert(WideText& piece, const int16_t kind) {
    const char16_t* const begin = piece.data();
    const char16_t* const end = begin + piece.size();
    const char16_t* p = FirstChange(kind, begin, end);
    if (p == end) return false;

    // Room for the piece, for the CRs or LFs that CR LF adds on lines of sixteen units
    // or more, and the slack; a piece of shorter lines grows it once. The buffer keeps
    // its size from piece to piece (it becomes the piece before, which is about as
    // long): only what it grows by is filled anew.
    const size_t size = piece.size();
    const size_t room = size + (kind == kLineEndingCrLf ? size / 16 : 0) + kSlack;
    if (out_.size() < room) out_.resize(room);
    std::memcpy(out_.data(), begin, static_cast<size_t>(p - begin) * sizeof(char16_t));
    char16_t* to = out_.data() + (p - begin);
    if (p == begin) to = ConvertUnit(kind, begin, p++, end, to);  // as in FirstChange

    // A window at a time while a store from any of its units stays inside the piece.
    // Each window is stored as it is, then for each change the unit gained is put (or
    // the unit lost dropped) and the rest of the window stored again where it now goes:
    // the stores run past what is settled and are overwritten by the next ones.
    while (end - p >= static_cast<ptrdiff_t>(2 * kWindow)) {
      if (out_.data() + out_.size() - to < static_cast<ptrdiff_t>(kSlack)) to = Grow(to, size);
      CopyWindow(to, p);
      ptrdiff_t moved = 0;  // how far the window's units after the last change moved
      for (uint64_t bits = ChangedBits(kind, p); bits != 0; bits &= bits - 1) {
        const int lane = std::countr_zero(bits);
        const char16_t* at = p + lane;
        char16_t* const out = to + lane + moved;  // where *at went
        if (kind == kLineEndingCrLf) {
          out[0] = *at == u'\n' ? u'\r' : u'\n';  // before a lone LF, after a lone CR
          CopyWindow(out + 1, at);
          ++moved;
        } else if (kind == kLineEndingLf ? at[1] == u'\n' : at[-1] == u'\r') {
          CopyWindow(out, at + 1);  // the CR of a CR LF goes (to LF), or its LF (to CR)
          --moved;
        } else {
          out[0] = Target(kind);  // a lone one is replaced
        }
      }
      p += kWindow;
      to += static_cast<ptrdiff_t>(kWindow) + moved;
    }

    // The last units one at a time.
    if (out_.data() + out_.size() - to < static_cast<ptrdiff_t>(kSlack)) to = Grow(to, size);
    for (; p != end; ++p) to = ConvertUnit(kind, begin, p, end, to);
    if (kind == kLineEndingCrLf && end != begin && end[-1] == u'\r') *to++ = u'\n';
    const size_t written = static_cast<size_t>(to - out_.data());
    piece.swap(out_);
    piece.resize(written);
    return true;
  }

  int16_t kind_;
  WideText out_;
};

// The blanks at the end of a piece wait: a line end, or the end of the text, may follow
// them. A run of blanks over many pieces is only added to, never copied again.
class TrimStep final : public StreamStep {
 public:
  void Feed(WideText& piece, bool last) override {
    if (!held_.empty()) {
      const size_t first = FirstNonBlank(piece);
      if (first == piece.size() && !last) {
        held_.append(piece);
        piece.clear();
        return;
      }
      if (first == piece.size() || piece[first] == u'\r' || piece[first] == u'\n') {
        // The blanks end the line, or the text: they go.
        piece.erase(0, first);
        held_.clear();
        changed_ = true;
      } else {
        held_.append(piece);
        piece.swap(held_);
        held_.clear();
      }
    }
    if (!last) {
      size_t keep = piece.size();
      while (keep > 0 && IsBlank(piece[keep - 1])) --keep;
      if (keep != piece.size()) {
        held_.assign(piece, keep);
        piece.resize(keep);
      }
    }
    const size_t size = piece.size();
    if (out_.size() < size + kWindow) out_.resize(size + kWindow);
    const size_t kept = Trim(piece.data(), piece.data() + size, out_.data());
    if (kept == size) return;
    changed_ = true;
    out_.resize(kept);
    piece.swap(out_);
  }

 private:
  static bool IsBlank(char16_t unit) { return unit == u' ' || unit == u'\t'; }

  // Writes the units at out without the blanks before each line end and before the end,
  // and returns how many it wrote: as TrimLineEndWhiteSpace, but in one pass a window at a
  // time, into a buffer with room for a window more. A stretch is stored as the window
  // from its start, and the next store writes over what went out past its end.
  static size_t Trim(const char16_t* in, const char16_t* const end, char16_t* const out) {
    using namespace find_unit;
    const Units8 cr = Units8{} + uint16_t{u'\r'};
    const Units8 lf = Units8{} + uint16_t{u'\n'};
    const Units8 space = Units8{} + uint16_t{u' '};
    const Units8 tab = Units8{} + uint16_t{u'\t'};
    char16_t* o = out;
    char16_t* kept = out;  // the end of the line's units up to its last that is no blank
    while (end - in >= static_cast<ptrdiff_t>(2 * kWindow)) {
      uint64_t ends = 0;
      uint64_t solid = 0;  // the units that are no blank
      for (size_t i = 0; i < kWindow; i += 16) {
        const Units8 low = Load(in + i);
        const Units8 high = Load(in + i + 8);
        ends |= uint64_t{LaneBits16(reinterpret_cast<Words2>((low == cr) | (low == lf)),
                                    reinterpret_cast<Words2>((high == cr) | (high == lf)))}
                << i;
        solid |= uint64_t{LaneBits16(reinterpret_cast<Words2>((low == space) | (low == tab)),
                                     reinterpret_cast<Words2>((high == space) | (high == tab)))}
                 << i;
      }
      solid = ~solid;
      size_t from = 0;
      while (ends != 0) {
        const auto at = static_cast<size_t>(std::countr_zero(ends));
        ends &= ends - 1;
        CopyWindow(o, in + from);
        // The units from..at-1 that are no blank; o stands for unit from.
        const uint64_t line = (solid & ((uint64_t{1} << at) - 1)) >> from;
        if (line != 0) kept = o + std::bit_width(line);
        o = kept;
        *o++ = in[at];
        kept = o;
        from = at + 1;
      }
      if (from < kWindow) {
        CopyWindow(o, in + from);
        const uint64_t rest = solid >> from;
        if (rest != 0) kept = o + std::bit_width(rest);
        o += kWindow - from;
      }
      in += kWindow;
    }
    for (; in < end; ++in) {
      const char16_t unit = *in;
      if (unit == u'\r' || unit == u'\n') o = kept;
      *o++ = unit;
      if (!IsBlank(unit)) kept = o;
    }
    return static_cast<size_t>(kept - out);
  }
  static size_t FirstNonBlank(const WideText& piece) {
    size_t i = 0;
    while (i < piece.size() && IsBlank(piece[i])) ++i;
    return i;
  }

  WideText held_;
  WideText out_;
};

// The column of the line's end so far is carried into the next piece. A piece with a TAB
// is written anew in one pass, a window at a time: the stretch between two stops (a TAB
// or a line end) goes out as a whole window, and the next store writes over what went out
// past its end.
class TabStep final : public StreamStep {
 public:
  explicit TabStep(uint32_t width) : width_(width) {}

  void Feed(WideText& piece, bool) override {
    const char16_t* const data = piece.data();
    const char16_t* const end = data + piece.size();
    if (FindEitherUnit(data, end, u'\t', u'\t') == end) {
      MoveColumnOver(data, end);
      return;
    }
    changed_ = true;
    // The buffer is the last piece's storage, which is about as long as this one will
    // be: it seldom grows, and little of it is filled anew.
    const size_t room = piece.size() + piece.size() / 8 + Margin(2 * kWindow);
    if (out_.size() < room) out_.resize(room);
    out_.resize(std::has_single_bit(width_) ? Expand<true>(data, end) : Expand<false>(data, end));
    piece.swap(out_);
  }

 private:
  // The room past where writing stands that count units need: each a TAB of width_
  // spaces, and a store of a window beyond.
  size_t Margin(size_t count) const { return count * width_ + kWindow; }

  // Makes out_ larger, keeping what was written up to o; returns where o now is.
  char16_t* Grow(char16_t* o, size_t needed) {
    const size_t written = static_cast<size_t>(o - out_.data());
    out_.resize(std::max(written + needed, out_.size() + out_.size() / 2));
    return out_.data() + written;
  }

  // The bits set (the machine's own count needs a newer x86-64 than the one built for).
  static uint64_t CountBits(uint64_t bits) {
    bits -= (bits >> 1) & 0x5555555555555555ull;
    bits = (bits & 0x3333333333333333ull) + ((bits >> 2) & 0x3333333333333333ull);
    bits = (bits + (bits >> 4)) & 0x0F0F0F0F0F0F0F0Full;
    return (bits * 0x0101010101010101ull) >> 56;
  }

  // A piece without a TAB: only the column of its end matters, which its last line
  // gives.
  void MoveColumnOver(const char16_t* data, const char16_t* end) {
    const char16_t* line = end;
    while (line != data && line[-1] != u'\r' && line[-1] != u'\n') --line;
    if (line != data) column_ = 0;
    column_ += Columns(line, end, ColumnWidths());
  }

  // The columns units that are no TAB, CR or LF take.
  static uint64_t Columns(const char16_t* start, const char16_t* to, const uint8_t* widths) {
    uint64_t columns = 0;
    // Every ASCII unit is one column: sixteen of them need no look-up.
    while (to - start >= 16) {
      uint64_t words[4];
      std::memcpy(words, start, sizeof words);
      if (((words[0] | words[1] | words[2] | words[3]) & 0xFF80FF80FF80FF80ull) == 0) {
        columns += 16;
      } else {
        for (size_t k = 0; k < 16; ++k) columns += widths[start[k]];
      }
      start += 16;
    }
    for (; start < to; ++start) columns += widths[*start];
    return columns;
  }

  // Writes the piece with its TABs expanded into out_, which grows as it must. Returns the
  // units written. A division per TAB shows in the run time: the usual widths are powers
  // of two, whose remainder a mask gives.
  template <bool kPowerOfTwo>
  size_t Expand(const char16_t* in, const char16_t* const end) {
    using namespace find_unit;
    const Units8 tab = Units8{} + uint16_t{u'\t'};
    const Units8 cr = Units8{} + uint16_t{u'\r'};
    const Units8 lf = Units8{} + uint16_t{u'\n'};
    const Units8 beyondAscii = Units8{} + uint16_t{0xFF80};
    // (Eight at a time: a vector of sixteen would be stored unit by unit.)
    const Units8 spaces8 = Units8{} + uint16_t{u' '};
    const uint64_t width = width_;
    const uint8_t* const widths = ColumnWidths();
    uint64_t column = column_;
    char16_t* o = out_.data();
    char16_t* limit = o + out_.size() - Margin(kWindow);
    // A window of 64 units at a time, from one mask of its stops: with a mask per sixteen
    // units the loop over them would guess wrong about its end nearly every time. A
    // stretch is stored as the 64 units from its start, so a window reads up to 127 units
    // past its own start.
    while (end - in >= static_cast<ptrdiff_t>(2 * kWindow)) {
      if (o > limit) {
        o = Grow(o, Margin(kWindow));
        limit = out_.data() + out_.size() - Margin(kWindow);
      }
      uint64_t stops = 0;
      Units8 any{};
      for (size_t i = 0; i < kWindow; i += 16) {
        const Units8 low = Load(in + i);
        const Units8 high = Load(in + i + 8);
        stops |= uint64_t{LaneBits16(
                     reinterpret_cast<Words2>((low == tab) | (low == cr) | (low == lf)),
                     reinterpret_cast<Words2>((high == tab) | (high == cr) | (high == lf)))}
                 << i;
        any |= low | high;
      }
      const Words2 beyond = reinterpret_cast<Words2>(any & beyondAscii);
      // Bit k set when unit k takes two columns. Every ASCII unit takes one.
      uint64_t wide = 0;
      if ((beyond[0] | beyond[1]) != 0) {
        // The widths looked up into bytes, then gathered as bits sixteen at once: a shift
        // by a varying count per unit costs more than the look-ups.
        uint8_t looked[kWindow];
        for (size_t k = 0; k < kWindow; ++k) looked[k] = widths[in[k]];
        const Bytes16 two = Bytes16{} + uint8_t{2};
        for (size_t i = 0; i < kWindow; i += 16) {
          Bytes16 sixteen;
          std::memcpy(&sixteen, looked + i, sizeof sixteen);
          wide |= uint64_t{ByteTopBits(reinterpret_cast<Bytes16>(sixteen == two))} << i;
        }
      }
      size_t from = 0;
      while (stops != 0) {
        const auto at = static_cast<size_t>(std::countr_zero(stops));
        stops &= stops - 1;
        CopyWindow(o, in + from);
        o += at - from;
        column += at - from;
        if (wide != 0) column += CountBits((wide & ((uint64_t{1} << at) - 1)) >> from);
        // A TAB and a line end take one path, without the branch between them that would
        // miss about every other time: a line end is written as a one-space TAB would
        // be, over which it then goes, and it starts the column again.
        const uint64_t unit = in[at];
        const uint64_t isTab = unit == u'\t';
        const uint64_t spaces =
            kPowerOfTwo ? width - (column & (width - 1)) : isTab ? width - column % width : 1;
        const uint64_t taken = 1 + (spaces - 1) * isTab;
        for (uint64_t k = 0; k < taken; k += 16) {
          std::memcpy(o + k, &spaces8, sizeof spaces8);
          std::memcpy(o + k + 8, &spaces8, sizeof spaces8);
        }
        o[0] = static_cast<char16_t>(unit ^ ((unit ^ u' ') & (0 - isTab)));
        o += taken;
        column = (column + spaces) * isTab;
        from = at + 1;
      }
      CopyWindow(o, in + from);
      o += kWindow - from;
      column += kWindow - from;
      if (wide != 0 && from < kWindow) column += CountBits(wide >> from);
      in += kWindow;
    }
    if (out_.data() + out_.size() - o < static_cast<ptrdiff_t>(Margin(2 * kWindow))) {
      o = Grow(o, Margin(2 * kWindow));
    }
    for (; in < end; ++in) {
      if (*in == u'\t') {
        const uint64_t spaces = width - column % width;
        std::fill_n(o, spaces, u' ');
        o += spaces;
        column += spaces;
        continue;
      }
      *o++ = *in;
      column = *in == u'\r' || *in == u'\n' ? 0 : column + widths[*in];
    }
    column_ = column;
    return static_cast<size_t>(o - out_.data());
  }

  uint64_t width_;
  uint64_t column_ = 0;
  WideText out_;
};

// The count of units seen tells where the next line ending goes: before the unit at
// n + L, n + L + n, ..., so never at the end of the text.
class LineBreakStep final : public StreamStep {
 public:
  LineBreakStep(uint32_t n, std::u16string_view ending)
      : n_(n), ending_(ending), next_(uint64_t{n} + ending.size()) {}

  void Feed(WideText& piece, bool) override {
    const uint64_t size = piece.size();
    if (next_ >= seen_ + size) {
      seen_ += size;
      return;
    }
    changed_ = true;
    out_.clear();
    size_t copied = 0;
    for (; next_ < seen_ + size; next_ += n_) {
      const size_t at = static_cast<size_t>(next_ - seen_);
      out_.append(piece, copied, at - copied);
      out_.append(ending_);
      copied = at;
    }
    out_.append(piece, copied);
    seen_ += size;
    piece.swap(out_);
  }

 private:
  uint64_t n_;
  std::u16string_view ending_;
  uint64_t next_;  // the index in the whole text of the unit the next ending goes before
  uint64_t seen_ = 0;
  WideText out_;
};

class LiteralStep final : public StreamStep {
 public:
  LiteralStep(std::u16string_view search, std::u16string_view replacement, bool ignoreCase)
      : replacer_(search, replacement, ignoreCase) {}
  void Feed(WideText& piece, bool last) override { changed_ |= replacer_.Feed(piece, last); }

 private:
  LiteralStreamReplacer replacer_;
};

std::u16string_view LineEnding(int16_t kind) {
  switch (kind) {
    case kLineEndingCrLf:
      return u"\r\n";
    case kLineEndingLf:
      return u"\n";
    case kLineEndingCr:
      return u"\r";
    default:
      return {};
  }
}

}  // namespace

bool StepsStream(const JobOptions& job) {
  if (job.replaceEnabled && job.replaceUseRegex) return false;
  if (job.expandTabs && job.tabColumns > kWidestStreamedTab) return false;
  return true;
}

std::vector<std::unique_ptr<StreamStep>> MakeStreamSteps(const JobOptions& job) {
  std::vector<std::unique_ptr<StreamStep>> steps;
  // The order of the whole-text road; a step the job does not ask for (or that its
  // whole-text function would leave alone whatever the text) is left out.
  const int16_t kind = job.lineEndingConversion;
  if (kind == kLineEndingCrLf || kind == kLineEndingLf || kind == kLineEndingCr) {
    steps.push_back(std::make_unique<LineEndingStep>(kind));
  }
  if (job.fullWidthSpaceToTwo) steps.push_back(std::make_unique<UnitStep>(SplitFullWidthSpaces));
  if (job.fullWidthSpaceToOne) {
    steps.push_back(std::make_unique<UnitStep>(ReplaceFullWidthSpaces));
  }
  if (job.trimTrailingWhiteSpace) steps.push_back(std::make_unique<TrimStep>());
  if (job.expandTabs && job.tabColumns != 0) {
    steps.push_back(std::make_unique<TabStep>(job.tabColumns));
  }
  if (job.removeControlCodes) steps.push_back(std::make_unique<UnitStep>(DeleteControlCodes));
  if (job.controlCodesToSpaces) steps.push_back(std::make_unique<UnitStep>(BlankControlCodes));
  const std::u16string_view ending = LineEnding(job.lineEndingKind);
  if (job.insertEveryChars != 0 && !ending.empty()) {
    steps.push_back(std::make_unique<LineBreakStep>(job.insertEveryChars, ending));
  }
  if (job.replaceEnabled && !job.replaceUseRegex && !job.searchText.empty()) {
    steps.push_back(std::make_unique<LiteralStep>(job.searchText, job.replacementText,
                                                  job.replaceIgnoreCase));
  }
  return steps;
}

bool FeedSteps(std::span<const std::unique_ptr<StreamStep>> steps, WideText& piece, bool last) {
  bool changed = false;
  for (const std::unique_ptr<StreamStep>& step : steps) {
    step->Feed(piece, last);
    changed |= step->changed();
  }
  return changed;
}
