// The converter on Windows: MLang (IMultiLanguage2) for detection and the primary
// encoder, the kernel's MultiByteToWideChar / WideCharToMultiByte where they can be
// strict, UTF-8 / UTF-16 by hand (utf8_codec, utf16_codec), and decoding UTF-7 and
// ISO-2022-JP by hand too (utf7_decoder, iso2022jp_decoder).
#include <windows.h>
#include <objbase.h>
#include <mlang.h>

#include <algorithm>
#include <array>
#include <climits>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>

#include "core/code_pages.h"
#include "engine/codec/codec.h"
#include "engine/codec/iso2022jp_decoder.h"
#include "engine/codec/unicode_pages.h"
#include "engine/codec/utf7_decoder.h"

namespace {

// IID_IMultiLanguage2, which mingw-w64's uuid library leaves out.
constexpr IID kIidMultiLanguage2 = {
    0xDCCFC164, 0x2B38, 0x11D2, {0xB7, 0xEC, 0x00, 0xC0, 0x4F, 0x8F, 0x5D, 0x9A}};

// "?" for everything the code page lacks, and no look-alikes.
constexpr DWORD kStrictDefaultChar = MLCONVCHARF_USEDEFCHAR | MLCONVCHARF_NOBESTFITCHARS;
wchar_t kQuestionMark[] = L"?";

// The APIs take int or UINT lengths: huge inputs go through them in blocks this size.
constexpr size_t kByteBlock = size_t{256} << 20;
constexpr size_t kUnitBlock = size_t{16} << 20;

// Code pages for which MultiByteToWideChar takes no MB_ERR_INVALID_CHARS.
bool DecoderWantsNoFlags(uint32_t codePage) {
  return codePage == 42 || (codePage >= 50220 && codePage <= 50222) || codePage == 50225 ||
         codePage == 50227 || codePage == 50229 || (codePage >= 57002 && codePage <= 57011) ||
         codePage == kCodePageUtf7;
}

// Code pages for which WideCharToMultiByte takes neither WC_NO_BEST_FIT_CHARS nor a
// used-default-char report.
bool EncoderWantsNoFlags(uint32_t codePage) {
  return DecoderWantsNoFlags(codePage) || codePage == kCodePageUtf8 || codePage == 54936;
}

// Where the block of bytes that starts at start may end: at the end of the input when it
// fits, else just after the last byte below 0x30 in reach. No multi-byte code page uses
// such a byte inside a character (GB18030's smallest is 0x30), so nothing is cut in two.
// 0 when there is no such byte.
size_t ByteBlockEnd(std::string_view bytes, size_t start) {
  if (bytes.size() - start <= kByteBlock) return bytes.size();
  for (size_t i = start + kByteBlock; i > start; --i) {
    if (static_cast<unsigned char>(bytes[i - 1]) < 0x30) return i;
  }
  return 0;
}

// The same for units: after a line end when there is one in the second half, and never
// between the halves of a surrogate pair.
size_t UnitBlockEnd(std::u16string_view text, size_t start) {
  if (text.size() - start <= kUnitBlock) return text.size();
  size_t end = start + kUnitBlock;
  const size_t lineEnd = text.substr(0, end).rfind(u'\n');
  if (lineEnd != std::u16string_view::npos && lineEnd >= start + kUnitBlock / 2) {
    return lineEnd + 1;
  }
  if (text[end - 1] >= 0xD800 && text[end - 1] <= 0xDBFF) --end;
  return end;
}

int ToInt(size_t n) { return static_cast<int>(n); }

// How the program finds where characters end in a code page it decodes in pieces, so
// that each piece given to the system holds whole characters only.
struct PieceRule {
  enum Kind { kSingleByte, kLeadBytes, kEucJp };
  Kind kind = kSingleByte;
  std::array<bool, 256> lead{};  // kLeadBytes: the bytes that take one more
};

// The length of the bytes that hold only whole characters, counted from a character's
// start. A byte sequence the code page does not have is left to the system's decoder,
// which refuses it where it stands.
size_t WholeCharacters(const PieceRule& rule, std::string_view bytes) {
  const size_t size = bytes.size();
  if (rule.kind == PieceRule::kSingleByte) return size;
  size_t i = 0;
  while (i < size) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    size_t length = 1;
    if (rule.kind == PieceRule::kLeadBytes) {
      length = rule.lead[byte] ? 2 : 1;
    } else if (byte == 0x8F) {  // JIS X 0212: two more
      length = 3;
    } else if (byte == 0x8E || (byte >= 0xA1 && byte <= 0xFE)) {
      length = 2;
    }
    if (i + length > size) break;
    i += length;
  }
  return i;
}

class MLangCodec final : public Codec {
 public:
  explicit MLangCodec(IMultiLanguage2* mlang) : mlang_(mlang) {}
  ~MLangCodec() override { mlang_->Release(); }
  MLangCodec(const MLangCodec&) = delete;
  MLangCodec& operator=(const MLangCodec&) = delete;

  bool Detect(std::string_view bytes, uint32_t* codePage) override;
  bool Decode(uint32_t codePage, std::string_view bytes, WideText* text) override;
  EncodeAnswer Encode(uint32_t codePage, std::u16string_view text, std::string* bytes,
                      bool* substituted) override;
  // UTF-16 only: the system's converter takes whole runs of characters, never pieces.
  bool DecodesInPlace(uint32_t codePage) override { return IsUtf16CodePage(codePage); }
  DecodeAnswer DecodeInPlace(uint32_t codePage, WideText* text, size_t offset,
                             size_t count) override {
    return DecodeUnicodePageInPlace(codePage, text, offset, count);
  }
  // The code pages whose characters the program can tell apart (see RuleFor): each
  // piece of whole characters goes to the system on its own.
  bool DecodesPieces(uint32_t codePage) override { return RuleFor(codePage) != nullptr; }
  DecodeAnswer DecodePiece(uint32_t codePage, std::string_view piece, std::string* pending,
                           WideText* text) override;
  DecodeAnswer DecodeEnd(uint32_t codePage, std::string* pending, WideText* text) override;
  // UTF-8 and UTF-16, which the program encodes itself, and the code pages decoded in
  // pieces: none has a state from one character to the next, in MLang or (for a page
  // MLang lacks) in the kernel's encoder.
  bool EncodesPieces(uint32_t codePage) override {
    return IsUnicodePage(codePage) || RuleFor(codePage) != nullptr;
  }
  EncodeAnswer EncodeInPlace(uint32_t codePage, WideText* text, size_t* byteCount,
                             bool* substituted) override {
    if (!EncodeUnicodePageInPlace(codePage, text, byteCount)) return EncodeAnswer::kNotSupported;
    *substituted = false;
    return EncodeAnswer::kConverted;
  }
  bool EncodeFallback(uint32_t codePage, std::u16string_view text, std::string* bytes,
                      bool* substituted, uint32_t* error) override;
  int BytesIn932(char16_t unit) override;

 private:
  enum class Outcome { kDone, kInvalid, kUnsupported };

  // How characters end in a code page with no state between them that the kernel or
  // MLang decodes; nullptr for any other.
  const PieceRule* RuleFor(uint32_t codePage);
  // Decode for the code pages the kernel or MLang decode.
  bool DecodeSystemPage(uint32_t codePage, std::string_view bytes, WideText* text);
  Outcome DecodeWithKernel(uint32_t codePage, std::string_view bytes, WideText* text);
  bool DecodeWithMLang(uint32_t codePage, std::string_view bytes, WideText* text);
  // One block each, appended to *out; no checks beyond what MLang reports.
  HRESULT MLangToUnicode(uint32_t codePage, std::string_view bytes, WideText* out);
  // What the encoder's bytes read as, appended to *out: as Decode reads them where it
  // does not use MLang (MLang reads bytes its own encoder should not have written, such
  // as Shift-JIS pairs in ISO-2022-JP, without a word), else MLang's reading.
  HRESULT ReadBack(uint32_t codePage, std::string_view bytes, WideText* out);
  HRESULT MLangFromUnicode(uint32_t codePage, std::u16string_view text, std::string* out);
  // Encodes with one "?" for each character that does not come back from MLang alone.
  HRESULT MLangFromUnicodeStrictly(uint32_t codePage, std::u16string_view text,
                                   std::unordered_map<char32_t, bool>* survives,
                                   std::string* out);

  IMultiLanguage2* mlang_;
  std::map<uint32_t, std::optional<PieceRule>> rules_;
  std::string joined_;  // the bytes pending and a piece
};

const PieceRule* MLangCodec::RuleFor(uint32_t codePage) {
  if (IsUnicodePage(codePage) || codePage == kCodePageUtf7 || IsIso2022JpPage(codePage) ||
      DecoderWantsNoFlags(codePage)) {
    return nullptr;
  }
  auto found = rules_.find(codePage);
  if (found != rules_.end()) return found->second ? &*found->second : nullptr;
  std::optional<PieceRule> rule;
  // The kernel's lead bytes where the kernel decodes the code page: they are how it
  // reads the bytes itself. Pages with longer characters (GB18030) or a state are left
  // whole.
  CPINFO info{};
  if (GetCPInfo(codePage, &info)) {
    if (info.MaxCharSize == 1) {
      rule.emplace();
    } else if (info.MaxCharSize == 2) {
      rule.emplace();
      rule->kind = PieceRule::kLeadBytes;
      for (int i = 0; i + 1 < MAX_LEADBYTES && info.LeadByte[i] != 0; i += 2) {
        for (int byte = info.LeadByte[i]; byte <= info.LeadByte[i + 1]; ++byte) {
          rule->lead[static_cast<size_t>(byte)] = true;
        }
      }
    }
  } else if (codePage == kCodePageEucJp &&
             mlang_->IsConvertible(codePage, kCodePageUtf16Le) == S_OK) {
    // Only MLang has 51932.
    rule.emplace();
    rule->kind = PieceRule::kEucJp;
  }
  found = rules_.emplace(codePage, rule).first;
  return found->second ? &*found->second : nullptr;
}

bool MLangCodec::DecodeSystemPage(uint32_t codePage, std::string_view bytes, WideText* text) {
  if (!DecoderWantsNoFlags(codePage)) {
    switch (DecodeWithKernel(codePage, bytes, text)) {
      case Outcome::kDone: return true;
      case Outcome::kInvalid: return false;
      case Outcome::kUnsupported: break;  // e.g. 51932, which only MLang has
    }
  }
  return DecodeWithMLang(codePage, bytes, text);
}

DecodeAnswer MLangCodec::DecodePiece(uint32_t codePage, std::string_view piece,
                                     std::string* pending, WideText* text) {
  const PieceRule* rule = RuleFor(codePage);
  if (rule == nullptr) return DecodeAnswer::kNotSupported;
  std::string_view all = piece;
  if (!pending->empty()) {
    joined_.assign(*pending);
    joined_.append(piece);
    all = joined_;
  }
  const size_t whole = WholeCharacters(*rule, all);
  if (whole != 0) {
    WideText units;
    if (!DecodeSystemPage(codePage, all.substr(0, whole), &units)) return DecodeAnswer::kInvalid;
    if (text->empty()) {
      text->swap(units);
    } else {
      text->append(units);
    }
  }
  pending->assign(all.substr(whole));
  return DecodeAnswer::kDecoded;
}

// The bytes left are the start of a character with the rest missing: the system is given
// them as the whole road gives them, at the end of the file.
DecodeAnswer MLangCodec::DecodeEnd(uint32_t codePage, std::string* pending, WideText* text) {
  if (pending->empty()) return DecodeAnswer::kDecoded;
  WideText units;
  if (RuleFor(codePage) == nullptr || !DecodeSystemPage(codePage, *pending, &units)) {
    return DecodeAnswer::kInvalid;
  }
  text->append(units);
  pending->clear();
  return DecodeAnswer::kDecoded;
}

bool MLangCodec::Detect(std::string_view bytes, uint32_t* codePage) {
  if (bytes.empty()) return false;
  // MLang takes an int length: a larger input is judged by its first 2 GiB.
  INT length = ToInt(std::min<size_t>(bytes.size(), INT_MAX));
  DetectEncodingInfo info{};
  INT count = 1;
  const HRESULT result = mlang_->DetectInputCodepage(
      MLDETECTCP_NONE, 0, const_cast<CHAR*>(bytes.data()), &length, &info, &count);
  if (result != S_OK || count < 1 || info.nCodePage == 0) return false;
  *codePage = info.nCodePage;
  return true;
}

MLangCodec::Outcome MLangCodec::DecodeWithKernel(uint32_t codePage, std::string_view bytes,
                                                 WideText* text) {
  WideText out;
  for (size_t start = 0; start < bytes.size();) {
    const size_t end = ByteBlockEnd(bytes, start);
    if (end == 0) return Outcome::kInvalid;
    const char* source = bytes.data() + start;
    const int length = ToInt(end - start);
    const int units = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, source, length,
                                          nullptr, 0);
    if (units == 0) {
      const DWORD error = GetLastError();
      return error == ERROR_INVALID_FLAGS || error == ERROR_INVALID_PARAMETER
                 ? Outcome::kUnsupported
                 : Outcome::kInvalid;
    }
    const size_t old = out.size();
    out.resize(old + static_cast<size_t>(units));
    if (MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, source, length,
                            reinterpret_cast<wchar_t*>(out.data() + old), units) != units) {
      return Outcome::kInvalid;
    }
    start = end;
  }
  *text = std::move(out);
  return Outcome::kDone;
}

HRESULT MLangCodec::MLangToUnicode(uint32_t codePage, std::string_view bytes, WideText* out) {
  DWORD mode = 0;
  UINT sourceLength = static_cast<UINT>(bytes.size());
  UINT units = 0;
  CHAR* source = const_cast<CHAR*>(bytes.data());
  HRESULT result = mlang_->ConvertStringToUnicodeEx(&mode, codePage, source, &sourceLength,
                                                    nullptr, &units, 0, nullptr);
  if (result != S_OK || units == 0) return result;  // nothing but escape sequences
  const size_t old = out->size();
  out->resize(old + units);
  mode = 0;
  sourceLength = static_cast<UINT>(bytes.size());
  UINT written = units;
  result = mlang_->ConvertStringToUnicodeEx(&mode, codePage, source, &sourceLength,
                                            reinterpret_cast<WCHAR*>(out->data() + old),
                                            &written, 0, nullptr);
  if (result == S_OK && (written > units || sourceLength != bytes.size())) result = E_FAIL;
  out->resize(old + (result == S_OK ? written : 0));
  return result;
}

HRESULT MLangCodec::ReadBack(uint32_t codePage, std::string_view bytes, WideText* out) {
  if (codePage != kCodePageUtf7 && !IsIso2022JpPage(codePage)) {
    return MLangToUnicode(codePage, bytes, out);
  }
  WideText text;
  if (!Decode(codePage, bytes, &text)) return E_FAIL;
  out->append(text);
  return S_OK;
}

HRESULT MLangCodec::MLangFromUnicode(uint32_t codePage, std::u16string_view text,
                                     std::string* out) {
  DWORD mode = 0;
  UINT sourceLength = static_cast<UINT>(text.size());
  UINT size = 0;
  WCHAR* source = const_cast<WCHAR*>(reinterpret_cast<const WCHAR*>(text.data()));
  HRESULT result = mlang_->ConvertStringFromUnicodeEx(&mode, codePage, source, &sourceLength,
                                                      nullptr, &size, kStrictDefaultChar,
                                                      kQuestionMark);
  if (result != S_OK || size == 0) return result;
  const size_t old = out->size();
  out->resize(old + size);
  mode = 0;
  sourceLength = static_cast<UINT>(text.size());
  UINT written = size;
  result = mlang_->ConvertStringFromUnicodeEx(&mode, codePage, source, &sourceLength,
                                              out->data() + old, &written, kStrictDefaultChar,
                                              kQuestionMark);
  if (result == S_OK && (written > size || sourceLength != text.size())) result = E_FAIL;
  out->resize(old + (result == S_OK ? written : 0));
  return result;
}

HRESULT MLangCodec::MLangFromUnicodeStrictly(uint32_t codePage, std::u16string_view text,
                                             std::unordered_map<char32_t, bool>* survives,
                                             std::string* out) {
  std::u16string kept;
  kept.reserve(text.size());
  std::string bytes;
  WideText back;
  for (size_t i = 0; i < text.size();) {
    const bool pair = text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size() &&
                      text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
    const std::u16string_view character = text.substr(i, pair ? 2 : 1);
    const char32_t key =
        pair ? 0x10000 + ((char32_t{text[i]} - 0xD800) << 10) + (text[i + 1] - 0xDC00)
             : char32_t{text[i]};
    auto [entry, added] = survives->try_emplace(key, false);
    if (added) {
      bytes.clear();
      back.clear();
      entry->second = MLangFromUnicode(codePage, character, &bytes) == S_OK &&
                      ReadBack(codePage, bytes, &back) == S_OK && back == character;
    }
    if (entry->second) {
      kept += character;
    } else {
      kept += u'?';
    }
    i += character.size();
  }
  return MLangFromUnicode(codePage, kept, out);
}

// MLang decodes whatever it is given and says nothing about bytes it could not map, so
// each block is encoded again and must give back exactly its bytes. That would also
// turn down valid but unusual spellings, which is why UTF-7 and ISO-2022-JP do not come
// here (see Decode).
bool MLangCodec::DecodeWithMLang(uint32_t codePage, std::string_view bytes, WideText* text) {
  WideText out;
  std::string check;
  for (size_t start = 0; start < bytes.size();) {
    const size_t end = ByteBlockEnd(bytes, start);
    if (end == 0) return false;
    const std::string_view block = bytes.substr(start, end - start);
    const size_t old = out.size();
    if (MLangToUnicode(codePage, block, &out) != S_OK) return false;
    check.clear();
    if (MLangFromUnicode(codePage, std::u16string_view(out).substr(old), &check) != S_OK ||
        check != block) {
      return false;
    }
    start = end;
  }
  *text = std::move(out);
  return true;
}

bool MLangCodec::Decode(uint32_t codePage, std::string_view bytes, WideText* text) {
  if (IsUnicodePage(codePage)) return DecodeUnicodePage(codePage, bytes, text);
  if (codePage == kCodePageUtf7) return DecodeUtf7(bytes, text);
  if (IsIso2022JpPage(codePage)) {
    // Checked by the encoding's rules, then decoded as code page 932 by the kernel, which
    // refuses a pair without a character (MLang puts in U+30FB and says nothing).
    std::string shiftJis;
    return Iso2022JpToShiftJis(bytes, &shiftJis) &&
           DecodeWithKernel(kCodePageShiftJis, shiftJis, text) == Outcome::kDone;
  }
  if (bytes.empty()) {
    if (!IsValidCodePage(codePage) && mlang_->IsConvertible(codePage, kCodePageUtf16Le) != S_OK) {
      return false;
    }
    text->clear();
    return true;
  }
  return DecodeSystemPage(codePage, bytes, text);
}

// MLang does not say when it put in a "?", so each block is decoded again and compared:
// any difference means something was replaced. Such a block is done again character by
// character, because some MLang versions (Wine's) put in look-alikes despite
// MLCONVCHARF_NOBESTFITCHARS, and one "?" for each half of a surrogate pair.
EncodeAnswer MLangCodec::Encode(uint32_t codePage, std::u16string_view text,
                                std::string* bytes, bool* substituted) {
  if (IsUnicodePage(codePage)) {
    EncodeUnicodePage(codePage, text, bytes, substituted);
    return EncodeAnswer::kConverted;
  }
  if (text.empty()) {
    if (mlang_->IsConvertible(kCodePageUtf16Le, codePage) != S_OK) {
      return EncodeAnswer::kNotSupported;
    }
    bytes->clear();
    *substituted = false;
    return EncodeAnswer::kConverted;
  }
  std::string out;
  WideText back;
  std::unordered_map<char32_t, bool> survives;
  bool replaced = false;
  for (size_t start = 0; start < text.size();) {
    const size_t end = UnitBlockEnd(text, start);
    const std::u16string_view block = text.substr(start, end - start);
    const size_t old = out.size();
    HRESULT result = MLangFromUnicode(codePage, block, &out);
    if (result != S_OK) {
      // Wine's MLang answers E_FAIL rather than S_FALSE for a code page it lacks.
      const bool lacking =
          result == S_FALSE || mlang_->IsConvertible(kCodePageUtf16Le, codePage) != S_OK;
      if (lacking) return EncodeAnswer::kNotSupported;
      // Wine's also fails a block for some characters it has no bytes for (IBM's kanji
      // in ISO-2022-JP): those become "?" below.
      out.resize(old);
    }
    back.clear();
    if (result != S_OK || ReadBack(codePage, std::string_view(out).substr(old), &back) != S_OK ||
        back != block) {
      replaced = true;
      out.resize(old);
      result = MLangFromUnicodeStrictly(codePage, block, &survives, &out);
      if (result != S_OK) return EncodeAnswer::kFailed;
    }
    start = end;
  }
  *bytes = std::move(out);
  *substituted = replaced;
  return EncodeAnswer::kConverted;
}

// The kernel's encoder, also without look-alikes where it allows that. For the code
// pages where it allows no flags and no report, the result is decoded again to see
// whether anything was replaced.
bool MLangCodec::EncodeFallback(uint32_t codePage, std::u16string_view text,
                                std::string* bytes, bool* substituted, uint32_t* error) {
  if (IsUtf16CodePage(codePage) || codePage == kCodePageUtf8) {
    Encode(codePage, text, bytes, substituted);
    return true;
  }
  const UINT kernelPage = codePage == kCodePageEucJp ? kCodePageEucJpKernel : codePage;
  if (text.empty()) {
    if (!IsValidCodePage(kernelPage)) {
      *error = ERROR_INVALID_PARAMETER;
      return false;
    }
    bytes->clear();
    *substituted = false;
    return true;
  }
  const bool noFlags = EncoderWantsNoFlags(kernelPage);
  const DWORD flags = noFlags ? 0 : WC_NO_BEST_FIT_CHARS;
  std::string out;
  BOOL usedDefault = FALSE;
  bool replaced = false;
  WideText back;
  for (size_t start = 0; start < text.size();) {
    const size_t end = UnitBlockEnd(text, start);
    const wchar_t* source = reinterpret_cast<const wchar_t*>(text.data() + start);
    const int length = ToInt(end - start);
    BOOL* used = noFlags ? nullptr : &usedDefault;
    const int size = WideCharToMultiByte(kernelPage, flags, source, length, nullptr, 0, nullptr,
                                         used);
    if (size == 0) {
      *error = GetLastError();
      return false;
    }
    const size_t old = out.size();
    out.resize(old + static_cast<size_t>(size));
    if (WideCharToMultiByte(kernelPage, flags, source, length, out.data() + old, size, nullptr,
                            used) != size) {
      *error = GetLastError();
      return false;
    }
    if (noFlags && !replaced) {
      const int units = MultiByteToWideChar(kernelPage, 0, out.data() + old, size, nullptr, 0);
      back.resize(static_cast<size_t>(units));
      MultiByteToWideChar(kernelPage, 0, out.data() + old, size,
                          reinterpret_cast<wchar_t*>(back.data()), units);
      replaced = back != text.substr(start, end - start);
    }
    start = end;
  }
  *bytes = std::move(out);
  *substituted = replaced || usedDefault;
  return true;
}

int MLangCodec::BytesIn932(char16_t unit) {
  const wchar_t wide = static_cast<wchar_t>(unit);
  return WideCharToMultiByte(kCodePageShiftJis, 0, &wide, 1, nullptr, 0, nullptr, nullptr);
}

}  // namespace

std::unique_ptr<Codec> CreateSystemCodec(uint32_t* failureCode) {
  IMultiLanguage2* mlang = nullptr;
  const HRESULT result = CoCreateInstance(CLSID_CMultiLanguage, nullptr, CLSCTX_INPROC_SERVER,
                                          kIidMultiLanguage2, reinterpret_cast<void**>(&mlang));
  if (FAILED(result) || mlang == nullptr) {
    *failureCode = static_cast<uint32_t>(FAILED(result) ? result : E_NOINTERFACE);
    return nullptr;
  }
  *failureCode = 0;
  return std::make_unique<MLangCodec>(mlang);
}
