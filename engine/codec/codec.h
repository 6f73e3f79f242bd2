// The character converter: detection, decoding and encoding by Windows code-page number.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "core/wide_text.h"

enum class EncodeAnswer { kConverted, kNotSupported, kFailed };
enum class DecodeAnswer { kDecoded, kNotSupported, kInvalid };

class Codec {
 public:
  virtual ~Codec() = default;

  // Guesses the code page of bytes that carry no byte-order mark. False when nothing
  // usable was detected (the caller then falls back to Shift-JIS).
  virtual bool Detect(std::string_view bytes, uint32_t* codePage) = 0;

  // Decodes all bytes into *text. False when the code page is unusable or any byte
  // sequence is not valid in it: nothing is ever decoded with substitutes.
  virtual bool Decode(uint32_t codePage, std::string_view bytes, WideText* text) = 0;

  // Whether DecodeInPlace decodes the code page (rather than answer kNotSupported): the
  // reader then lays the bytes out in the buffer that becomes the text.
  virtual bool DecodesInPlace(uint32_t codePage) {
    (void)codePage;
    return false;
  }

  // Whether DecodePiece decodes the code page: the reader then decodes a file as it is
  // read, without a copy of the whole file.
  virtual bool DecodesPieces(uint32_t codePage) {
    (void)codePage;
    return false;
  }

  // Decodes the count bytes that stand offset bytes into the text's own buffer, writing
  // the units from the buffer's start, so that a large file needs no second buffer of
  // its size. The buffer holds at least offset + count bytes, and offset >= count: the
  // units never overtake the bytes still to be read. kDecoded: the text is then exactly
  // the units. kNotSupported, with the buffer untouched, where this codec does not do
  // so (Decode is then the way). kInvalid: a byte sequence is not valid in the code page
  // (the buffer's content is then lost).
  virtual DecodeAnswer DecodeInPlace(uint32_t codePage, WideText* text, size_t offset,
                                     size_t count) {
    (void)codePage, (void)text, (void)offset, (void)count;
    return DecodeAnswer::kNotSupported;
  }

  // Decodes a file that is read in pieces, appending each piece's characters to *text;
  // *pending carries the bytes of a character that a piece ends inside of (empty at the
  // start: a file that ends with bytes pending does not decode). kNotSupported, with
  // nothing appended, where this codec does not decode the code page so (Decode is then
  // the way). kInvalid: a byte sequence is not valid in the code page.
  virtual DecodeAnswer DecodePiece(uint32_t codePage, std::string_view piece,
                                   std::string* pending, WideText* text) {
    (void)codePage, (void)piece, (void)pending, (void)text;
    return DecodeAnswer::kNotSupported;
  }

  // The file read in pieces ended: decodes the bytes *pending still holds as its last
  // ones, appending their characters to *text and emptying *pending. kInvalid when they
  // do not make whole characters; by default any byte still pending does not.
  virtual DecodeAnswer DecodeEnd(uint32_t codePage, std::string* pending, WideText* text) {
    (void)codePage, (void)text;
    return pending->empty() ? DecodeAnswer::kDecoded : DecodeAnswer::kInvalid;
  }

  // The primary encoder: puts "?" for every character the code page cannot represent
  // (no best-fit look-alikes) and sets *substituted when it did.
  virtual EncodeAnswer Encode(uint32_t codePage, std::u16string_view text, std::string* bytes,
                              bool* substituted) = 0;

  // Encodes the text over its own buffer, for code pages that never need more bytes than
  // the units they encode take: the result is then the first *byteCount bytes of the
  // buffer, and a large text needs no second buffer of its size. kNotSupported, with the
  // text as it was, where this codec does not do so; Encode is then the way. kFailed
  // when the conversion broke off: the text is then lost.
  virtual EncodeAnswer EncodeInPlace(uint32_t codePage, WideText* text, size_t* byteCount,
                                     bool* substituted) {
    (void)codePage, (void)text, (void)byteCount, (void)substituted;
    return EncodeAnswer::kNotSupported;
  }

  // Whether Encode gives for a text cut in pieces, each encoded on its own, the bytes of the
  // whole text, as long as no cut falls between the halves of a surrogate pair: the code
  // page then has no state that runs from one character to the next. A file is then
  // encoded as it is written.
  virtual bool EncodesPieces(uint32_t codePage) {
    (void)codePage;
    return false;
  }

  // The secondary encoder, for code pages the primary one does not support. False on
  // failure with *error set to a system error code.
  virtual bool EncodeFallback(uint32_t codePage, std::u16string_view text, std::string* bytes,
                              bool* substituted, uint32_t* error) = 0;

  // How many bytes code page 932 takes for this one unit: 2 for a double-byte character,
  // 1 for a single byte or a character it can only replace, 0 when conversion fails.
  virtual int BytesIn932(char16_t unit) = 0;
};

// Creates the platform's converter; nullptr with *failureCode set when it cannot be made.
std::unique_ptr<Codec> CreateSystemCodec(uint32_t* failureCode);

using CodecFactory = std::function<std::unique_ptr<Codec>(uint32_t* failureCode)>;
