// Literal search and replace on UTF-16 text.
#pragma once

#include <memory>
#include <string_view>

#include "core/wide_text.h"

// Replaces the occurrences of search in subject from left to right, without overlap and
// never looking into inserted text; ignoreCase folds A-Z only. Linear in the sizes of
// subject and search. Returns true when subject changed. An empty search finds nothing.
// Subject is left as it was when this throws: on allocation, or with TooLargeError when
// the result would grow past HeldLimit() units.
bool ReplaceLiteralOccurrences(WideText& subject, std::u16string_view search,
                               std::u16string_view replacement, bool ignoreCase);

// The same replacement for a text that comes in pieces: Feed replaces the piece by the
// output settled so far and answers whether that output differs from the text it stands
// for, as ReplaceLiteralOccurrences would. The last search.size() - 1 units of a piece
// (fewer behind an occurrence) wait for the next one, where an occurrence may end; last:
// no piece follows.
class LiteralStreamReplacer {
 public:
  LiteralStreamReplacer(std::u16string_view search, std::u16string_view replacement,
                        bool ignoreCase);
  ~LiteralStreamReplacer();
  LiteralStreamReplacer(const LiteralStreamReplacer&) = delete;
  LiteralStreamReplacer& operator=(const LiteralStreamReplacer&) = delete;

  bool Feed(WideText& piece, bool last);

  class Search;
  class Output;

 private:
  std::unique_ptr<Search> search_;
  WideText replacement_;
  size_t searchLength_;
  WideText held_;
  std::unique_ptr<Output> out_;
};
