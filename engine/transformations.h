// The line and white-space transformations. Each edits the text in place, in one pass,
// and returns true exactly when it altered the text.
#pragma once

#include <cstdint>

#include "core/wide_text.h"

// Every CR LF, lone CR and lone LF becomes the sequence of kind (0 CR LF, 1 LF, 2 CR).
bool UnifyLineEndings(WideText& text, int16_t kind);

// Every U+3000 becomes two spaces.
bool SplitFullWidthSpaces(WideText& text);

// Every U+3000 becomes one space.
bool ReplaceFullWidthSpaces(WideText& text);

// Spaces and TABs before a CR or LF, or at the end of the text, are removed.
bool TrimLineEndWhiteSpace(WideText& text);

// TABs become spaces up to the next multiple of width columns; a unit that code page 932
// writes in two bytes takes two columns. A width of 0 expands nothing.
//
// The steps that grow the text (here UnifyLineEndings to CR LF, SplitFullWidthSpaces,
// ExpandTabsToColumns and InsertLineBreaks) throw TooLargeError, before they reserve
// anything and with the text as it was, when it would grow past HeldLimit().
bool ExpandTabsToColumns(WideText& text, uint32_t width);

// The control codes U+0000..U+001F other than TAB, LF, CR and U+001A are removed.
bool DeleteControlCodes(WideText& text);

// The same control codes become spaces.
bool BlankControlCodes(WideText& text);

// A line ending of kind goes in after the first n + L units and after every further n
// units of the original text, never at the end (L is the ending's length).
bool InsertLineBreaks(WideText& text, uint32_t n, int16_t kind);
