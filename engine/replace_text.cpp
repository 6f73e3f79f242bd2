#include "engine/replace_text.h"

#include <stdexcept>

#include "engine/replace_literal.h"
#include "engine/replace_regex.h"

bool ReplaceInText(WideText& text, const JobOptions& job) {
  if (!job.replaceUseRegex) {
    return ReplaceLiteralOccurrences(text, job.searchText, job.replacementText,
                                     job.replaceIgnoreCase);
  }
  // PrepareReplacement compiles the expression before any file is read.
  if (!job.compiledPattern) throw std::logic_error("regular expression not compiled");
  return ReplaceByPattern(text, *job.compiledPattern, job.replacementText, job.matchOptions);
}
