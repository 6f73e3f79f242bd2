#include "engine/binary_format.h"

#include <cstddef>
#include <cstdint>

namespace {

using namespace std::string_view_literals;

// "MZ" starts a program of the PE kind only when the 32-bit little-endian offset at 0x3C
// leads to "PE\0\0"; a text that merely begins with "MZ" has no such header.
bool PeHeaderFollows(std::string_view head) {
  constexpr size_t kOffsetAt = 0x3C;
  if (head.size() < kOffsetAt + 4) return false;
  uint32_t offset = 0;
  for (size_t i = 0; i < 4; ++i) {
    offset |= uint32_t{static_cast<unsigned char>(head[kOffsetAt + i])} << (8 * i);
  }
  return offset <= head.size() && head.size() - offset >= 4 &&
         head.substr(offset, 4) == "PE\0\0"sv;
}

// "BZh" and a block size '1'..'9', then the magic of the first block or, for an empty
// stream, of the end: a line of text that starts "BZh9" goes on with anything but these.
bool Bzip2BlockFollows(std::string_view head) {
  if (head.size() < 10 || head[3] < '1' || head[3] > '9') return false;
  const std::string_view block = head.substr(4, 6);
  return block == "\x31\x41\x59\x26\x53\x59"sv || block == "\x17\x72\x45\x38\x50\x90"sv;
}

// "RIFF", a 32-bit size, then the form type: only the forms of known media files count.
bool KnownRiffForm(std::string_view head) {
  if (head.size() < 12) return false;
  const std::string_view form = head.substr(8, 4);
  return form == "WEBP"sv || form == "WAVE"sv || form == "AVI "sv || form == "RMID"sv ||
         form == "ACON"sv || form == "CDXA"sv;
}

struct Signature {
  std::string_view magic;                        // the bytes the file starts with
  bool (*confirms)(std::string_view) = nullptr;  // a further test on the head, if any
};

// clang-format off
constexpr Signature kSignatures[] = {
    {"\x7F" "ELF"sv},                                  // ELF programs and libraries
    {"MZ"sv, PeHeaderFollows},                         // PE programs and libraries
    {"\xFE\xED\xFA\xCE"sv}, {"\xCE\xFA\xED\xFE"sv},    // Mach-O 32-bit, either order
    {"\xFE\xED\xFA\xCF"sv}, {"\xCF\xFA\xED\xFE"sv},    // Mach-O 64-bit, either order
    {"\xCA\xFE\xBA\xBE"sv}, {"\xCA\xFE\xBA\xBF"sv},    // universal Mach-O; Java class
    {"!<arch>\n"sv},                                   // ar archives, static libraries
    {"PK\x03\x04"sv}, {"PK\x05\x06"sv}, {"PK\x07\x08"sv},  // ZIP, JAR, Office files
    {"\x1F\x8B\x08"sv},                                // gzip
    {"BZh"sv, Bzip2BlockFollows},                      // bzip2
    {"\xFD" "7zXZ\0"sv},                               // xz
    {"\x28\xB5\x2F\xFD"sv},                            // zstd
    {"7z\xBC\xAF\x27\x1C"sv},                          // 7z
    {"Rar!\x1A\x07\x00"sv}, {"Rar!\x1A\x07\x01\x00"sv},  // RAR 4 and 5
    {"%PDF-"sv},                                       // PDF
    {"\x89PNG\r\n\x1A\n"sv},                           // PNG
    {"GIF87a"sv}, {"GIF89a"sv},                        // GIF
    {"\xFF\xD8\xFF"sv},                                // JPEG
    {"RIFF"sv, KnownRiffForm},                         // WebP, WAV, AVI and kin
    {"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"sv},            // OLE2 compound files
    {"SQLite format 3\0"sv},                           // SQLite
    {"\0asm\x01\0\0\0"sv},                             // WebAssembly
};
// clang-format on

}  // namespace

bool HasBinarySignature(std::string_view head) {
  for (const Signature& signature : kSignatures) {
    if (head.starts_with(signature.magic) &&
        (signature.confirms == nullptr || signature.confirms(head))) {
      return true;
    }
  }
  return false;
}
