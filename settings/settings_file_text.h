// Decoding and encoding of the text files behind the settings stores, and the small
// line and white-space helpers both file formats share.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/wide_text.h"

// The text of a settings file: UTF-16LE or UTF-16BE after their byte-order mark, UTF-8
// after its mark or when the bytes are valid UTF-8 (a hand-edited file), otherwise one
// character per byte. An odd byte at the end of a UTF-16 file is dropped.
WideText DecodeSettingsFile(std::string_view bytes);

// The text as UTF-16LE after the byte-order mark FF FE, unit for unit.
std::string EncodeUtf16LeWithMark(std::u16string_view text);

// One line of a file: its text and its terminator ("\r\n", "\n" or empty at the end).
struct TextLine {
  WideText body;
  WideText end;
};
std::vector<TextLine> SplitLines(std::u16string_view text);
std::u16string JoinLines(const std::vector<TextLine>& lines);

// The terminator the file already uses for its lines ("\r\n" when it has none).
std::u16string LineEndOf(const std::vector<TextLine>& lines);

// Space, TAB and the other ASCII white-space characters.
bool IsAsciiSpace(char16_t c);
std::u16string_view TrimAsciiSpace(std::u16string_view text);
