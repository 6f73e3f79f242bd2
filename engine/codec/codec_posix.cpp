// The converter on ICU. UTF-8 and UTF-16 are done by hand (utf8_codec, utf16_codec), and
// so is decoding UTF-7 and ISO-2022-JP (utf7_decoder, iso2022jp_decoder); everything else
// goes through an ICU converter found from the Windows code-page number.
#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/ucnv_err.h>
#include <unicode/ucsdet.h>
#include <unicode/uset.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <map>
#include <string>

#include "core/code_pages.h"
#include "engine/codec/codec.h"
#include "engine/codec/cp932_table.h"
#include "engine/codec/iso2022jp_decoder.h"
#include "engine/codec/unicode_pages.h"
#include "engine/codec/utf7_decoder.h"
#include "engine/large_buffer.h"
#include "engine/two_halves.h"

namespace {

struct ConverterCloser {
  void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using ConverterPtr = std::unique_ptr<UConverter, ConverterCloser>;

struct DetectorCloser {
  void operator()(UCharsetDetector* detector) const { ucsdet_close(detector); }
};
using DetectorPtr = std::unique_ptr<UCharsetDetector, DetectorCloser>;

// Code pages whose ICU name is not simply windows-N, cpN or ibm-N.
struct NamedCodePage {
  uint32_t codePage;
  const char* icuName;
};
constexpr NamedCodePage kIcuNames[] = {
    {932, "windows-932"},     // ibm-943_P15A-2003: the Windows variant with plain ASCII
    {65000, "UTF-7"},         {51932, "EUC-JP"},       {20932, "EUC-JP"},
    {50220, "ISO-2022-JP"},   {50225, "ISO-2022-KR"},  {50227, "ISO-2022-CN"},
    {51949, "EUC-KR"},        {12000, "UTF-32LE"},     {12001, "UTF-32BE"},
    {28591, "ISO-8859-1"},    {28592, "ISO-8859-2"},   {28593, "ISO-8859-3"},
    {28594, "ISO-8859-4"},    {28595, "ISO-8859-5"},   {28596, "ISO-8859-6"},
    {28597, "ISO-8859-7"},    {28598, "ISO-8859-8"},   {38598, "ISO-8859-8"},
    {28599, "ISO-8859-9"},    {28603, "ISO-8859-13"},  {28605, "ISO-8859-15"},
};

// Windows numbers its IBM EBCDIC code pages 20000 + the IBM number. Only these: other
// 20xxx pages (20127, 20866, 20932, ...) are not EBCDIC and ibm-(N-20000) is unrelated.
constexpr uint32_t kIbmEbcdic[] = {20273, 20277, 20278, 20280, 20284, 20285,
                                   20290, 20297, 20420, 20423, 20424, 20833,
                                   20838, 20871, 20880, 20905, 20924};

// What the detector calls a charset, as a Windows code page.
struct DetectedName {
  const char* icuName;
  uint32_t codePage;
};
constexpr DetectedName kDetectedNames[] = {
    {"Shift_JIS", 932},     {"EUC-JP", 51932},       {"ISO-2022-JP", 50220},
    {"UTF-8", 65001},       {"UTF-16LE", 1200},      {"UTF-16BE", 1201},
    {"UTF-32LE", 12000},    {"UTF-32BE", 12001},
    // The detector says ISO-8859-1 only when no byte is in 80..9F, where 1252 and
    // Latin-1 agree; 1252 is what a Windows user expects to see.
    {"ISO-8859-1", 1252},   {"windows-1252", 1252},  {"ISO-8859-2", 28592},
    {"windows-1250", 1250}, {"ISO-8859-5", 28595},   {"windows-1251", 1251},
    {"KOI8-R", 20866},      {"ISO-8859-6", 28596},   {"windows-1256", 1256},
    {"ISO-8859-7", 28597},  {"windows-1253", 1253},  {"ISO-8859-8", 28598},
    {"ISO-8859-8-I", 38598}, {"windows-1255", 1255}, {"ISO-8859-9", 28599},
    {"windows-1254", 1254}, {"Big5", 950},           {"GB18030", 54936},
    {"EUC-KR", 51949},      {"ISO-2022-KR", 50225},  {"ISO-2022-CN", 50227},
};

// Detection looks at this much of a file: the statistics have settled by then, and the
// detector's time grows with the sample (about 25 ms for 1 MB).
constexpr size_t kDetectSample = 64 << 10;

// The first byte plain ASCII text does not have: one with the high bit set, NUL (UTF-16
// or UTF-32 without a mark) or ESC (ISO-2022). bytes.size() when there is none.
size_t FirstTellingByte(std::string_view bytes) {
  constexpr uint64_t kOnes = 0x0101010101010101ull;
  constexpr uint64_t kHighs = 0x8080808080808080ull;
  const char* const data = bytes.data();
  size_t i = 0;
  for (; i + 8 <= bytes.size(); i += 8) {
    uint64_t word;
    std::memcpy(&word, data + i, sizeof word);
    const uint64_t escapes = word ^ (kOnes * 0x1B);
    // A zero byte in word or in escapes sets its high bit here (with no false alarms
    // once the high bits of word itself are known to be clear).
    const uint64_t zeros = ((word - kOnes) & ~word) | ((escapes - kOnes) & ~escapes);
    if (((word | zeros) & kHighs) != 0) break;
  }
  for (; i < bytes.size(); ++i) {
    const unsigned char byte = static_cast<unsigned char>(data[i]);
    if (byte >= 0x80 || byte == 0 || byte == 0x1B) return i;
  }
  return i;
}

// What the detector is shown: the first kDetectSample bytes from shortly before the first
// telling byte, so that a long ASCII head does not hide what follows it. Everything
// before that byte is ASCII, so the sample starts on a character in any code page the
// detector knows; it ends at a line end, so as not to stop inside a character.
std::string_view DetectionSample(std::string_view bytes) {
  const size_t telling = FirstTellingByte(bytes);
  constexpr size_t kLead = 1 << 10;
  std::string_view sample = bytes.substr(telling > kLead ? telling - kLead : 0, kDetectSample);
  const size_t end = static_cast<size_t>(sample.data() - bytes.data()) + sample.size();
  if (end < bytes.size()) {
    const size_t lineEnd = sample.rfind('\n');
    if (lineEnd != std::string_view::npos && lineEnd >= sample.size() / 2) {
      size_t keep = lineEnd + 1;
      if (keep < sample.size() && sample[keep] == '\0') ++keep;  // the rest of LF in UTF-16LE
      sample = sample.substr(0, keep);
    }
  }
  return sample;
}

// Below this the detector is guessing.
constexpr int32_t kMinConfidence = 10;

ConverterPtr OpenNamed(const std::string& name) {
  UErrorCode error = U_ZERO_ERROR;
  ConverterPtr converter(ucnv_open(name.c_str(), &error));
  if (U_FAILURE(error)) return nullptr;
  return converter;
}

ConverterPtr OpenForCodePage(uint32_t codePage) {
  for (const NamedCodePage& entry : kIcuNames) {
    if (entry.codePage == codePage) return OpenNamed(entry.icuName);
  }
  if (std::find(std::begin(kIbmEbcdic), std::end(kIbmEbcdic), codePage) != std::end(kIbmEbcdic)) {
    return OpenNamed("ibm-" + std::to_string(codePage - 20000));
  }
  const std::string number = std::to_string(codePage);
  for (const char* prefix : {"windows-", "cp", "ibm-"}) {
    if (ConverterPtr converter = OpenNamed(prefix + number)) return converter;
  }
  return nullptr;
}

// From-Unicode callback: writes the substitution string ("?" in the code page) for
// anything the code page cannot take and records that it did.
void SubstituteAndRecord(const void* context, UConverterFromUnicodeArgs* args,
                         const UChar* units, int32_t length, UChar32 codePoint,
                         UConverterCallbackReason reason, UErrorCode* error) {
  if (reason == UCNV_UNASSIGNED || reason == UCNV_ILLEGAL || reason == UCNV_IRREGULAR) {
    *static_cast<bool*>(const_cast<void*>(context)) = true;
  }
  UCNV_FROM_U_CALLBACK_SUBSTITUTE(nullptr, args, units, length, codePoint, reason, error);
}

// Converters write into this many units or bytes at a time; the block stays in the cache
// while it is copied to the end of the result.
constexpr size_t kBlock = 1 << 16;

// Decodes everything or nothing: the stop callback turns every illegal, unassigned or
// irregular sequence into an error. The result is reserved once (one unit per byte
// covers every multi-byte code page) and only the part written is ever touched.
bool DecodeWithConverter(UConverter* converter, std::string_view bytes, WideText* text) {
  ucnv_resetToUnicode(converter);
  UErrorCode error = U_ZERO_ERROR;
  ucnv_setToUCallBack(converter, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &error);
  if (U_FAILURE(error)) return false;

  WideText out;
  ReserveLarge(out, bytes.size());
  UChar block[kBlock];
  const char* source = bytes.data();
  const char* sourceEnd = source + bytes.size();
  for (;;) {
    UChar* target = block;
    ucnv_toUnicode(converter, &target, block + kBlock, &source, sourceEnd, nullptr, true,
                   &error);
    out.append(block, static_cast<size_t>(target - block));
    if (error != U_BUFFER_OVERFLOW_ERROR) break;
    error = U_ZERO_ERROR;
  }
  if (U_FAILURE(error)) return false;
  *text = std::move(out);
  return true;
}

// Decodes bytes that come in pieces: ICU is given the bytes held back from the last piece,
// then this one, without flushing, and keeps back itself the bytes of a character the
// piece ends inside of. The converter is reset first, which loses nothing: the bytes it
// held are the ones given again, and the converters taken this way have no other state
// between characters. last: the bytes end here, and any still held are an error. Appends
// the characters to *text and sets *pending to the bytes held back; false when a byte
// sequence is not valid.
bool DecodeStreaming(UConverter* converter, std::string_view piece, bool last,
                     std::string* pending, WideText* text) {
  ucnv_resetToUnicode(converter);
  UErrorCode error = U_ZERO_ERROR;
  ucnv_setToUCallBack(converter, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &error);
  if (U_FAILURE(error)) return false;
  UChar block[kBlock];
  auto feed = [&](std::string_view bytes, bool flush) {
    const char* source = bytes.data();
    const char* sourceEnd = source + bytes.size();
    for (;;) {
      UChar* target = block;
      ucnv_toUnicode(converter, &target, block + kBlock, &source, sourceEnd, nullptr, flush,
                     &error);
      text->append(block, static_cast<size_t>(target - block));
      if (error != U_BUFFER_OVERFLOW_ERROR) break;
      error = U_ZERO_ERROR;
    }
    return U_SUCCESS(error);
  };
  const std::string held = std::move(*pending);
  pending->clear();
  if (!feed(held, last && piece.empty()) || !feed(piece, last)) return false;
  const int32_t count = ucnv_toUCountPending(converter, &error);
  if (U_FAILURE(error) || count < 0) return false;
  const size_t kept = static_cast<size_t>(count);
  if (kept > held.size() + piece.size()) return false;
  // The bytes ICU holds are the last ones it was given.
  if (kept > piece.size()) {
    pending->assign(held, held.size() - (kept - piece.size()));
    pending->append(piece);
  } else {
    pending->assign(piece.substr(piece.size() - kept));
  }
  return !last || pending->empty();
}

// Whether a converter decodes and encodes the same way in pieces as in one go: one that
// maps by its tables alone, with no state between characters, and no mapping of several
// characters to one byte sequence (which a cut between the characters would change).
bool ConvertsInPieces(UConverter* converter) {
  switch (ucnv_getType(converter)) {
    case UCNV_SBCS:
    case UCNV_DBCS:
    case UCNV_MBCS:
    case UCNV_LATIN_1:
    case UCNV_US_ASCII:
      break;
    default:
      return false;
  }
  UErrorCode error = U_ZERO_ERROR;
  USet* set = uset_openEmpty();
  ucnv_getUnicodeSet(converter, set, UCNV_ROUNDTRIP_AND_FALLBACK_SET, &error);
  // The set names such sequences as strings, beside its ranges of single characters.
  const bool strings = uset_getItemCount(set) != uset_getRangeCount(set);
  uset_close(set);
  return U_SUCCESS(error) && !strings;
}

bool EncodeWithConverter(UConverter* converter, std::u16string_view text, std::string* bytes,
                         bool* substituted) {
  ucnv_resetFromUnicode(converter);
  bool replaced = false;
  UErrorCode error = U_ZERO_ERROR;
  ucnv_setFallback(converter, false);
  // Set as text so that each code page writes its own "?" (6F in EBCDIC, in single-byte
  // mode for stateful ones) rather than its default substitution bytes.
  ucnv_setSubstString(converter, u"?", 1, &error);
  ucnv_setFromUCallBack(converter, SubstituteAndRecord, &replaced, nullptr, nullptr, &error);
  if (U_FAILURE(error)) return false;

  // Reserved for the longest result the code page can give; only the part written is
  // touched.
  std::string out;
  ReserveLarge(out, UCNV_GET_MAX_BYTES_FOR_STRING(text.size(), ucnv_getMaxCharSize(converter)));
  char block[kBlock];
  const UChar* source = text.data();
  const UChar* sourceEnd = source + text.size();
  for (;;) {
    char* target = block;
    ucnv_fromUnicode(converter, &target, block + kBlock, &source, sourceEnd, nullptr, true,
                     &error);
    out.append(block, static_cast<size_t>(target - block));
    if (error != U_BUFFER_OVERFLOW_ERROR) break;
    error = U_ZERO_ERROR;
  }
  // The callback keeps a pointer to a local: detach it before leaving.
  UErrorCode ignored = U_ZERO_ERROR;
  ucnv_setFromUCallBack(converter, UCNV_FROM_U_CALLBACK_SUBSTITUTE, nullptr, nullptr, nullptr,
                        &ignored);
  if (U_FAILURE(error)) return false;
  *bytes = std::move(out);
  *substituted = replaced;
  return true;
}

// Writes the text to *out with "?" for every surrogate that is not half of a pair; false
// (and *out untouched) when there is none.
bool QuestionMarksForLoneSurrogates(std::u16string_view text, std::u16string* out) {
  auto lone = [&](size_t i) {
    const char16_t unit = text[i];
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      return i + 1 == text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF;
    }
    if (unit >= 0xDC00 && unit <= 0xDFFF) {
      return i == 0 || text[i - 1] < 0xD800 || text[i - 1] > 0xDBFF;
    }
    return false;
  };
  size_t i = 0;
  while (i < text.size() && !lone(i)) ++i;
  if (i == text.size()) return false;
  std::u16string result(text);
  for (; i < text.size(); ++i) {
    if (lone(i)) result[i] = u'?';
  }
  *out = std::move(result);
  return true;
}

// Converts one unit the way code page 932 would with look-alikes allowed, so that the
// count matches what Windows reports for the same unit.
int CountBytesIn932(UConverter* converter, char16_t unit) {
  ucnv_resetFromUnicode(converter);
  UErrorCode error = U_ZERO_ERROR;
  char out[8];
  const int32_t length = ucnv_fromUChars(converter, out, sizeof out, &unit, 1, &error);
  return U_FAILURE(error) ? 0 : length;
}

class IcuCodec final : public Codec {
 public:
  bool Detect(std::string_view bytes, uint32_t* codePage) override;
  bool Decode(uint32_t codePage, std::string_view bytes, WideText* text) override;
  EncodeAnswer Encode(uint32_t codePage, std::u16string_view text, std::string* bytes,
                      bool* substituted) override;
  bool DecodesInPlace(uint32_t codePage) override;
  bool DecodesPieces(uint32_t codePage) override;
  bool EncodesPieces(uint32_t codePage) override;
  DecodeAnswer DecodeInPlace(uint32_t codePage, WideText* text, size_t offset,
                             size_t count) override;
  DecodeAnswer DecodePiece(uint32_t codePage, std::string_view piece, std::string* pending,
                           WideText* text) override;
  EncodeAnswer EncodeInPlace(uint32_t codePage, WideText* text, size_t* byteCount,
                             bool* substituted) override;
  DecodeAnswer DecodeEnd(uint32_t codePage, std::string* pending, WideText* text) override;
  bool EncodeFallback(uint32_t codePage, std::u16string_view text, std::string* bytes,
                      bool* substituted, uint32_t* error) override;
  int BytesIn932(char16_t unit) override;

 private:
  // The converter for a code page, opened once; nullptr when ICU has none.
  UConverter* ConverterFor(uint32_t codePage);
  // The converter for a code page that ICU converts in pieces (see ConvertsInPieces);
  // nullptr for one it does not, or one the program decodes itself.
  UConverter* PieceConverterFor(uint32_t codePage);

  std::map<uint32_t, ConverterPtr> converters_;
  std::map<uint32_t, bool> inPieces_;
  ConverterPtr converter932_;  // for BytesIn932, with fallbacks on
  DetectorPtr detector_;
};

UConverter* IcuCodec::ConverterFor(uint32_t codePage) {
  auto found = converters_.find(codePage);
  if (found == converters_.end()) {
    found = converters_.emplace(codePage, OpenForCodePage(codePage)).first;
  }
  return found->second.get();
}

UConverter* IcuCodec::PieceConverterFor(uint32_t codePage) {
  // UTF-7 and ISO-2022-JP carry a state from one character to the next; the program
  // decodes them itself, whole.
  if (IsUnicodePage(codePage) || codePage == kCodePageUtf7 || IsIso2022JpPage(codePage)) {
    return nullptr;
  }
  UConverter* converter = ConverterFor(codePage);
  if (converter == nullptr) return nullptr;
  auto found = inPieces_.find(codePage);
  if (found == inPieces_.end()) {
    found = inPieces_.emplace(codePage, ConvertsInPieces(converter)).first;
  }
  return found->second ? converter : nullptr;
}

bool IcuCodec::Detect(std::string_view bytes, uint32_t* codePage) {
  UErrorCode error = U_ZERO_ERROR;
  if (!detector_) {
    detector_.reset(ucsdet_open(&error));
    if (U_FAILURE(error)) {
      detector_.reset();
      return false;
    }
  }
  const std::string_view sample = DetectionSample(bytes);
  ucsdet_setText(detector_.get(), sample.data(), static_cast<int32_t>(sample.size()), &error);
  const UCharsetMatch* match = ucsdet_detect(detector_.get(), &error);
  if (U_FAILURE(error) || match == nullptr) return false;
  const int32_t confidence = ucsdet_getConfidence(match, &error);
  const char* name = ucsdet_getName(match, &error);
  // The detector keeps a pointer to the bytes: let go of it.
  UErrorCode ignored = U_ZERO_ERROR;
  ucsdet_setText(detector_.get(), "", 0, &ignored);
  if (U_FAILURE(error) || name == nullptr || confidence < kMinConfidence) return false;
  for (const DetectedName& entry : kDetectedNames) {
    if (std::strcmp(entry.icuName, name) == 0) {
      *codePage = entry.codePage;
      return true;
    }
  }
  return false;
}

bool IcuCodec::Decode(uint32_t codePage, std::string_view bytes, WideText* text) {
  if (IsUnicodePage(codePage)) {
    // Never more units than bytes; the decoder sizes the text within this room.
    WideText out;
    ReserveLarge(out, bytes.size());
    if (!DecodeUnicodePage(codePage, bytes, &out)) return false;
    *text = std::move(out);
    return true;
  }
  if (codePage == kCodePageShiftJis) {
    if (const Cp932Table* table = Cp932Table::Get()) return table->Decode(bytes, text);
  }
  if (codePage == kCodePageUtf7) return DecodeUtf7(bytes, text);
  if (codePage == kCodePageIso2022Jp) {
    // ICU's converter turns down some valid spellings (an escape sequence right after
    // another) and reads JIS-Roman's 5C and 7E other than Windows does. ICU has no
    // encoder for 50221 and 50222, so they stay unsupported here.
    std::string shiftJis;
    return Iso2022JpToShiftJis(bytes, &shiftJis) && Decode(kCodePageShiftJis, shiftJis, text);
  }
  UConverter* converter = ConverterFor(codePage);
  return converter != nullptr && DecodeWithConverter(converter, bytes, text);
}

// UTF-16, and Shift-JIS by its table when the table could be built.
bool IcuCodec::DecodesInPlace(uint32_t codePage) {
  return IsUtf16CodePage(codePage) ||
         (codePage == kCodePageShiftJis && Cp932Table::Get() != nullptr);
}

// Shift-JIS by its table, and the code pages ICU converts in pieces.
bool IcuCodec::DecodesPieces(uint32_t codePage) {
  if (codePage == kCodePageShiftJis && Cp932Table::Get() != nullptr) return true;
  return PieceConverterFor(codePage) != nullptr;
}

// UTF-8, UTF-16 and Shift-JIS by its table, whose characters are encoded one by one, and
// the code pages ICU converts in pieces.
bool IcuCodec::EncodesPieces(uint32_t codePage) {
  if (IsUnicodePage(codePage)) return true;
  if (codePage == kCodePageShiftJis && Cp932Table::Get() != nullptr) return true;
  return PieceConverterFor(codePage) != nullptr;
}

DecodeAnswer IcuCodec::DecodePiece(uint32_t codePage, std::string_view piece,
                                   std::string* pending, WideText* text) {
  if (const Cp932Table* table = codePage == kCodePageShiftJis ? Cp932Table::Get() : nullptr) {
    return table->DecodePiece(piece, pending, text) ? DecodeAnswer::kDecoded
                                                    : DecodeAnswer::kInvalid;
  }
  UConverter* converter = PieceConverterFor(codePage);
  if (converter == nullptr) return DecodeAnswer::kNotSupported;
  return DecodeStreaming(converter, piece, false, pending, text) ? DecodeAnswer::kDecoded
                                                                 : DecodeAnswer::kInvalid;
}

DecodeAnswer IcuCodec::DecodeEnd(uint32_t codePage, std::string* pending, WideText* text) {
  if (pending->empty()) return DecodeAnswer::kDecoded;
  const bool byTable = codePage == kCodePageShiftJis && Cp932Table::Get() != nullptr;
  UConverter* converter = byTable ? nullptr : PieceConverterFor(codePage);
  if (converter == nullptr) return DecodeAnswer::kInvalid;
  return DecodeStreaming(converter, std::string_view(), true, pending, text)
             ? DecodeAnswer::kDecoded
             : DecodeAnswer::kInvalid;
}

DecodeAnswer IcuCodec::DecodeInPlace(uint32_t codePage, WideText* text, size_t offset,
                                     size_t count) {
  if (codePage == kCodePageShiftJis) {
    const Cp932Table* table = Cp932Table::Get();
    if (!table) return DecodeAnswer::kNotSupported;
    return table->DecodeInPlace(text, offset, count) ? DecodeAnswer::kDecoded
                                                     : DecodeAnswer::kInvalid;
  }
  return DecodeUnicodePageInPlace(codePage, text, offset, count);
}

EncodeAnswer IcuCodec::Encode(uint32_t codePage, std::u16string_view text, std::string* bytes,
                              bool* substituted) {
  if (IsUnicodePage(codePage)) {
    // At most three bytes per unit (a surrogate pair takes four for its two units).
    std::string out;
    ReserveLarge(out, text.size() * 3);
    EncodeUnicodePage(codePage, text, &out, substituted);
    *bytes = std::move(out);
    return EncodeAnswer::kConverted;
  }
  if (codePage == kCodePageShiftJis) {
    if (const Cp932Table* table = Cp932Table::Get()) {
      table->Encode(text, bytes, substituted);
      return EncodeAnswer::kConverted;
    }
  }
  UConverter* converter = ConverterFor(codePage);
  if (converter == nullptr) return EncodeAnswer::kNotSupported;
  // ICU's UTF-7 encoder writes a lone surrogate as it is, which no strict reader takes
  // back (DecodeUtf7 refuses it): it becomes "?", as in the other code pages.
  std::u16string withoutLone;
  const bool lone = codePage == kCodePageUtf7 && QuestionMarksForLoneSurrogates(text, &withoutLone);
  const std::u16string_view source = lone ? std::u16string_view(withoutLone) : text;
  if (!EncodeWithConverter(converter, source, bytes, substituted)) {
    return EncodeAnswer::kFailed;
  }
  *substituted = *substituted || lone;
  return EncodeAnswer::kConverted;
}

EncodeAnswer IcuCodec::EncodeInPlace(uint32_t codePage, WideText* text, size_t* byteCount,
                                     bool* substituted) {
  if (EncodeUnicodePageInPlace(codePage, text, byteCount)) {
    *substituted = false;
    return EncodeAnswer::kConverted;
  }
  // Code page 932 never takes more than two bytes for a unit.
  const Cp932Table* table = codePage == kCodePageShiftJis ? Cp932Table::Get() : nullptr;
  if (table == nullptr) return EncodeAnswer::kNotSupported;

  // A large text is encoded in two halves at once, each over its own units; the second
  // half's bytes then move down behind the first half's. The halves never divide a
  // surrogate pair, and the code page has no state, so together they give exactly the
  // bytes of one pass.
  char16_t* const units = text->data();
  const size_t size = text->size();
  if (!TwoHalvesPay(size * sizeof(char16_t))) {
    *byteCount = table->EncodeInPlace(units, size, substituted);
    return EncodeAnswer::kConverted;
  }
  size_t split = size / 2;
  if (units[split - 1] >= 0xD800 && units[split - 1] <= 0xDBFF) ++split;
  size_t firstBytes = 0;
  size_t secondBytes = 0;
  bool firstReplaced = false;
  bool secondReplaced = false;
  RunTwoHalves([&] { firstBytes = table->EncodeInPlace(units, split, &firstReplaced); },
               [&] {
                 secondBytes = table->EncodeInPlace(units + split, size - split, &secondReplaced);
               });
  char* const bytes = reinterpret_cast<char*>(units);
  std::memmove(bytes + firstBytes, bytes + split * 2, secondBytes);
  *byteCount = firstBytes + secondBytes;
  *substituted = firstReplaced || secondReplaced;
  return EncodeAnswer::kConverted;
}

// ICU is the only encoder here, so the fallback has nothing better to offer: it reaches
// Encode's code pages the same way and reports EINVAL for a code page ICU does not have
// and EILSEQ when ICU fails.
bool IcuCodec::EncodeFallback(uint32_t codePage, std::u16string_view text, std::string* bytes,
                              bool* substituted, uint32_t* error) {
  switch (Encode(codePage, text, bytes, substituted)) {
    case EncodeAnswer::kConverted: return true;
    case EncodeAnswer::kNotSupported: *error = EINVAL; return false;
    case EncodeAnswer::kFailed: break;
  }
  *error = EILSEQ;
  return false;
}

int IcuCodec::BytesIn932(char16_t unit) {
  // Counted when the program was built, with the same converter and settings.
  if (const int counted = Cp932Table::BytesWithLookAlikes(unit); counted >= 0) return counted;
  if (!converter932_) {
    converter932_ = OpenForCodePage(kCodePageShiftJis);
    if (!converter932_) return 0;
    UErrorCode error = U_ZERO_ERROR;
    ucnv_setFallback(converter932_.get(), true);
    ucnv_setSubstString(converter932_.get(), u"?", 1, &error);
    if (U_FAILURE(error)) {
      converter932_.reset();
      return 0;
    }
  }
  return CountBytesIn932(converter932_.get(), unit);
}

}  // namespace

std::unique_ptr<Codec> CreateSystemCodec(uint32_t* failureCode) {
  *failureCode = 0;
  return std::make_unique<IcuCodec>();
}
