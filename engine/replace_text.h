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

class DialogControls;
class MessageHost;

// Reads the replacement controls (regular-expression switch, search and replacement
// texts, ignore case, single line, dot-not-newline) into job and compiles the expression
// once for the run. On failure the user has been told and the run must not start.
bool PrepareReplacement(const DialogControls& controls, JobOptions* job, MessageHost& host);
