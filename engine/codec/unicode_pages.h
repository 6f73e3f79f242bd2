// UTF-16 (1200, 1201) and UTF-8 (65001): converted by the program itself on every
// platform, so both builds give the same bytes and the same strictness.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/wide_text.h"
#include "engine/codec/codec.h"

bool IsUnicodePage(uint32_t codePage);

// For one of the Unicode pages only.
bool DecodeUnicodePage(uint32_t codePage, std::string_view bytes, WideText* text);
void EncodeUnicodePage(uint32_t codePage, std::u16string_view text, std::string* bytes,
                       bool* substituted);

// UTF-16 over the text's own buffer (see Codec::EncodeInPlace); false for UTF-8, which
// can take three bytes for a unit of two.
bool EncodeUnicodePageInPlace(uint32_t codePage, WideText* text, size_t* byteCount);

// UTF-16 in the text's own buffer (see Codec::DecodeInPlace); kNotSupported for the
// other pages.
DecodeAnswer DecodeUnicodePageInPlace(uint32_t codePage, WideText* text, size_t offset,
                                      size_t count);
