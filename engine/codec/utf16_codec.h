// UTF-16 in either byte order, done by hand on every platform so that every unit,
// lone surrogates included, comes back exactly.
#pragma once

#include <string>
#include <string_view>

#include "core/wide_text.h"

enum class ByteOrder { kLittleEndian, kBigEndian };

// Copies every two bytes into one unit. False (and *text untouched) for an odd byte count.
bool DecodeUtf16(std::string_view bytes, ByteOrder order, WideText* text);

// Writes every unit as two bytes; *bytes gets exactly 2 * text.size() bytes.
void EncodeUtf16(std::u16string_view text, ByteOrder order, std::string* bytes);

// Turns the units into their bytes where they stand: 2 * text->size() bytes at the start
// of the text's buffer.
void EncodeUtf16InPlace(WideText* text, ByteOrder order);

// Decodes the count bytes at byte offset of the text's buffer into units from its start
// (see Codec::DecodeInPlace). False for an odd byte count.
bool DecodeUtf16InPlace(WideText* text, size_t offset, size_t count, ByteOrder order);
