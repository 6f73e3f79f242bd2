// Code page 932 by table. ICU's windows-932 mappings are read into arrays when the program
// is built (cp932_table_gen), so a large text converts at the speed of a table look-up
// per character instead of going through ICU's converter for every character. The
// tables answer as that converter does with the settings the codec uses (decoding stops
// at the first bad sequence; encoding has fallbacks off and writes "?" for what cannot
// be written), except that bytes 00..7F and U+0000..U+007F map to each other one to one,
// as on Windows, where ICU swaps three control codes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/wide_text.h"

class Cp932Table {
 public:
  // The tables; nullptr when ICU had no windows-932 or it maps something in a way the
  // tables cannot hold (the codec then uses ICU itself).
  static const Cp932Table* Get();

  // False when a byte sequence is not valid in code page 932; *text is then unchanged.
  bool Decode(std::string_view bytes, WideText* text) const;

  // Decodes the count bytes at byte offset of the text's buffer into units from its
  // start (see Codec::DecodeInPlace). False when a byte sequence is not valid.
  bool DecodeInPlace(WideText* text, size_t offset, size_t count) const;

  // Decodes one piece of a longer run of bytes, appending to *text (see
  // Codec::DecodePiece): a lead byte at the end of the piece waits in *pending. False
  // when a byte sequence is not valid.
  bool DecodePiece(std::string_view piece, std::string* pending, WideText* text) const;

  // How many bytes the code page writes for unit when look-alikes are allowed (a unit it
  // lacks is one "?"), counted when the program was built from the same converter with
  // the same settings; -1 when they could not be counted.
  static int BytesWithLookAlikes(char16_t unit);

  // Writes "?" for every character the code page lacks (a surrogate pair, a lone half, a
  // unit without a mapping) and nothing for a default-ignorable unit it lacks, and sets
  // *substituted when it did either.
  void Encode(std::u16string_view text, std::string* bytes, bool* substituted) const;

  // The same over the units' own storage: returns the bytes written at its start.
  size_t EncodeInPlace(char16_t* units, size_t count, bool* substituted) const;

  // The format of the tables. Per byte: a unit for a single-byte character, kLead,
  // or kInvalid.
  static constexpr uint32_t kLead = 0x10000;
  static constexpr uint32_t kInvalid = 0x20000;
  // Per unit: the single byte (< 0x100), trail << 8 | lead (the pair's bytes as a
  // little-endian store writes them), kUnmappable (written as "?") or kDropped (a
  // default-ignorable unit the code page lacks: written as nothing). Both count as
  // substituted. kSurrogate marks the surrogate halves. Second bytes lie in 40..FC, so
  // a pair is 100 or above and none reaches kFirstMark.
  static constexpr uint16_t kUnmappable = 0xFFFF;
  static constexpr uint16_t kDropped = 0xFFFE;
  static constexpr uint16_t kSurrogate = 0xFFFD;
  static constexpr uint16_t kFirstMark = 0xFD00;
  // In the decoding table: no character starts with these bytes. No character of the
  // code page is U+FFFF.
  static constexpr char16_t kNoCharacter = 0xFFFF;

 private:
  Cp932Table(const uint32_t* single, const char16_t* characters, const uint16_t* encode,
             const uint8_t* startsAlone);

  // Decodes characters while in is before stop, reading nothing at or past end, and
  // writes their units at out. A pair that begins before stop may end past it, and a
  // step may run up to 64 bytes past it. out may lie in the same
  // buffer as the bytes, as long as it starts at least as many bytes before them as
  // there are bytes: every unit is written after the bytes it comes from were read.
  // False on a bad sequence.
  bool DecodeRun(const unsigned char*& in, const unsigned char* stop, const unsigned char* end,
                 char16_t*& out) const;

  // Encodes from in up to end into to, which may be the storage of the units themselves:
  // every step reads its units before it writes, and never writes beyond the bytes of
  // the units it has read. Returns the end of what was written.
  char* EncodeRun(const char16_t* in, const char16_t* end, char* to, bool* substituted) const;

  // Per byte, as above.
  const uint32_t* single_;
  // Per Pair(first byte, the byte after it): the unit of the character that starts there
  // (a pair's when the first byte leads one, the first byte's own when it stands alone),
  // or kNoCharacter.
  const char16_t* characters_;
  // The index of two bytes in characters_: what a little-endian load of them gives.
  static uint32_t Pair(uint32_t first, uint32_t second) { return second << 8 | first; }
  // Per unit, as above.
  const uint16_t* encode_;
  // Per byte: 1 for a character of its own that is never the second byte of a pair.
  const uint8_t* startsAlone_;
  // True when every byte 00..7F is a character of its own and every unit U+0000..U+007F
  // is written as one byte below 80; the loops then convert runs of them eight or more at
  // a time. Each is then its own character: the tables map them one to one, although
  // ICU's windows-932 swaps 1A, 1C and 7F among themselves.
  bool asciiOneByte_ = false;
  // True when the bytes that lead pairs all lie in 81..9F and E0..FC, and the bytes
  // there that do not lead fail to decode: the block loop tells lead bytes by range.
  bool leadRanges_ = false;
};
