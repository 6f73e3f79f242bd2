// Builds the code page 932 tables from ICU's windows-932 converter at build time and
// writes them as C++ arrays (the file named on the command line), so that the program
// has them without asking ICU 130,000 questions on every start.
#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "engine/codec/cp932_table.h"

namespace {

struct ConverterCloser {
  void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using ConverterPtr = std::unique_ptr<UConverter, ConverterCloser>;

bool IsSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDFFF; }

// Decodes bytes on their own, the way the codec does: stop at any bad sequence.
// The number of units written, or -1 on error.
int32_t DecodeAlone(UConverter* converter, const char* bytes, int32_t length, UChar* out) {
  ucnv_resetToUnicode(converter);
  UErrorCode error = U_ZERO_ERROR;
  const int32_t units = ucnv_toUChars(converter, out, 4, bytes, length, &error);
  return U_FAILURE(error) ? -1 : units;
}

struct Tables {
  uint32_t single[256] = {};
  std::vector<char16_t> characters;
  std::vector<uint16_t> encode;
};

// The tables exactly as ICU answers with the codec's settings; false when ICU has no
// windows-932 or maps something in a way the tables cannot hold.
bool Build(Tables* tables) {
  constexpr uint32_t kLead = Cp932Table::kLead;
  constexpr uint32_t kInvalid = Cp932Table::kInvalid;
  constexpr uint16_t kUnmappable = Cp932Table::kUnmappable;
  constexpr uint16_t kDropped = Cp932Table::kDropped;
  constexpr uint16_t kSurrogate = Cp932Table::kSurrogate;
  uint32_t* const single_ = tables->single;
  std::vector<char16_t>& pairs_ = tables->characters;
  std::vector<uint16_t>& encode_ = tables->encode;


  UErrorCode error = U_ZERO_ERROR;
  ConverterPtr converter(ucnv_open("windows-932", &error));
  if (U_FAILURE(error)) return false;
  ucnv_setToUCallBack(converter.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &error);
  if (U_FAILURE(error) || ucnv_getMaxCharSize(converter.get()) > 2) return false;

  // Decoding: every byte alone, and every pair after a byte that does not stand alone.
  constexpr char16_t kNone = Cp932Table::kNoCharacter;
  pairs_.assign(0x10000, kNone);
  UChar out[4];
  for (uint32_t lead = 0; lead < 256; ++lead) {
    const char one[1] = {static_cast<char>(lead)};
    const int32_t units = DecodeAlone(converter.get(), one, 1, out);
    if (units == 1) {
      if (out[0] == kNone) return false;
      single_[lead] = out[0];
      continue;
    }
    if (units > 1) return false;
    single_[lead] = kInvalid;
    for (uint32_t trail = 0; trail < 256; ++trail) {
      const char two[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      const int32_t pairUnits = DecodeAlone(converter.get(), two, 2, out);
      if (pairUnits < 0) continue;
      // A pair must be one character of one unit, and never the "no character" mark.
      if (pairUnits != 1 || out[0] == kNone) return false;
      pairs_[lead << 8 | trail] = out[0];
      single_[lead] = kLead;
    }
  }

  // Encoding: every unit but the surrogates through one conversion with the codec's
  // settings; the offsets tell which unit each byte came from. What ICU cannot write
  // comes out as "?", except the default-ignorable units, which it drops.
  ucnv_setFallback(converter.get(), false);
  ucnv_setSubstString(converter.get(), u"?", 1, &error);
  ucnv_setFromUCallBack(converter.get(), UCNV_FROM_U_CALLBACK_SUBSTITUTE, nullptr, nullptr,
                        nullptr, &error);
  if (U_FAILURE(error)) return false;
  std::u16string units;
  for (uint32_t unit = 0; unit < 0x10000; ++unit) {
    if (!IsSurrogate(static_cast<char16_t>(unit))) units += static_cast<char16_t>(unit);
  }
  std::string bytes(units.size() * 2, '\0');
  std::vector<int32_t> offsets(bytes.size(), -1);
  const UChar* source = units.data();
  char* target = bytes.data();
  ucnv_fromUnicode(converter.get(), &target, bytes.data() + bytes.size(), &source,
                   units.data() + units.size(), offsets.data(), true, &error);
  if (U_FAILURE(error)) return false;
  const size_t written = static_cast<size_t>(target - bytes.data());
  encode_.assign(0x10000, kDropped);
  for (size_t i = 0; i < written;) {
    const int32_t from = offsets[i];
    if (from < 0) return false;
    size_t length = 1;
    while (i + length < written && offsets[i + length] == from) ++length;
    if (length > 2) return false;
    const auto first = static_cast<unsigned char>(bytes[i]);
    const char16_t unit = units[static_cast<size_t>(from)];
    uint16_t code = length == 1 ? first
                                : static_cast<uint16_t>(first << 8 |
                                                        static_cast<unsigned char>(bytes[i + 1]));
    // Lead bytes stop at FC, so no pair collides with the two marks.
    if (code == kUnmappable || code == kDropped) return false;
    if (code == '?' && unit != u'?') code = kUnmappable;
    encode_[unit] = code;
    i += length;
  }
  for (uint32_t unit = 0xD800; unit <= 0xDFFF; ++unit) encode_[unit] = kSurrogate;
  return true;
}


// How many bytes code page 932 writes for each unit when look-alikes are allowed (a unit
// it lacks is one "?"), as the codec counts them for TAB widths; false when ICU cannot
// answer. Asked once here, the 65,536 questions cost nothing when the program starts.
bool CountBytes(std::vector<uint8_t>* counts) {
  UErrorCode error = U_ZERO_ERROR;
  ConverterPtr converter(ucnv_open("windows-932", &error));
  if (U_FAILURE(error)) return false;
  ucnv_setFallback(converter.get(), true);
  ucnv_setSubstString(converter.get(), u"?", 1, &error);
  if (U_FAILURE(error)) return false;
  counts->assign(0x10000, 0);
  for (uint32_t unit = 0; unit < 0x10000; ++unit) {
    const auto single = static_cast<UChar>(unit);
    ucnv_resetFromUnicode(converter.get());
    error = U_ZERO_ERROR;
    char out[8];
    const int32_t length = ucnv_fromUChars(converter.get(), out, sizeof out, &single, 1, &error);
    (*counts)[unit] = static_cast<uint8_t>(U_FAILURE(error) ? 0 : length);
  }
  return true;
}

// Writes count values as a C++ array of type named name.
template <class T>
void WriteArray(FILE* file, const char* type, const char* name, const T* values, size_t count) {
  std::fprintf(file, "inline constexpr %s %s[%zu] = {\n", type, name, count);
  for (size_t i = 0; i < count; ++i) {
    std::fprintf(file, "0x%x,%s", static_cast<unsigned>(values[i]), i % 16 == 15 ? "\n" : "");
  }
  std::fprintf(file, "};\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: cp932_table_gen OUTPUT\n");
    return 2;
  }
  Tables tables;
  const bool usable = Build(&tables);
  if (!usable) {
    // The program then leaves code page 932 to ICU's converter.
    std::fprintf(stderr, "cp932_table_gen: ICU's windows-932 cannot be held in tables\n");
    tables = Tables();
  }
  if (usable) {
    // ICU's windows-932 swaps three control codes among themselves (bytes 1A, 1C, 7F
    // stand for U+001C, U+007F, U+001A and back), after IBM's code page 943. Windows
    // maps bytes 00..7F to U+0000..U+007F one to one, so Ctrl-Z stays Ctrl-Z: the
    // tables take Windows' mapping there.
    for (uint32_t ascii = 0; ascii < 0x80; ++ascii) {
      if (tables.single[ascii] < 0x80) tables.single[ascii] = ascii;
      if (tables.encode[ascii] < 0x80) tables.encode[ascii] = static_cast<uint16_t>(ascii);
    }
  }
  tables.characters.resize(0x10000);
  tables.encode.resize(0x10000);
  // Per byte: 1 for a character of its own that is never the second byte of a pair, so
  // that a character starts wherever it stands.
  constexpr uint32_t kLead = Cp932Table::kLead;
  constexpr char16_t kNone = Cp932Table::kNoCharacter;
  uint8_t alone[256] = {};
  for (uint32_t byte = 0; byte < 256 && usable; ++byte) {
    bool trail = false;
    for (uint32_t lead = 0; lead < 256 && !trail; ++lead) {
      trail = tables.single[lead] == kLead && tables.characters[lead << 8 | byte] != kNone;
    }
    alone[byte] = tables.single[byte] < kLead && !trail;
  }
  // The rows of the bytes that stand alone hold their unit whatever byte follows, so that
  // every character is one look-up of its first two bytes.
  for (uint32_t byte = 0; byte < 256 && usable; ++byte) {
    if (tables.single[byte] >= kLead) continue;
    std::fill_n(tables.characters.begin() + (byte << 8), 256, static_cast<char16_t>(tables.single[byte]));
  }
  FILE* file = std::fopen(argv[1], "w");
  if (!file) {
    std::perror(argv[1]);
    return 1;
  }
  std::fprintf(file, "// Made by cp932_table_gen from ICU's windows-932 converter.\n");
  std::fprintf(file, "inline constexpr bool kCp932TablesUsable = %s;\n", usable ? "true" : "false");
  WriteArray(file, "uint32_t", "kCp932Singles", tables.single, 256);
  // Indexed by the two bytes as a little-endian load of them gives them: the second byte
  // high. The decoder then looks a character up without turning the bytes round.
  std::vector<char16_t> bySecond(0x10000);
  for (uint32_t first = 0; first < 256; ++first) {
    for (uint32_t second = 0; second < 256; ++second) {
      bySecond[second << 8 | first] = tables.characters[first << 8 | second];
    }
  }
  WriteArray(file, "char16_t", "kCp932Characters", bySecond.data(), bySecond.size());
  // A pair's two bytes in the order they are written, as a little-endian store of the
  // entry puts them: the encoder then writes a character without turning its bytes round.
  // The second byte is 40 or above, so a pair still reads as 100 or above, and it stops at
  // FC, so no pair reaches the marks.
  std::vector<uint16_t> inOrder(tables.encode.begin(), tables.encode.end());
  for (uint16_t& code : inOrder) {
    if (code > 0xFF && code < Cp932Table::kFirstMark) {
      code = static_cast<uint16_t>(code >> 8 | (code & 0xFF) << 8);
    }
  }
  WriteArray(file, "uint16_t", "kCp932Codes", inOrder.data(), inOrder.size());
  WriteArray(file, "uint8_t", "kCp932StartsAlone", alone, 256);
  std::vector<uint8_t> counts;
  const bool counted = CountBytes(&counts);
  if (!counted) counts.assign(0x10000, 0);
  std::fprintf(file, "inline constexpr bool kCp932ByteCountsUsable = %s;\n",
               counted ? "true" : "false");
  WriteArray(file, "uint8_t", "kCp932ByteCounts", counts.data(), counts.size());
  if (std::fclose(file) != 0) {
    std::perror(argv[1]);
    return 1;
  }
  return 0;
}
