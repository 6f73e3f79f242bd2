// ISO-2022-JP (code pages 50220, 50221 and 50222) read by the encoding's own rules, the
// same way on every platform: the bytes are checked and turned into the Shift-JIS bytes of
// the same text, which code page 932 then decodes. The two-byte set is the one of code
// page 932 (as Windows reads these code pages), so both builds give the same text.
//
// Accepted, as encoders write them:
// - ESC ( B (ASCII) and ESC ( J (JIS-Roman, read as ASCII, so 5C is "\" and 7E is "~");
// - ESC $ @ (the 1978 set) and ESC $ B, also in their long forms ESC $ ( @ and ESC $ ( B,
//   all read with the one table;
// - half-width katakana: ESC ( I, or SO ... SI (ESC ) I may announce them), in all three
//   code pages, as Windows and ICU read them (the encoders of 50220 cannot write them:
//   they become "?" there, reported as a forced conversion);
// - an escape sequence to the set already in force, and one escape sequence right after
//   another;
// - control codes and space between the pairs of a two-byte set (they stand for
//   themselves and the set stays);
// - a file that ends in a two-byte set without going back to ASCII.
// Refused: any byte 80..FF, an escape sequence not in this list (ESC $ ( D among them:
// code page 932 has no JIS X 0212), ESC at the end or cut short, a pair cut in half (by
// a control code, an escape sequence or the end), a pair code page 932 has no character
// for (left to the 932 decoder), a katakana byte outside 21..5F. And after a line end in
// a two-byte or katakana set, a byte 21..7E before an escape sequence (or SO) names the
// set again: decoders differ on whether a line end goes back to ASCII, so such a file
// has no one reading.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// 50220, 50221 or 50222.
bool IsIso2022JpPage(uint32_t codePage);

// Writes the text of the ISO-2022-JP bytes as Shift-JIS bytes to *shiftJis (never more
// bytes than given). False when the bytes break the rules above; *shiftJis is then
// unspecified.
bool Iso2022JpToShiftJis(std::string_view bytes, std::string* shiftJis);
