// Literal search and replace on UTF-16 text.
#pragma once

#include <string_view>

#include "core/wide_text.h"

// Replaces the occurrences of search in subject from left to right, without overlap and
// never looking into inserted text; ignoreCase folds A-Z only. Linear in the sizes of
// subject and search. Returns true when subject changed. An empty search finds nothing.
// Subject is left as it was when this throws: on allocation, or with TooLargeError when
// the result would grow past HeldLimit() units.
bool ReplaceLiteralOccurrences(WideText& subject, std::u16string_view search,
                               std::u16string_view replacement, bool ignoreCase);
