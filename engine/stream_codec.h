// Decoding and encoding for a file that is converted as it is read and written.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/wide_text.h"
#include "engine/codec/codec.h"

// Decodes bytes that come in pieces, carrying the bytes of a character a piece ends
// inside of into the next. UTF-8 and UTF-16 are cut between characters here and decoded
// by Codec::Decode; other code pages go to Codec::DecodePiece.
class StreamDecoder {
 public:
  StreamDecoder(Codec& codec, uint32_t codePage) : codec_(codec), codePage_(codePage) {}

  // Whether the converter decodes the code page in pieces.
  static bool Decodes(Codec& codec, uint32_t codePage);

  // Sets *text to the characters that end in bytes. kInvalid: a byte sequence is not
  // valid in the code page (the file does not decode). kNotSupported: the converter
  // turned the piece down.
  DecodeAnswer Feed(std::string_view bytes, WideText* text);

  // Whether the bytes so far end between two characters: a file that ends inside one
  // does not decode.
  bool AtCharacterEnd() const { return pending_.empty(); }

  // The bytes have ended: sets *text to the characters of the bytes still waiting (a
  // converter that reads ahead may hold bytes that are whole characters after all).
  // kInvalid when they are not whole characters.
  DecodeAnswer Finish(WideText* text);

 private:
  Codec& codec_;
  uint32_t codePage_;
  std::string pending_;
  std::string joined_;
};

// Encodes units that come in pieces. A high surrogate at the end of a piece waits for
// the next, so that no pair is cut in two.
class StreamEncoder {
 public:
  StreamEncoder(Codec& codec, uint32_t codePage) : codec_(codec), codePage_(codePage) {}

  // Encodes the settled units of text (all of them when last); text may be changed.
  // Where the codec writes the code page over the units' own storage
  // (Codec::EncodeInPlace) the bytes are put there, saving a copy of them: *bytes then
  // views text's storage, which is spent. Elsewhere *bytes views *buffer, which
  // Codec::Encode fills (or Codec::EncodeFallback, for the code pages Encode does not
  // support). kFailed when the encoder that took them broke off.
  EncodeAnswer Feed(WideText& text, bool last, std::string* buffer, std::string_view* bytes);

  // Whether a character was written as "?".
  bool substituted() const { return substituted_; }

 private:
  // Puts the units held from the piece before in front of text and holds back a high
  // surrogate at its end (unless last). Returns how many units of text are settled.
  size_t Settle(WideText& text, bool last);
  // Encodes settled units into *bytes, as Codec::Encode does (or its fallback).
  EncodeAnswer EncodeSettled(std::u16string_view units, std::string* bytes);

  Codec& codec_;
  uint32_t codePage_;
  bool substituted_ = false;
  WideText held_;
};
