#include "engine/stream_codec.h"

#include "core/code_pages.h"
#include "engine/codec/unicode_pages.h"

namespace {

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }

// The length of the bytes that hold only whole characters: for UTF-16 an even count, for
// UTF-8 up to the start of a last sequence that is still short of bytes. A byte that can
// start no sequence is left to the decoder, which refuses it where it stands.
size_t WholeCharacters(uint32_t codePage, std::string_view bytes) {
  const size_t size = bytes.size();
  if (codePage != kCodePageUtf8) return size & ~size_t{1};
  for (size_t back = 1; back <= 4 && back <= size; ++back) {
    const auto byte = static_cast<unsigned char>(bytes[size - back]);
    if (byte < 0x80) return size;
    if (byte < 0xC0) continue;  // a continuation byte
    const size_t needed = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : 2;
    return back < needed ? size - back : size;
  }
  return size;
}

}  // namespace

bool StreamDecoder::Decodes(Codec& codec, uint32_t codePage) {
  return IsUnicodePage(codePage) || codec.DecodesPieces(codePage);
}

DecodeAnswer StreamDecoder::Feed(std::string_view bytes, WideText* text) {
  text->clear();
  if (!IsUnicodePage(codePage_)) return codec_.DecodePiece(codePage_, bytes, &pending_, text);
  std::string_view all = bytes;
  if (!pending_.empty()) {
    joined_.assign(pending_);
    joined_.append(bytes);
    all = joined_;
  }
  const size_t whole = WholeCharacters(codePage_, all);
  // The program's own decoder, which Codec::Decode uses for these pages on every
  // platform, into the text's buffer of the last piece.
  if (whole != 0 && !DecodeUnicodePage(codePage_, all.substr(0, whole), text)) {
    return DecodeAnswer::kInvalid;
  }
  pending_.assign(all.substr(whole));
  return DecodeAnswer::kDecoded;
}

DecodeAnswer StreamDecoder::Finish(WideText* text) {
  text->clear();
  if (IsUnicodePage(codePage_)) {
    return pending_.empty() ? DecodeAnswer::kDecoded : DecodeAnswer::kInvalid;
  }
  return codec_.DecodeEnd(codePage_, &pending_, text);
}

size_t StreamEncoder::Settle(WideText& text, bool last) {
  if (!held_.empty()) {
    held_.append(text);
    text.swap(held_);
    held_.clear();
  }
  size_t settled = text.size();
  if (!last && settled > 0 && IsHighSurrogate(text[settled - 1])) --settled;
  if (settled != text.size()) held_.assign(text, settled);
  return settled;
}

EncodeAnswer StreamEncoder::EncodeSettled(std::u16string_view units, std::string* bytes) {
  bool substituted = false;
  EncodeAnswer answer = EncodeAnswer::kConverted;
  if (IsUnicodePage(codePage_)) {
    // As Codec::Encode does on every platform, into the buffer of the last piece.
    EncodeUnicodePage(codePage_, units, bytes, &substituted);
  } else {
    answer = codec_.Encode(codePage_, units, bytes, &substituted);
    // A code page the primary encoder lacks goes to the secondary one, as a whole text
    // does; its "?" reports are gathered like the primary one's.
    if (answer == EncodeAnswer::kNotSupported) {
      bytes->clear();
      substituted = false;
      uint32_t error = 0;
      answer = codec_.EncodeFallback(codePage_, units, bytes, &substituted, &error)
                   ? EncodeAnswer::kConverted
                   : EncodeAnswer::kFailed;
    }
  }
  substituted_ |= substituted;
  return answer;
}

EncodeAnswer StreamEncoder::Feed(WideText& text, bool last, std::string* buffer,
                                 std::string_view* bytes) {
  buffer->clear();
  *bytes = {};
  const size_t settled = Settle(text, last);
  if (settled == 0) return EncodeAnswer::kConverted;
  text.resize(settled);
  size_t count = 0;
  bool substituted = false;
  // The same bytes as Encode gives (the whole-text writer counts on that too).
  const EncodeAnswer answer = codec_.EncodeInPlace(codePage_, &text, &count, &substituted);
  if (answer == EncodeAnswer::kNotSupported) {
    const EncodeAnswer encoded = EncodeSettled(text, buffer);
    *bytes = *buffer;
    return encoded;
  }
  substituted_ |= substituted;
  *bytes = std::string_view(reinterpret_cast<const char*>(text.data()), count);
  return answer;
}
