// String replacement, literal or by regular expression.
#pragma once

#include "core/job_options.h"
#include "core/wide_text.h"

// Replaces every occurrence in text; true when the content now differs.
bool ReplaceInText(WideText& text, const JobOptions& job);

// Literal replacement from left to right, without overlap and without looking into
// inserted text. ignoreCase folds A-Z only.
void ReplaceLiteral(WideText& subject, std::u16string_view search,
                    std::u16string_view replacement, bool ignoreCase);
